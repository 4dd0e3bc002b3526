// The commit journal that makes a flush atomic across the three database files.
//
// A flush writes the bytes it adds behind the committed end of a file straight into that
// file: nothing on disk refers to them yet. Everything that overwrites committed bytes
// (the index, records moved forward, stamps), and the truncations, goes into
// "<base>.kmj.tmp", which begins with the committed sizes of the three files and is forced
// to disk before the first byte behind an end is written (a writer's session puts its
// scratch data behind the ends too, after writing the same sizes there). Once the new
// tails and the
// journal are on disk, the journal is renamed to "<base>.kmj": that rename is the commit.
// Only then are the journal's writes applied to the database files, after which the
// journal is removed. Opening a database with a journal present applies it again (every
// operation is an absolute write, so applying twice does no harm); a ".kmj.tmp" left
// behind was never committed: the files are cut back to the sizes it names and it is
// discarded.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/fileio.h"

namespace kelmor {

enum class TJournalFile : uint8_t { Index = 0, Data = 1, Blob = 2 };

std::string JournalPath(const std::string& baseName);
std::string JournalTempPath(const std::string& baseName);

// The sizes of the index, data and blob files as the last completed save left them; a
// file whose size is unknown (a blob file that could not be opened) is never cut back.
constexpr uint64_t kUnknownFileSize = UINT64_MAX;
struct TCommittedSizes {
    std::array<uint64_t, 3> sizes{kUnknownFileSize, kUnknownFileSize, kUnknownFileSize};
};

class TJournalWriter {
public:
    // Creates the temporary journal, starting with the committed sizes; 0 or errno.
    int Begin(const std::string& baseName, const TCommittedSizes& committed = {});
    // Forces the committed sizes to disk (once): before the first byte is written behind
    // the committed end of a file. Throws EKelmorFileError.
    void SecureCommittedSizes();
    // Each of these throws EKelmorFileError when the journal cannot be written.
    void Write(TJournalFile file, uint64_t offset, const uint8_t* bytes, uint64_t length);
    // Writes `length` bytes that `source` delivers in pieces (position, buffer, size).
    void Copy(TJournalFile file, uint64_t offset, uint64_t length,
              const std::function<void(uint64_t, uint8_t*, size_t)>& source);
    void Truncate(TJournalFile file, uint64_t size);
    // Ends the journal, forces it to disk and commits it; 0 or errno. Committed() tells
    // whether the commit (the rename) took place: a failure to force the folder to disk
    // after it leaves the journal committed but perhaps not yet durable.
    int Commit();
    bool Committed() const { return committed_; }
    // Drops an unfinished journal.
    void Abandon();
    // Closes an unfinished journal but leaves it on disk, so that the next open for
    // writing cuts the files back to the sizes it names.
    void LeaveForNextOpen();

private:
    void Put(const void* bytes, size_t length);
    void PutOperation(uint8_t kind, TJournalFile file, uint64_t offset, uint64_t length);
    void FlushBuffer();

    std::string baseName_;
    TFileHandle file_;
    std::vector<uint8_t> buffer_;
    uint64_t written_ = 0;  // bytes already in the file
    bool sizesSecured_ = false;
    bool committed_ = false;
};

// The writes of a save to one database file. Bytes at or behind the file's end are
// referenced by nothing on disk, so they go straight into the file (once); bytes in front
// of it (the committed file, and the session's scratch data behind it, which the save may
// still read) go into the journal, to be written after the commit.
class TSaveTarget {
public:
    using TSource = std::function<void(uint64_t, uint8_t*, size_t)>;  // position, buffer, size
    TSaveTarget(TJournalWriter& journal, TJournalFile which, TFileHandle& file, uint64_t end);

    // Each throws EKelmorFileError.
    void Write(uint64_t offset, const uint8_t* bytes, uint64_t length);
    void Copy(uint64_t offset, uint64_t length, const TSource& source);
    void Truncate(uint64_t size) { journal_.Truncate(which_, size); }
    // Bytes that already lie in their place behind the committed end: only forced to disk.
    void KeepInPlace() { wroteTail_ = true; }
    // Forces the bytes written behind the committed end to disk; 0 or errno.
    int SyncTail();
    // After a save that was not committed: cuts the file back to the end it had when the
    // save began; 0 or errno.
    int CutBack();

private:
    TJournalWriter& journal_;
    TJournalFile which_;
    TFileHandle& file_;
    uint64_t end_;
    bool wroteTail_ = false;
};

struct TJournalFiles {
    std::array<TFileHandle*, 3> files{};  // index, data, blob; a null handle is skipped
};

// Checks a committed journal without applying it: "" when it is complete and well
// formed, else what is wrong.
std::string VerifyJournal(const std::string& path);
// Applies a committed journal to the files and forces them to disk; 0 or errno
// (ENODATA/EBADMSG for a damaged journal). Does not remove the journal.
int ApplyJournal(const std::string& path, TJournalFiles files);
// For a journal that was never committed: cuts every file that is longer than the
// committed size the journal names back to that size, and forces it to disk; 0 or errno.
// A journal cut short before its sizes were complete changes nothing (no byte was
// written behind an end before they were on disk).
int CutBackToCommittedSizes(const std::string& tempPath, TJournalFiles files);
// The committed sizes a journal names (all unknown for a journal without them).
TCommittedSizes CommittedSizesOf(const std::string& path);

// Crash tests stop the process at these points of a flush: after the new tails are
// written behind the committed ends, after the journal is written but before it is
// committed, right after the commit, and halfway through applying it.
enum class TFlushPoint { TailsWritten, JournalWritten, JournalCommitted, JournalHalfApplied };
using TFlushPointHook = void (*)(TFlushPoint point);
void SetFlushPointHook(TFlushPointHook hook);
void ReachFlushPoint(TFlushPoint point);

}  // namespace kelmor
