#include "interchange/toutputfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/fileio.h"
#include "interchange/interchangeerrors.h"

namespace kelmor {

TOutputFile::~TOutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

int TOutputFile::Create(const std::string& path) {
    Close();
    path_ = path;
    firstError_ = 0;
    buffer_.clear();
    buffer_.reserve(kBufferSize);
    do {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd_ < 0 && errno == EINTR);
    return fd_ < 0 ? errno : 0;
}

void TOutputFile::WriteThrough(const char* data, size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(fd_, data, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            if (firstError_ == 0) firstError_ = errno;
            throw EInterchangeFileError(firstError_, "Cannot write file \"" + path_ + "\". " + ErrorText(firstError_));
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
}

void TOutputFile::Write(std::string_view bytes) {
    if (fd_ < 0) throw EInterchangeFileError(EBADF, "Cannot write file \"" + path_ + "\". " + ErrorText(EBADF));
    if (firstError_ != 0)
        throw EInterchangeFileError(firstError_, "Cannot write file \"" + path_ + "\". " + ErrorText(firstError_));
    if (buffer_.size() + bytes.size() > kBufferSize) {
        WriteThrough(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    if (bytes.size() >= kBufferSize) {
        WriteThrough(bytes.data(), bytes.size());
    } else {
        buffer_.append(bytes);
    }
}

int TOutputFile::Close() {
    if (fd_ < 0) return 0;
    if (firstError_ == 0 && !buffer_.empty()) {
        try {
            WriteThrough(buffer_.data(), buffer_.size());
        } catch (const EInterchangeFileError&) {
            // firstError_ holds the reason
        }
    }
    buffer_.clear();
    if (::close(fd_) != 0 && firstError_ == 0 && errno != EINTR) firstError_ = errno;
    fd_ = -1;
    return firstError_;
}

}  // namespace kelmor
