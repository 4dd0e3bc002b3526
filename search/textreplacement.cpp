#include "search/textreplacement.h"

#include "engine/userblock.h"

namespace kelmor {

std::string ReplaceIgnoringCase(const std::string& text, const std::string& search, const std::string& replacement) {
    if (search.empty()) return text;
    const std::string upperText = UpperCaseAscii(text);
    const std::string upperSearch = UpperCaseAscii(search);
    std::string result;
    size_t from = 0;
    for (size_t at = upperText.find(upperSearch); at != std::string::npos; at = upperText.find(upperSearch, from)) {
        result.append(text, from, at - from);
        result += replacement;
        from = at + search.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

}  // namespace kelmor
