// TXMLFileReader: the input of the XML parser. It reads an XML file in pieces through a
// TControlReferenceFilter, so that the parser never holds the whole file twice, and
// counts the bytes it reads, so that a file that grows meanwhile is held to the size
// limit too.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "interchange/tcontrolreferencefilter.h"

namespace kelmor {

class TXMLFileReader {
public:
    // Raises std::runtime_error when the file cannot be opened, is no regular file or is
    // larger than maxFileSize. A failure later, while reading, goes to onProblem.
    TXMLFileReader(const std::string& fileName, uint64_t maxFileSize,
                   std::function<void(const std::string&)> onProblem);

    // The parser's read callback (context: the reader): up to length bytes of the
    // filtered file, 0 at its end, -1 after a failure.
    static int Read(void* context, char* buffer, int length);

    // The filtered bytes handed to the parser so far.
    uint64_t BytesGiven() const { return bytesGiven_; }

private:
    int Read(char* buffer, int length);
    std::string TooLarge(uint64_t size) const;

    std::string fileName_;
    uint64_t maxFileSize_;
    std::function<void(const std::string&)> onProblem_;
    std::ifstream in_;
    std::unique_ptr<char[]> piece_;
    TControlReferenceFilter filter_;
    std::string filtered_;
    size_t taken_ = 0;
    bool ended_ = false;
    uint64_t fileBytes_ = 0;
    uint64_t bytesGiven_ = 0;
};

}  // namespace kelmor
