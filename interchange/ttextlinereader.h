// Reads a text file line by line through a buffer. A line ends at LF; a CR in front of
// the LF belongs to the line end. The last line of a file needs no line end. Lines are
// bytes, never converted, and never longer than the reader's limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelmor {

class TTextLineReader {
public:
    explicit TTextLineReader(size_t maxLineLength) : maxLineLength_(maxLineLength) {}
    ~TTextLineReader();
    TTextLineReader(const TTextLineReader&) = delete;
    TTextLineReader& operator=(const TTextLineReader&) = delete;

    // Opens the file for reading only; 0 or the errno value (a folder gives EISDIR).
    int Open(const std::string& path);
    // The next line without its line end; false at the end of the file. Raises
    // EInterchangeFileError when the file cannot be read, and ETextLineTooLong when a
    // line is longer than the limit.
    bool ReadLine(std::string& line);
    // The number of lines read so far.
    uint64_t LineCount() const { return lineCount_; }
    // 0 or the errno value of closing.
    int Close();

private:
    bool Fill();

    static constexpr size_t kBufferSize = 64 * 1024;
    size_t maxLineLength_;
    int fd_ = -1;
    std::string path_;
    std::vector<char> buffer_;
    size_t position_ = 0;
    size_t filled_ = 0;
    bool endOfFile_ = false;
    uint64_t lineCount_ = 0;
};

}  // namespace kelmor
