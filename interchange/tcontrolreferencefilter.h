// TControlReferenceFilter: lets the XML parser read the control characters that this
// program's XML files hold. The writer escapes every byte below 0x20 as a character
// reference ("&#x01;"), but XML 1.0 forbids the characters 0x00 to 0x1F other than tab,
// line feed and carriage return even as references, and the parser refuses the whole
// document. Before the parser sees the text, the filter rewrites each reference to such
// a character into a reference to the private-use character U+E000 + its code;
// Latin1FromXML turns those back into the bytes. References inside comments, CDATA
// sections, processing instructions and the document type declaration are not
// references there (or not values of ours) and stay as they are, and so does every
// other reference: the parser still checks all of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmor {

// The first private-use character that stands for a control character.
constexpr uint32_t kControlCharacterStandIn = 0xE000;

// A character below 0x20 that XML 1.0 does not allow (all but tab, LF and CR).
constexpr bool IsForbiddenControlCharacter(uint32_t code) {
    return code < 0x20 && code != 0x09 && code != 0x0A && code != 0x0D;
}

class TControlReferenceFilter {
public:
    // Appends the rewritten form of `input`, the next piece of the document, to
    // `output`. Bytes that may start a reference or a markup delimiter that the piece
    // cuts off are held back for the next call; `last` says that no piece follows.
    void Filter(std::string_view input, bool last, std::string& output);

private:
    enum class TMode { Content, Tag, Comment, CData, ProcessingInstruction, Declaration };

    // Handles the text from `at` on in the current mode; returns where it stopped, or
    // npos when the rest must wait for more input.
    size_t Step(std::string_view text, size_t at, bool last, std::string& output);
    size_t CopyReference(std::string_view text, size_t at, bool last, std::string& output);

    TMode mode_ = TMode::Content;
    TMode afterComment_ = TMode::Content;  // comments and instructions also occur inside the declaration
    char quote_ = 0;                       // the quote of an attribute value or literal being read
    int brackets_ = 0;                     // open "[" of the document type declaration
    std::string held_;                     // the tail of the previous piece
};

}  // namespace kelmor
