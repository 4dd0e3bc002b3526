// The text a replacement makes of a matched text.
#pragma once

#include <string>

namespace kelmor {

// `text` with every occurrence of `search` replaced by `replacement`, left to right and
// not overlapping. Occurrences are found without regard to letter case (as a search that
// ignores case compares: ASCII letters) and with every character taken literally, also
// wildcard characters. An empty `search` changes nothing.
std::string ReplaceIgnoringCase(const std::string& text, const std::string& search, const std::string& replacement);

}  // namespace kelmor
