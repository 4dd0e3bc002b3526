// The engine's exception hierarchy. Every class carries one fixed message, except
// EKelmorDamagedError and EKelmorDatabaseFull, which name what exactly is wrong.
#pragma once

#include <stdexcept>
#include <string>

namespace kelmor {

class EKelmorError : public std::runtime_error {
public:
    explicit EKelmorError(const std::string& message) : std::runtime_error(message) {}
};

class EKelmorKeyError : public EKelmorError {
    using EKelmorError::EKelmorError;
};
class EKelmorBlobError : public EKelmorError {
    using EKelmorError::EKelmorError;
};
class EKelmorNodeError : public EKelmorError {
    using EKelmorError::EKelmorError;
};

#define KELMOR_FIXED_ERROR(Name, Parent, Text)        \
    class Name : public Parent {                      \
    public:                                           \
        static constexpr const char* kMessage = Text; \
        Name() : Parent(kMessage) {}                  \
    }

KELMOR_FIXED_ERROR(EKelmorMemoryAllocationError, EKelmorError, "Memory Allocation Error");
KELMOR_FIXED_ERROR(EKelmorReadOnly, EKelmorError, "Database Read-Only");
KELMOR_FIXED_ERROR(EKelmorAccessDenied, EKelmorError, "Access Denied");
KELMOR_FIXED_ERROR(EKelmorGetFreeSpaceError, EKelmorError, "Error getting free disk space");
KELMOR_FIXED_ERROR(EKelmorCheckSumFailed, EKelmorError, "Checksum Check Failed");
KELMOR_FIXED_ERROR(EKelmorInvalidKeyIndexError, EKelmorKeyError, "Invalid Key Index");
KELMOR_FIXED_ERROR(EKelmorKeyListFullError, EKelmorKeyError, "Key List Full");
KELMOR_FIXED_ERROR(EKelmorWrongKeyType, EKelmorKeyError, "Wrong Key Type");
KELMOR_FIXED_ERROR(EKelmorNoKeyMarkedError, EKelmorKeyError, "No Key Marked");
KELMOR_FIXED_ERROR(EKelmorInvalidBlobID, EKelmorBlobError, "Invalid Blob ID");
KELMOR_FIXED_ERROR(EKelmorInvalidOpOnBlob, EKelmorBlobError, "Invalid Operation on Blob");
KELMOR_FIXED_ERROR(EKelmorNodeIDInvalidError, EKelmorNodeError, "Node ID Invalid");
KELMOR_FIXED_ERROR(EKelmorNodeReadOnlyError, EKelmorNodeError, "Node Read-Only");
KELMOR_FIXED_ERROR(EKelmorSourceNodeBrokenError, EKelmorNodeError, "Source Node Broken");
KELMOR_FIXED_ERROR(EKelmorParentsDifferentError, EKelmorNodeError, "Parent Nodes Different");
KELMOR_FIXED_ERROR(EKelmorParentLinkedError, EKelmorNodeError, "Parent Node Linked");
KELMOR_FIXED_ERROR(EKelmorNoNodeMarkedError, EKelmorNodeError, "No Node Marked");
KELMOR_FIXED_ERROR(EKelmorNodeCopyError, EKelmorNodeError, "Unable to Copy Node");
KELMOR_FIXED_ERROR(EKelmorNodeNotLinkError, EKelmorNodeError, "Not a Link");

#undef KELMOR_FIXED_ERROR

// A file of the database holds something that cannot be right (a length, position or
// count out of range). The message names the file and the problem.
class EKelmorDamagedError : public EKelmorError {
public:
    explicit EKelmorDamagedError(const std::string& what) : EKelmorError("Database Damaged: " + what) {}
};

// The 16-bit node or blob count of the format is exhausted.
class EKelmorDatabaseFull : public EKelmorError {
public:
    explicit EKelmorDatabaseFull(const std::string& what) : EKelmorError("Database Full: " + what) {}
};

// A blob larger than the format's 65535 bytes.
class EKelmorBlobTooLarge : public EKelmorBlobError {
public:
    EKelmorBlobTooLarge() : EKelmorBlobError("Blob Too Large: a blob holds at most 65535 bytes") {}
};

// Reading or writing a database file failed at the operating-system level; the errno
// value is kept so that a failed save can report the cause (a full disk, say).
class EKelmorFileError : public EKelmorError {
public:
    explicit EKelmorFileError(const std::string& what, int errnoValue = 0)
        : EKelmorError(what), errnoValue_(errnoValue) {}
    int ErrnoValue() const { return errnoValue_; }

private:
    int errnoValue_;
};

}  // namespace kelmor
