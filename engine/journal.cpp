#include "engine/journal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/kelmorerrors.h"

namespace kelmor {

namespace {
// A journal of the first kind holds no committed sizes; the second begins with them.
constexpr char kMagicWithoutSizes[4] = {'K', 'M', 'J', '1'};
constexpr char kMagic[4] = {'K', 'M', 'J', '2'};
constexpr size_t kSizesSize = 3 * 8;
constexpr char kEndMagic[4] = {'K', 'M', 'J', 'E'};
constexpr uint8_t kOpWrite = 1;
constexpr uint8_t kOpTruncate = 2;
constexpr uint8_t kOpEnd = 0xFF;
constexpr size_t kOpHeaderSize = 1 + 1 + 8 + 8;
constexpr size_t kEndSize = 1 + 8 + 4;
constexpr size_t kBufferLimit = 1u << 20;

void PutU64(uint8_t* out, uint64_t value) {
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}
uint64_t GetU64(const uint8_t* in) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | in[i];
    return value;
}

struct TOperation {
    uint8_t kind = 0;
    uint8_t file = 0;
    uint64_t offset = 0;
    uint64_t length = 0;
    uint64_t dataAt = 0;  // position of the data in the journal
};

// Cuts a file that is longer than `size` back to it and forces it to disk; 0 or errno.
int CutFileBack(TFileHandle& file, uint64_t size) {
    uint64_t actual = 0;
    if (const int error = file.Size(actual)) return error;
    if (actual <= size) return 0;
    if (const int error = file.Truncate(size)) return error;
    return file.Sync();
}

// Reads the signature and the committed sizes at the start of a journal, however much of
// the rest is there; "" on success, else what is wrong. `opsStart` is where the operations
// begin.
std::string ParseJournalStart(const TFileHandle& journal, TCommittedSizes& committed, uint64_t& opsStart) {
    uint8_t start[sizeof(kMagic) + kSizesSize];
    uint64_t size = 0;
    if (int error = journal.Size(size)) return ErrorText(error);
    if (size < sizeof(kMagic) || journal.ReadAt(0, start, sizeof(kMagic)) != 0)
        return "the journal has no valid signature";
    if (std::memcmp(start, kMagicWithoutSizes, 4) == 0) {
        opsStart = sizeof(kMagicWithoutSizes);
        return "";
    }
    if (std::memcmp(start, kMagic, 4) != 0) return "the journal has no valid signature";
    if (size < sizeof(start) || journal.ReadAt(0, start, sizeof(start)) != 0)
        return "the journal's committed sizes are cut short";
    for (size_t file = 0; file < 3; ++file) committed.sizes[file] = GetU64(start + sizeof(kMagic) + 8 * file);
    opsStart = sizeof(start);
    return "";
}

// Reads the operation list of a journal; "" on success, else what is wrong.
std::string ParseJournal(const TFileHandle& journal, std::vector<TOperation>& operations) {
    uint64_t size = 0;
    if (int error = journal.Size(size)) return ErrorText(error);
    TCommittedSizes committed;
    uint64_t position = 0;
    if (std::string problem = ParseJournalStart(journal, committed, position); !problem.empty()) return problem;
    if (size < position + kEndSize) return "the journal is too short";
    uint8_t end[kEndSize];
    if (journal.ReadAt(size - kEndSize, end, kEndSize) != 0 || end[0] != kOpEnd || GetU64(end + 1) != size - kEndSize ||
        std::memcmp(end + 9, kEndMagic, 4) != 0)
        return "the journal is incomplete";
    const uint64_t opsEnd = size - kEndSize;
    while (position < opsEnd) {
        if (opsEnd - position < kOpHeaderSize) return "the journal's last operation is cut short";
        uint8_t header[kOpHeaderSize];
        if (journal.ReadAt(position, header, kOpHeaderSize) != 0) return "the journal cannot be read";
        TOperation op{header[0], header[1], GetU64(header + 2), GetU64(header + 10), position + kOpHeaderSize};
        if (op.file > 2) return "the journal names an unknown file";
        position += kOpHeaderSize;
        if (op.kind == kOpWrite) {
            if (op.length > opsEnd - position) return "the journal's data are cut short";
            position += op.length;
        } else if (op.kind != kOpTruncate) {
            return "the journal holds an unknown operation";
        }
        operations.push_back(op);
    }
    return "";
}
}  // namespace

namespace {
TFlushPointHook flushPointHook = nullptr;
}

void SetFlushPointHook(TFlushPointHook hook) { flushPointHook = hook; }

void ReachFlushPoint(TFlushPoint point) {
    if (flushPointHook) flushPointHook(point);
}

std::string JournalPath(const std::string& baseName) { return baseName + ".kmj"; }
std::string JournalTempPath(const std::string& baseName) { return baseName + ".kmj.tmp"; }

int TJournalWriter::Begin(const std::string& baseName, const TCommittedSizes& committed) {
    baseName_ = baseName;
    buffer_.clear();
    written_ = 0;
    sizesSecured_ = false;
    committed_ = false;
    // Not truncated: a journal left by the session may already hold the same committed sizes
    // on disk, and they must stay there while this one is written over it.
    if (int error = file_.Open(JournalTempPath(baseName), TFileHandle::TMode::OpenOrCreate)) return error;
    Put(kMagic, sizeof(kMagic));
    uint8_t sizes[kSizesSize];
    for (size_t file = 0; file < 3; ++file) PutU64(sizes + 8 * file, committed.sizes[file]);
    Put(sizes, sizeof(sizes));
    return 0;
}

void TJournalWriter::SecureCommittedSizes() {
    if (sizesSecured_) return;
    FlushBuffer();
    int error = file_.Sync();
    if (!error) error = SyncFolderOf(JournalTempPath(baseName_));
    if (error) throw EKelmorFileError("Error writing " + JournalTempPath(baseName_) + ": " + ErrorText(error), error);
    sizesSecured_ = true;
}

void TJournalWriter::FlushBuffer() {
    if (buffer_.empty()) return;
    file_.WriteAtOrThrow(written_, buffer_.data(), buffer_.size());
    written_ += buffer_.size();
    buffer_.clear();
}

void TJournalWriter::Put(const void* bytes, size_t length) {
    const auto* in = static_cast<const uint8_t*>(bytes);
    buffer_.insert(buffer_.end(), in, in + length);
    if (buffer_.size() >= kBufferLimit) FlushBuffer();
}

void TJournalWriter::PutOperation(uint8_t kind, TJournalFile file, uint64_t offset, uint64_t length) {
    uint8_t header[kOpHeaderSize];
    header[0] = kind;
    header[1] = static_cast<uint8_t>(file);
    PutU64(header + 2, offset);
    PutU64(header + 10, length);
    Put(header, sizeof(header));
}

void TJournalWriter::Write(TJournalFile file, uint64_t offset, const uint8_t* bytes, uint64_t length) {
    PutOperation(kOpWrite, file, offset, length);
    Put(bytes, static_cast<size_t>(length));
}

void TJournalWriter::Copy(TJournalFile file, uint64_t offset, uint64_t length,
                          const std::function<void(uint64_t, uint8_t*, size_t)>& source) {
    PutOperation(kOpWrite, file, offset, length);
    uint64_t done = 0;
    while (done < length) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(length - done, kBufferLimit));
        const size_t start = buffer_.size();
        buffer_.resize(start + piece);
        source(done, buffer_.data() + start, piece);
        done += piece;
        if (buffer_.size() >= kBufferLimit) FlushBuffer();
    }
}

void TJournalWriter::Truncate(TJournalFile file, uint64_t size) { PutOperation(kOpTruncate, file, size, 0); }

int TJournalWriter::Commit() {
    try {
        uint8_t end[kEndSize];
        end[0] = kOpEnd;
        PutU64(end + 1, written_ + buffer_.size());
        std::memcpy(end + 9, kEndMagic, 4);
        Put(end, sizeof(end));
        FlushBuffer();
    } catch (const EKelmorFileError& error) {
        return error.ErrnoValue() != 0 ? error.ErrnoValue() : EIO;
    }
    if (const int error = file_.Truncate(written_)) return error;  // whatever an older journal left behind
    if (const int error = file_.Sync()) return error;
    file_.Close();
    ReachFlushPoint(TFlushPoint::JournalWritten);
    if (const int error = RenameFile(JournalTempPath(baseName_), JournalPath(baseName_))) return error;
    committed_ = true;
    return SyncFolderOf(JournalPath(baseName_));
}

void TJournalWriter::Abandon() {
    LeaveForNextOpen();
    RemoveFile(JournalTempPath(baseName_));
}

void TJournalWriter::LeaveForNextOpen() {
    file_.Close();
    buffer_.clear();
}

TSaveTarget::TSaveTarget(TJournalWriter& journal, TJournalFile which, TFileHandle& file, uint64_t end)
    : journal_(journal), which_(which), file_(file), end_(end) {}

void TSaveTarget::Write(uint64_t offset, const uint8_t* bytes, uint64_t length) {
    Copy(offset, length, [&](uint64_t done, uint8_t* buffer, size_t n) { std::memcpy(buffer, bytes + done, n); });
}

void TSaveTarget::Copy(uint64_t offset, uint64_t length, const TSource& source) {
    // The part in front of the end overwrites bytes that are (or may be) still read.
    const uint64_t inFront = offset >= end_ ? 0 : std::min(length, end_ - offset);
    if (inFront > 0) journal_.Copy(which_, offset, inFront, source);
    if (inFront == length) return;
    journal_.SecureCommittedSizes();
    wroteTail_ = true;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(length - inFront, kBufferLimit)));
    for (uint64_t done = inFront; done < length;) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(length - done, buffer.size()));
        source(done, buffer.data(), piece);
        file_.WriteAtOrThrow(offset + done, buffer.data(), piece);
        done += piece;
    }
}

int TSaveTarget::SyncTail() { return wroteTail_ ? file_.Sync() : 0; }

int TSaveTarget::CutBack() { return wroteTail_ ? CutFileBack(file_, end_) : 0; }

std::string VerifyJournal(const std::string& path) {
    TFileHandle journal;
    if (int error = journal.Open(path, TFileHandle::TMode::ReadOnly)) return ErrorText(error);
    std::vector<TOperation> operations;
    return ParseJournal(journal, operations);
}

int ApplyJournal(const std::string& path, TJournalFiles files) {
    TFileHandle journal;
    if (int error = journal.Open(path, TFileHandle::TMode::ReadOnly)) return error;
    std::vector<TOperation> operations;
    if (!ParseJournal(journal, operations).empty()) return EBADMSG;
    std::vector<uint8_t> buffer;
    size_t applied = 0;
    for (const TOperation& op : operations) {
        if (applied++ == operations.size() / 2) ReachFlushPoint(TFlushPoint::JournalHalfApplied);
        TFileHandle* target = files.files[op.file];
        if (!target) continue;
        if (op.kind == kOpTruncate) {
            if (int error = target->Truncate(op.offset)) return error;
            continue;
        }
        uint64_t done = 0;
        while (done < op.length) {
            const size_t piece = static_cast<size_t>(std::min<uint64_t>(op.length - done, kBufferLimit));
            buffer.resize(piece);
            if (int error = journal.ReadAt(op.dataAt + done, buffer.data(), piece)) return error;
            if (int error = target->WriteAt(op.offset + done, buffer.data(), piece)) return error;
            done += piece;
        }
    }
    for (TFileHandle* target : files.files) {
        if (target && target->IsOpen()) {
            if (int error = target->Sync()) return error;
        }
    }
    return 0;
}

TCommittedSizes CommittedSizesOf(const std::string& path) {
    TCommittedSizes committed;
    TFileHandle journal;
    uint64_t opsStart = 0;
    if (journal.Open(path, TFileHandle::TMode::ReadOnly) != 0 ||
        !ParseJournalStart(journal, committed, opsStart).empty())
        return TCommittedSizes{};
    return committed;
}

int CutBackToCommittedSizes(const std::string& tempPath, TJournalFiles files) {
    const TCommittedSizes committed = CommittedSizesOf(tempPath);
    for (size_t file = 0; file < 3; ++file) {
        TFileHandle* target = files.files[file];
        if (!target || !target->IsOpen() || committed.sizes[file] == kUnknownFileSize) continue;
        if (const int error = CutFileBack(*target, committed.sizes[file])) return error;
    }
    return 0;
}

}  // namespace kelmor
