#include "cli/jsonwriter.h"

#include <charconv>
#include <cmath>
#include <ostream>
#include <stdexcept>

#include "cli/textcodec.h"

namespace kelmor::cli {

std::string TJsonWriter::Quote(const std::string& utf8) {
    static const char* const kHex = "0123456789abcdef";
    std::string quoted = "\"";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': quoted += "\\\""; break;
            case '\\': quoted += "\\\\"; break;
            case '\b': quoted += "\\b"; break;
            case '\f': quoted += "\\f"; break;
            case '\n': quoted += "\\n"; break;
            case '\r': quoted += "\\r"; break;
            case '\t': quoted += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    quoted += "\\u00";
                    quoted += kHex[c >> 4];
                    quoted += kHex[c & 0x0F];
                } else {
                    quoted += ch;
                }
        }
    }
    quoted += '"';
    return quoted;
}

void TJsonWriter::BeforeValue() {
    if (levels_.empty()) return;
    TLevel& level = levels_.back();
    if (level.isObject) {
        if (!keyPending_) throw std::logic_error("JSON: a member value without a name");
        keyPending_ = false;
        return;
    }
    if (!level.empty) out_ << ',';
    level.empty = false;
}

void TJsonWriter::Key(const std::string& name) {
    if (levels_.empty() || !levels_.back().isObject || keyPending_)
        throw std::logic_error("JSON: a member name outside an object");
    if (!levels_.back().empty) out_ << ',';
    levels_.back().empty = false;
    out_ << Quote(name) << ':';
    keyPending_ = true;
}

void TJsonWriter::BeginObject() {
    BeforeValue();
    out_ << '{';
    levels_.push_back({true, true});
}

void TJsonWriter::EndObject() {
    if (levels_.empty() || !levels_.back().isObject || keyPending_) throw std::logic_error("JSON: no object to end");
    levels_.pop_back();
    out_ << '}';
}

void TJsonWriter::BeginArray() {
    BeforeValue();
    out_ << '[';
    levels_.push_back({false, true});
}

void TJsonWriter::EndArray() {
    if (levels_.empty() || levels_.back().isObject) throw std::logic_error("JSON: no array to end");
    levels_.pop_back();
    out_ << ']';
}

void TJsonWriter::String(const std::string& utf8) {
    BeforeValue();
    out_ << Quote(utf8);
}

void TJsonWriter::Latin1String(const std::string& latin1) { String(Latin1ToUtf8(latin1)); }

void TJsonWriter::Integer(int64_t value) {
    BeforeValue();
    out_ << value;
}

namespace {

template <typename TNumber>
std::string ShortestText(TNumber value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

void TJsonWriter::Double(double value) {
    if (std::isnan(value)) return String("NAN");
    if (std::isinf(value)) return String(value > 0 ? "INF" : "-INF");
    NumberText(ShortestText(value));
}

void TJsonWriter::Float(float value) {
    if (std::isnan(value)) return String("NAN");
    if (std::isinf(value)) return String(value > 0 ? "INF" : "-INF");
    NumberText(ShortestText(value));
}

void TJsonWriter::NumberText(const std::string& text) {
    BeforeValue();
    out_ << text;
}

void TJsonWriter::Bool(bool value) {
    BeforeValue();
    out_ << (value ? "true" : "false");
}

void TJsonWriter::Null() {
    BeforeValue();
    out_ << "null";
}

void TJsonWriter::Finish() {
    if (!levels_.empty()) throw std::logic_error("JSON: the document is not complete");
    out_ << '\n';
}

}  // namespace kelmor::cli
