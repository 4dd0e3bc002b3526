// Conversions between the terminal's UTF-8 and the database's Latin-1 bytes.
#pragma once

#include <string>

namespace kelmor::cli {

// False when the text is not valid UTF-8 or holds a character outside Latin-1.
bool Utf8ToLatin1(const std::string& utf8, std::string& latin1);
std::string Latin1ToUtf8(const std::string& latin1);

}  // namespace kelmor::cli
