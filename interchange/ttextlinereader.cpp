#include "interchange/ttextlinereader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/fileio.h"
#include "interchange/interchangeerrors.h"

namespace kelmor {

TTextLineReader::~TTextLineReader() {
    if (fd_ >= 0) ::close(fd_);
}

int TTextLineReader::Open(const std::string& path) {
    Close();
    path_ = path;
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) return errno;
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        Close();
        return EISDIR;
    }
    buffer_.resize(kBufferSize);
    position_ = filled_ = 0;
    endOfFile_ = false;
    lineCount_ = 0;
    return 0;
}

bool TTextLineReader::Fill() {
    if (endOfFile_ || fd_ < 0) return false;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            throw EInterchangeFileError(error, "Cannot read file \"" + path_ + "\". " + ErrorText(error));
        }
        position_ = 0;
        filled_ = static_cast<size_t>(got);
        if (got == 0) endOfFile_ = true;
        return got > 0;
    }
}

bool TTextLineReader::ReadLine(std::string& line) {
    line.clear();
    bool any = false;  // whether this line has begun (an empty line before a LF counts)
    for (;;) {
        if (position_ == filled_ && !Fill()) break;
        any = true;
        const char* start = buffer_.data() + position_;
        const size_t available = filled_ - position_;
        const auto* end = static_cast<const char*>(std::memchr(start, '\n', available));
        const size_t take = end ? static_cast<size_t>(end - start) : available;
        // +1: the CR of a CR LF may still be part of the text taken here
        if (line.size() + take > maxLineLength_ + 1) throw ETextLineTooLong(lineCount_ + 1, maxLineLength_);
        line.append(start, take);
        position_ += take;
        if (end) {
            ++position_;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() > maxLineLength_) throw ETextLineTooLong(lineCount_ + 1, maxLineLength_);
            ++lineCount_;
            return true;
        }
    }
    if (!any) return false;
    if (line.size() > maxLineLength_) throw ETextLineTooLong(lineCount_ + 1, maxLineLength_);
    ++lineCount_;
    return true;
}

int TTextLineReader::Close() {
    if (fd_ < 0) return 0;
    const int result = ::close(fd_) == 0 || errno == EINTR ? 0 : errno;
    fd_ = -1;
    return result;
}

}  // namespace kelmor
