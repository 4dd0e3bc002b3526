// A file written through a buffer, so that the many small writes of an export cost few
// system calls. Failures carry the errno value: creating and closing return it, writing
// raises EInterchangeFileError.
#pragma once

#include <string>

#include "interchange/toutputstream.h"

namespace kelmor {

class TOutputFile : public TOutputStream {
public:
    TOutputFile() = default;
    // Closes the file without reporting errors (the owner closes it first when it cares).
    ~TOutputFile() override;
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Creates the file or truncates an existing one; 0 or the errno value.
    int Create(const std::string& path);
    void Write(std::string_view bytes) override;
    // Writes what is buffered and closes the file; 0 or the errno value of the first
    // failure (an earlier failed write included). Closing a closed file gives 0.
    int Close();
    bool IsOpen() const { return fd_ >= 0; }

private:
    void WriteThrough(const char* data, size_t length);

    static constexpr size_t kBufferSize = 64 * 1024;
    int fd_ = -1;
    int firstError_ = 0;
    std::string path_;
    std::string buffer_;
};

}  // namespace kelmor
