#include "interchange/tcontrolreferencefilter.h"

namespace kelmor {

namespace {

constexpr size_t kLongestDelimiter = 9;  // "<![CDATA["
// A longer reference (many leading zeros) is left to the parser as it is.
constexpr size_t kLongestReference = 32;
constexpr size_t npos = std::string_view::npos;

bool At(std::string_view text, size_t at, std::string_view delimiter) {
    return text.substr(at, delimiter.size()) == delimiter;
}

int DigitValue(char c, bool hexadecimal) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hexadecimal) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void TControlReferenceFilter::Filter(std::string_view input, bool last, std::string& output) {
    std::string joined;
    std::string_view text = input;
    if (!held_.empty()) {
        joined = std::move(held_);
        held_.clear();
        joined.append(input);
        text = joined;
    }
    for (size_t at = 0; at < text.size();) {
        const size_t next = Step(text, at, last, output);
        if (next == npos) {
            held_.assign(text.substr(at));
            return;
        }
        at = next;
    }
}

size_t TControlReferenceFilter::Step(std::string_view text, size_t at, bool last, std::string& output) {
    // The characters that may change the mode or start a reference, by mode.
    const char* special = "";
    switch (mode_) {
        case TMode::Content: special = "<&"; break;
        case TMode::Tag: special = quote_ == 0 ? "\"'>" : (quote_ == '"' ? "\"&" : "'&"); break;
        case TMode::Comment: special = "-"; break;
        case TMode::CData: special = "]"; break;
        case TMode::ProcessingInstruction: special = "?"; break;
        case TMode::Declaration: special = quote_ == 0 ? "\"'[]<>" : (quote_ == '"' ? "\"" : "'"); break;
    }
    const size_t found = text.find_first_of(special, at);
    if (found != at) {
        const size_t end = found == npos ? text.size() : found;
        output.append(text.substr(at, end - at));
        return end;
    }
    const char c = text[at];
    const size_t available = text.size() - at;
    const auto copy = [&](size_t count) {
        output.append(text.substr(at, count));
        return at + count;
    };
    switch (mode_) {
        case TMode::Content:
            if (c == '&') return CopyReference(text, at, last, output);
            if (!last && available < kLongestDelimiter) return npos;
            if (At(text, at, "<!--")) {
                mode_ = TMode::Comment;
                afterComment_ = TMode::Content;
                return copy(4);
            }
            if (At(text, at, "<![CDATA[")) {
                mode_ = TMode::CData;
                return copy(9);
            }
            if (At(text, at, "<?")) {
                mode_ = TMode::ProcessingInstruction;
                afterComment_ = TMode::Content;
                return copy(2);
            }
            quote_ = 0;
            if (At(text, at, "<!")) {
                mode_ = TMode::Declaration;
                brackets_ = 0;
                return copy(2);
            }
            mode_ = TMode::Tag;
            return copy(1);
        case TMode::Tag:
            if (c == '&') return CopyReference(text, at, last, output);
            if (c == '>') {
                mode_ = TMode::Content;
            } else {
                quote_ = quote_ == 0 ? c : 0;
            }
            return copy(1);
        case TMode::Comment:
        case TMode::CData:
        case TMode::ProcessingInstruction: {
            const std::string_view end = mode_ == TMode::Comment ? "-->" : (mode_ == TMode::CData ? "]]>" : "?>");
            if (!last && available < end.size()) return npos;
            if (!At(text, at, end)) return copy(1);
            mode_ = mode_ == TMode::CData ? TMode::Content : afterComment_;
            return copy(end.size());
        }
        case TMode::Declaration:
            if (quote_ != 0 || c == '"' || c == '\'') {
                quote_ = quote_ == 0 ? c : 0;
            } else if (c == '[') {
                ++brackets_;
            } else if (c == ']') {
                if (brackets_ > 0) --brackets_;
            } else if (c == '>') {
                if (brackets_ == 0) mode_ = TMode::Content;
            } else {  // '<' inside the internal subset
                if (!last && available < 4) return npos;
                if (At(text, at, "<!--") || At(text, at, "<?")) {
                    mode_ = At(text, at, "<?") ? TMode::ProcessingInstruction : TMode::Comment;
                    afterComment_ = TMode::Declaration;
                    return copy(mode_ == TMode::Comment ? 4 : 2);
                }
            }
            return copy(1);
    }
    return copy(1);
}

// At "&": a reference to a forbidden control character is rewritten, any other text
// copied as it is.
size_t TControlReferenceFilter::CopyReference(std::string_view text, size_t at, bool last, std::string& output) {
    size_t position = at + 1;
    const auto undecided = [&] { return position >= text.size() && !last; };
    if (undecided()) return npos;
    bool isReference = text[position] == '#';
    bool hexadecimal = false;
    uint32_t code = 0;
    if (isReference) {
        ++position;
        if (undecided()) return npos;
        hexadecimal = position < text.size() && text[position] == 'x';
        if (hexadecimal) ++position;
        size_t digits = 0;
        for (; position < text.size() && position - at <= kLongestReference; ++position, ++digits) {
            const int digit = DigitValue(text[position], hexadecimal);
            if (digit < 0) break;
            code = code > 0xFFFFFF ? code : code * (hexadecimal ? 16 : 10) + static_cast<uint32_t>(digit);
        }
        if (position - at > kLongestReference) {
            isReference = false;
        } else if (undecided()) {
            return npos;
        } else {
            isReference = digits > 0 && position < text.size() && text[position] == ';';
        }
    }
    if (!isReference) {
        output += '&';
        return at + 1;
    }
    if (!IsForbiddenControlCharacter(code)) {
        output.append(text.substr(at, position + 1 - at));
        return position + 1;
    }
    static const char kHex[] = "0123456789ABCDEF";
    const uint32_t standIn = kControlCharacterStandIn + code;
    output += "&#x";
    for (int shift = 12; shift >= 0; shift -= 4) output += kHex[(standIn >> shift) & 15];
    output += ';';
    return position + 1;
}

}  // namespace kelmor
