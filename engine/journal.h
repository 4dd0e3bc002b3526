// The commit journal that makes a flush atomic across the three database files.
//
// A flush first writes every change it is about to make (whole new index, new tails of
// the data and blob files, stamps, truncations) into "<base>.kmj.tmp", forces it to
// disk and renames it to "<base>.kmj": that rename is the commit. Only then are the
// changes applied to the database files, after which the journal is removed. Opening a
// database with a journal present applies it again (every operation is an absolute
// write, so applying twice does no harm); a ".kmj.tmp" left behind was never committed
// and is discarded.
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

class TJournalWriter {
public:
    // Creates the temporary journal; 0 or errno.
    int Begin(const std::string& baseName);
    // Each of these throws EKelmorFileError when the journal cannot be written.
    void Write(TJournalFile file, uint64_t offset, const uint8_t* bytes, uint64_t length);
    // Writes `length` bytes that `source` delivers in pieces (position, buffer, size).
    void Copy(TJournalFile file, uint64_t offset, uint64_t length,
              const std::function<void(uint64_t, uint8_t*, size_t)>& source);
    void Truncate(TJournalFile file, uint64_t size);
    // Ends the journal, forces it to disk and commits it; 0 or errno. After a failure
    // nothing is committed.
    int Commit();
    // Drops an unfinished journal.
    void Abandon();

private:
    void Put(const void* bytes, size_t length);
    void PutOperation(uint8_t kind, TJournalFile file, uint64_t offset, uint64_t length);
    void FlushBuffer();

    std::string baseName_;
    TFileHandle file_;
    std::vector<uint8_t> buffer_;
    uint64_t written_ = 0;  // bytes already in the file
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

// Crash tests stop the process at these points of a flush: after the journal is written
// but before it is committed, right after the commit, and halfway through applying it.
enum class TFlushPoint { JournalWritten, JournalCommitted, JournalHalfApplied };
using TFlushPointHook = void (*)(TFlushPoint point);
void SetFlushPointHook(TFlushPointHook hook);
void ReachFlushPoint(TFlushPoint point);

}  // namespace kelmor
