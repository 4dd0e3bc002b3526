// TXMLFileReader: the input of the XML parser. It reads an XML file in pieces through a
// TControlReferenceFilter, so that the parser never holds the whole file twice, and
// counts the bytes it reads, so that a file that grows meanwhile is held to the size
// limit too. Reading and filtering run on a thread of their own, a few pieces ahead of
// the parser, so that the two share the work of a large file.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "interchange/tcontrolreferencefilter.h"

namespace kelmor {

class TXMLFileReader {
public:
    // Raises std::runtime_error when the file cannot be opened, is no regular file or is
    // larger than maxFileSize. A failure later, while reading, goes to onProblem (on the
    // parser's thread).
    TXMLFileReader(const std::string& fileName, uint64_t maxFileSize,
                   std::function<void(const std::string&)> onProblem);
    ~TXMLFileReader();
    TXMLFileReader(const TXMLFileReader&) = delete;
    TXMLFileReader& operator=(const TXMLFileReader&) = delete;

    // The parser's read callback (context: the reader): up to length bytes of the
    // filtered file, 0 at its end, -1 after a failure.
    static int Read(void* context, char* buffer, int length);

    // The filtered bytes handed to the parser so far.
    uint64_t BytesGiven() const { return bytesGiven_; }

private:
    struct TPiece {
        std::string bytes;    // filtered
        std::string problem;  // why reading ended early
        bool last = false;
    };

    int Read(char* buffer, int length);
    void ReadAhead();
    TPiece NextPiece();
    std::string TooLarge(uint64_t size) const;

    std::string fileName_;
    uint64_t maxFileSize_;
    std::function<void(const std::string&)> onProblem_;
    std::ifstream in_;

    // Shared with the reading thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<TPiece> ready_;
    bool stopping_ = false;
    std::thread thread_;

    // The parser's side.
    TPiece current_;
    size_t taken_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    uint64_t bytesGiven_ = 0;
};

}  // namespace kelmor
