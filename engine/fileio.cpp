#include "engine/fileio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "engine/kelmorerrors.h"

namespace kelmor {

TFileHandle::~TFileHandle() { Close(); }

TFileHandle::TFileHandle(TFileHandle&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)), locked_(other.locked_) {
    other.fd_ = -1;
    other.locked_ = false;
}

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        locked_ = other.locked_;
        other.fd_ = -1;
        other.locked_ = false;
    }
    return *this;
}

int TFileHandle::Open(const std::string& path, TMode mode) {
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
        case TMode::ReadOnly: flags |= O_RDONLY; break;
        case TMode::ReadWrite: flags |= O_RDWR; break;
        case TMode::CreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        case TMode::OpenOrCreate: flags |= O_RDWR | O_CREAT; break;
    }
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    fd_ = fd;
    path_ = path;
    return 0;
}

int TFileHandle::OpenScratch(const std::string& folder) {
    Close();
#ifdef O_TMPFILE
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
        fd_ = fd;
        path_ = folder + "/(scratch)";
        return 0;
    }
#endif
    std::string pattern = folder + "/.kelmor-scratch-XXXXXX";
    fd = ::mkstemp(pattern.data());
    if (fd < 0) return errno;
    ::unlink(pattern.c_str());
    fd_ = fd;
    path_ = pattern;
    return 0;
}

void TFileHandle::Close() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock too
    fd_ = -1;
    locked_ = false;
}

int TFileHandle::ReadAt(uint64_t position, void* buffer, size_t length) const {
    auto* out = static_cast<uint8_t*>(buffer);
    while (length > 0) {
        const ssize_t got = ::pread(fd_, out, length, static_cast<off_t>(position));
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) return ENODATA;
        out += got;
        position += static_cast<uint64_t>(got);
        length -= static_cast<size_t>(got);
    }
    return 0;
}

int TFileHandle::WriteAt(uint64_t position, const void* buffer, size_t length) {
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (length > 0) {
        const ssize_t put = ::pwrite(fd_, in, length, static_cast<off_t>(position));
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        in += put;
        position += static_cast<uint64_t>(put);
        length -= static_cast<size_t>(put);
    }
    return 0;
}

int TFileHandle::Size(uint64_t& size) const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return errno;
    size = static_cast<uint64_t>(st.st_size);
    return 0;
}

int TFileHandle::Truncate(uint64_t size) { return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : errno; }

int TFileHandle::Sync() { return ::fsync(fd_) == 0 ? 0 : errno; }

void TFileHandle::StartWriteBack(uint64_t position, uint64_t length) {
    ::sync_file_range(fd_, static_cast<off_t>(position), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

int TFileHandle::TryLockExclusive() {
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return errno == EAGAIN ? EWOULDBLOCK : errno;
    }
    locked_ = true;
    return 0;
}

namespace {
[[noreturn]] void ThrowFileError(const std::string& path, const char* action, int error) {
    throw EKelmorFileError("Error " + std::string(action) + " " + path + ": " + ErrorText(error), error);
}
}  // namespace

void TFileHandle::ReadAtOrThrow(uint64_t position, void* buffer, size_t length) const {
    if (const int error = ReadAt(position, buffer, length)) ThrowFileError(path_, "reading", error);
}

void TFileHandle::WriteAtOrThrow(uint64_t position, const void* buffer, size_t length) {
    if (const int error = WriteAt(position, buffer, length)) ThrowFileError(path_, "writing", error);
}

uint64_t TFileHandle::SizeOrThrow() const {
    uint64_t size = 0;
    if (const int error = Size(size)) ThrowFileError(path_, "reading the size of", error);
    return size;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

int RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return 0;
    return errno;
}

int RenameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

int SyncFolderOf(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

std::string ErrorText(int errnoValue) {
    if (errnoValue == ENODATA) return "the file ends too early";
    return std::strerror(errnoValue);
}

}  // namespace kelmor
