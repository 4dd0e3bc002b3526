// Thin POSIX file access for the engine: whole reads and writes at positions, with
// failures reported as errno values (or thrown as EKelmorFileError where noted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelmor {

class TFileHandle {
public:
    // OpenOrCreate opens for reading and writing, creating a missing file; it never
    // truncates (a caller that must replace a file takes its lock first).
    enum class TMode { ReadOnly, ReadWrite, CreateTruncate, OpenOrCreate };

    TFileHandle() = default;
    ~TFileHandle();
    TFileHandle(TFileHandle&& other) noexcept;
    TFileHandle& operator=(TFileHandle&& other) noexcept;
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    // 0 on success, else errno. Closes whatever was open first.
    int Open(const std::string& path, TMode mode);
    // An unnamed scratch file in `folder` that disappears when closed. 0 or errno.
    int OpenScratch(const std::string& folder);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    // Whole transfers: 0 on success, else errno; a read past the end of the file gives
    // ENODATA, so that callers can tell a file that is too short from a device error.
    int ReadAt(uint64_t position, void* buffer, size_t length) const;
    int WriteAt(uint64_t position, const void* buffer, size_t length);
    int Size(uint64_t& size) const;
    int Truncate(uint64_t size);
    int Sync();
    // Asks the system to start writing a stretch to disk without waiting, so that a later
    // Sync has less left to do. Only a hint: failures show at the Sync.
    void StartWriteBack(uint64_t position, uint64_t length);
    // Takes an exclusive advisory lock on the whole file without waiting: 0, or
    // EWOULDBLOCK when another open file (in this process or another) holds it. The
    // lock lasts until the file is closed.
    int TryLockExclusive();
    bool IsLocked() const { return locked_; }

    // The same operations throwing EKelmorFileError with the file name and the reason.
    void ReadAtOrThrow(uint64_t position, void* buffer, size_t length) const;
    void WriteAtOrThrow(uint64_t position, const void* buffer, size_t length);
    uint64_t SizeOrThrow() const;

private:
    int fd_ = -1;
    std::string path_;
    bool locked_ = false;
};

bool FileExists(const std::string& path);
int RemoveFile(const std::string& path);  // 0 or errno; a missing file is 0
int RenameFile(const std::string& from, const std::string& to);
int SyncFolderOf(const std::string& path);      // makes renames and removals durable
std::string FolderOf(const std::string& path);  // "." when the path has no folder
std::string ErrorText(int errnoValue);

}  // namespace kelmor
