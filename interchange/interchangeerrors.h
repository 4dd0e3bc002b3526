// Errors of the interchange formats that are not engine errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kelmor {

// A Base64 text whose length is not a multiple of four.
class EBase64InvalidLength : public std::runtime_error {
public:
    static constexpr const char* kMessage = "Base64 Invalid Length";
    EBase64InvalidLength() : std::runtime_error(kMessage) {}
};

// Reading or writing an interchange file failed at the operating-system level. Code()
// is the errno value; the message names the file and the reason.
class EInterchangeFileError : public std::runtime_error {
public:
    EInterchangeFileError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// A line of a text file longer than its format allows; LineNumber() counts from 1.
class ETextLineTooLong : public std::runtime_error {
public:
    ETextLineTooLong(uint64_t lineNumber, size_t limit)
        : std::runtime_error("Line too long (more than " + std::to_string(limit) + " bytes)\n\n(line #" +
                             std::to_string(lineNumber) + ")"),
          lineNumber_(lineNumber) {}
    uint64_t LineNumber() const { return lineNumber_; }

private:
    uint64_t lineNumber_;
};

// A value that its key type cannot hold whole (a byte sequence of more than 255 bytes,
// a blob of more than 65535): an import ends with it rather than cut or drop the value.
class EValueTooLarge : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kelmor
