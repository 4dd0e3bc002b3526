// A small strict JSON reader for the tests: reads the tool's --json output back into
// values, so that tests compare what a script would see.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelmor::clitest {

struct TJson {
    enum class TKind { Null, Bool, Number, String, Array, Object };
    TKind kind = TKind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // a string's value, or a number as written
    std::vector<TJson> items;
    std::vector<std::pair<std::string, TJson>> members;  // in document order

    bool IsNull() const { return kind == TKind::Null; }
    const TJson& operator[](size_t index) const { return items.at(index); }
    const TJson& operator[](const std::string& name) const {
        for (const auto& [key, value] : members)
            if (key == name) return value;
        throw std::out_of_range("no member " + name);
    }
    bool Has(const std::string& name) const {
        for (const auto& member : members)
            if (member.first == name) return true;
        return false;
    }
};

class TJsonReader {
public:
    // The document's one value; throws std::runtime_error for anything that is not JSON.
    static TJson Parse(const std::string& text) {
        TJsonReader reader(text);
        TJson value = reader.Value();
        reader.SkipBlanks();
        if (reader.at_ != text.size()) reader.Fail("text after the value");
        return value;
    }

private:
    explicit TJsonReader(const std::string& text) : text_(text) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error("JSON at " + std::to_string(at_) + ": " + what);
    }
    void SkipBlanks() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }
    bool Take(char c) {
        SkipBlanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Take(c)) Fail(std::string("expected ") + c);
    }
    bool TakeWord(const char* word) {
        const std::string w(word);
        if (text_.compare(at_, w.size(), w) != 0) return false;
        at_ += w.size();
        return true;
    }

    TJson Value() {
        SkipBlanks();
        if (at_ >= text_.size()) Fail("no value");
        TJson value;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            value.kind = TJson::TKind::Object;
            if (Take('}')) return value;
            do {
                SkipBlanks();
                std::string name = String();
                Expect(':');
                value.members.emplace_back(std::move(name), Value());
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            ++at_;
            value.kind = TJson::TKind::Array;
            if (Take(']')) return value;
            do value.items.push_back(Value());
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            value.kind = TJson::TKind::String;
            value.text = String();
        } else if (TakeWord("true") || TakeWord("false")) {
            value.kind = TJson::TKind::Bool;
            value.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
        } else if (TakeWord("null")) {
            value.kind = TJson::TKind::Null;
        } else {
            value.kind = TJson::TKind::Number;
            const size_t start = at_;
            if (text_[at_] == '-') ++at_;
            auto digits = [&] {
                const size_t from = at_;
                while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
                if (at_ == from) Fail("a number without digits");
            };
            if (at_ < text_.size() && text_[at_] == '0') ++at_;
            else digits();
            if (at_ < text_.size() && text_[at_] == '.') ++at_, digits();
            if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
                ++at_;
                if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
                digits();
            }
            value.text = text_.substr(start, at_ - start);
            value.number = std::stod(value.text);
        }
        return value;
    }

    std::string String() {
        if (at_ >= text_.size() || text_[at_] != '"') Fail("expected a string");
        ++at_;
        std::string out;
        while (true) {
            if (at_ >= text_.size()) Fail("an unterminated string");
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"') return out;
            if (c < 0x20) Fail("a control character in a string");
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (at_ >= text_.size()) Fail("an unterminated escape");
            const char e = text_[at_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    if (at_ + 4 > text_.size()) Fail("a short \\u escape");
                    const unsigned code = static_cast<unsigned>(std::stoul(text_.substr(at_, 4), nullptr, 16));
                    at_ += 4;
                    if (code >= 0xD800 && code < 0xE000) Fail("a surrogate (the tool never writes one)");
                    if (code < 0x80) {
                        out += static_cast<char>(code);
                    } else if (code < 0x800) {
                        out += static_cast<char>(0xC0 | (code >> 6));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    } else {
                        out += static_cast<char>(0xE0 | (code >> 12));
                        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    }
                    break;
                }
                default: Fail("an unknown escape");
            }
        }
    }

    const std::string& text_;
    size_t at_ = 0;
};

}  // namespace kelmor::clitest
