// TKelmorClass: the file set, the index file, creating, opening and closing.
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>

#include "engine/journal.h"
#include "engine/littleendian.h"
#include "engine/scramble.h"
#include "engine/tkelmor.h"

namespace kelmor {

namespace {
constexpr size_t kHeaderOffset = 49;
constexpr size_t kUserBlockOffset = 90;
constexpr size_t kEntriesOffset = 300;
constexpr size_t kBlobEntrySize = 8;
constexpr size_t kEntriesPerBlock = 4096;
constexpr uint64_t kMaxIndexSize = kEntriesOffset + 65535 * TKelmorNodeEntry::kStoredSize + 65535 * kBlobEntrySize;

std::string Num(int64_t value) { return std::to_string(value); }

// Descrambles `count` entries of `size` bytes starting at `data`, in blocks of up to
// 4096 entries or one entry per block.
void DescrambleEntries(uint8_t* data, size_t count, size_t size, bool inBlocks, uint8_t securityType) {
    const size_t perBlock = inBlocks ? kEntriesPerBlock : 1;
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(perBlock, count - done);
        DescrambleBlock(data + done * size, n * size, securityType);
        done += n;
    }
}
void ScrambleEntries(uint8_t* data, size_t count, size_t size, uint8_t securityType) {
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(kEntriesPerBlock, count - done);
        ScrambleBlock(data + done * size, n * size, securityType);
        done += n;
    }
}
}  // namespace

int ResultFromErrno(int errnoValue) {
    switch (errnoValue) {
        case 0: return kResultOK;
        case EACCES:
        case EPERM:
        case EROFS: return kResultAccessDenied;
        case EIO: return 1117;    // would read as "access denied"
        case EFAULT: return 998;  // would read as "logon refused"
        default: return errnoValue;
    }
}

TKelmorClass::TKelmorClass() : random_(std::random_device{}()) {
    try {
        work_.reset(new uint8_t[kWorkBufferSize]);
    } catch (const std::bad_alloc&) {
        throw EKelmorMemoryAllocationError();
    }
    Reset();
}

TKelmorClass::~TKelmorClass() {
    try {
        Close();
    } catch (...) {
        // closing ignores errors
    }
    blobs_.Clear();
}

TKelmorLogin TKelmorClass::MakeLogin(const std::string& userName, const std::string& password) {
    return TKelmorLogin{userName.substr(0, kMaxUserText), password.substr(0, kMaxUserText)};
}

std::string TKelmorClass::RemoveExtension(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

std::string TKelmorClass::BasePathOf(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? fileName.substr(0, dot) : fileName;
}

std::string TKelmorClass::GetFileName() const {
    const size_t slash = baseName_.find_last_of('/');
    return UpperCaseAscii(slash == std::string::npos ? baseName_ : baseName_.substr(slash + 1));
}

void TKelmorClass::Reset() {
    if (IsOpen()) Close();
    securityType_ = kSecurityKeyed;
    modified_ = false;
    nodes_.Clear();
    blobs_.Clear();
    records_.Detach();
    blobData_.Detach();
    currentUser_ = 0;
    markedNode_ = 0;
    header_ = TKelmorHeader{};
    users_.fill(0);
    journalPending_ = false;
    blobFileProblem_.clear();
    blobLayoutResolved_ = false;
    std::fill(work_.get(), work_.get() + kWorkBufferSize, uint8_t{0});
    work_[0] = 4;  // an empty record
}

void TKelmorClass::CloseFiles() {
    indexFile_.Close();
    dataFile_.Close();
    blobFile_.Close();
}

int TKelmorClass::Fail(int result, const std::string& text) {
    lastErrorText_ = text;
    CloseFiles();
    baseName_.clear();  // so that the reset below does not write anything
    Reset();
    return result;
}

int TKelmorClass::FailErrno(int errnoValue, const std::string& path) {
    return Fail(ResultFromErrno(errnoValue), path + ": " + ErrorText(errnoValue));
}

int TKelmorClass::Close() {
    if (!IsOpen()) return kResultOK;
    lastErrorText_.clear();
    const int error = readOnly_ ? 0 : WriteIndex();
    // The session's scratch data behind the committed ends is of no use any more.
    if (error != 0) CutBackScratchData();
    CloseFiles();
    // Only a completed save may remove the blob file: after a failed one the files on
    // disk still hold the last completed save, whose blobs may live there.
    if (!readOnly_ && error == 0 && header_.blobCount == 0) RemoveFile(BlobPath());
    ForgetDatabase();
    return error == 0 ? kResultOK : ResultFromErrno(error);
}

void TKelmorClass::Discard() {
    if (!IsOpen()) return;
    lastErrorText_.clear();
    if (!readOnly_) CutBackScratchData();
    CloseFiles();
    ForgetDatabase();
}

void TKelmorClass::ForgetDatabase() {
    baseName_.clear();
    currentUser_ = 0;
    modified_ = false;
    nodes_.Clear();
    blobs_.Clear();
    records_.Detach();
    blobData_.Detach();
    blobFileProblem_.clear();
    blobLayoutResolved_ = false;
}

// A database is written by one engine at a time: the engine that opens it for writing
// (or creates it) holds an exclusive lock on its index file until it closes it.
int TKelmorClass::LockIndexFile() {
    const int error = indexFile_.TryLockExclusive();
    if (error == EWOULDBLOCK)
        return Fail(kResultInUse, baseName_ + " is open for writing in another window or program.");
    // A file system without locks (some network shares) still lets the database open.
    return kResultOK;
}

// ---------------------------------------------------------------- creating

int TKelmorClass::CreateDatabase(const std::string& baseName, const TKelmorLogin& login) {
    Reset();
    stamp_ = 0;
    readOnly_ = false;
    lastErrorText_.clear();
    baseName_ = baseName;
    if (baseName.empty()) return Fail(ENOENT, "No database name given");
    // The lock comes before any file is touched: a database that is open for writing
    // elsewhere is never replaced underneath its writer.
    if (const int error = indexFile_.Open(IndexPath(), TFileHandle::TMode::OpenOrCreate))
        return FailErrno(error, IndexPath());
    if (const int result = LockIndexFile()) return result;
    if (const int error = indexFile_.Truncate(0)) return FailErrno(error, IndexPath());
    RemoveFile(JournalPath(baseName));
    RemoveFile(JournalTempPath(baseName));

    for (TFileHandle* file : {&dataFile_, &blobFile_}) {
        const std::string path = file == &dataFile_ ? DataPath() : BlobPath();
        int error = file->Open(path, TFileHandle::TMode::CreateTruncate);
        if (!error) error = file->WriteAt(0, kFileHeadTemplate.data(), kFileHeadSize);
        if (error) return FailErrno(error, path);
    }

    SetUserSlot(users_, 1, login.userName, login.password);
    std::vector<uint8_t> index = BuildIndexFile(header_);
    const auto stamp = static_cast<uint16_t>(std::uniform_int_distribution<int>(0, 65534)(random_));
    const uint8_t stampBytes[2] = {static_cast<uint8_t>(stamp), static_cast<uint8_t>(stamp >> 8)};
    std::copy(stampBytes, stampBytes + 2, index.begin() + kStampOffset);
    int error = indexFile_.WriteAt(0, index.data(), index.size());
    if (!error) error = indexFile_.Truncate(index.size());
    if (!error) error = dataFile_.WriteAt(kStampOffset, stampBytes, 2);
    if (!error) error = blobFile_.WriteAt(kStampOffset, stampBytes, 2);
    for (TFileHandle* file : {&indexFile_, &dataFile_, &blobFile_}) {
        if (!error) error = file->Sync();
    }
    if (error) return FailErrno(error, baseName);
    dataFile_.Close();
    blobFile_.Close();
    baseName_.clear();  // the index file stays open, so the lock is never let go
    return OpenDatabase(baseName, false, login);
}

// ---------------------------------------------------------------- opening

int TKelmorClass::RecoverUnfinishedFlush() {
    const std::string journal = JournalPath(baseName_);
    const std::string uncommitted = JournalTempPath(baseName_);
    const bool committedSave = FileExists(journal);
    if (committedSave) {
        const std::string problem = VerifyJournal(journal);
        if (!problem.empty())
            return Fail(kResultDamaged, "The record of an unfinished save, " + journal + ", cannot be used (" +
                                            problem +
                                            "). Move it aside to open the database as it was before that save.");
        if (readOnly_)
            return Fail(kResultDamaged,
                        "The last save of this database did not finish. Open it once for reading and "
                        "writing to complete it.");
    }
    // A reader leaves an uncommitted save alone: the bytes it left behind the ends of the
    // files are referenced by nothing, and its writer may still be at work.
    if (readOnly_ || (!committedSave && !FileExists(uncommitted))) return kResultOK;

    TFileHandle index, data, blob;
    int error = index.Open(IndexPath(), TFileHandle::TMode::ReadWrite);
    if (!error) {
        // Only a committed save needs the data file; cutting back skips a missing one.
        const int dataError = data.Open(DataPath(), TFileHandle::TMode::ReadWrite);
        if (dataError != ENOENT || committedSave) error = dataError;
    }
    if (!error) {
        // A blob file that is missing stays missing (its blobs then say so when read).
        const int blobError = blob.Open(BlobPath(), TFileHandle::TMode::ReadWrite);
        if (blobError != ENOENT) error = blobError;
    }
    const TJournalFiles files{{&index, data.IsOpen() ? &data : nullptr, blob.IsOpen() ? &blob : nullptr}};
    if (committedSave) {
        if (!error) error = ApplyJournal(journal, files);
        if (!error) error = RemoveFile(journal);
        if (!error) SyncFolderOf(journal);
        if (error) return FailErrno(error, journal);
    }
    if (FileExists(uncommitted)) {
        if (!error) error = CutBackToCommittedSizes(uncommitted, files);
        if (!error) error = RemoveFile(uncommitted);
        if (error) return FailErrno(error, uncommitted);
    }
    return kResultOK;
}

int TKelmorClass::OpenDatabase(const std::string& baseName, bool readOnly, const TKelmorLogin& login) {
    Reset();
    stamp_ = 0;
    lastErrorText_.clear();
    baseName_ = baseName;
    readOnly_ = readOnly;
    if (baseName.empty()) return Fail(ENOENT, "No database name given");

    if (!readOnly_ && !(indexFile_.IsLocked() && indexFile_.Path() == IndexPath())) {
        if (const int error = indexFile_.Open(IndexPath(), TFileHandle::TMode::ReadWrite))
            return FailErrno(error, IndexPath());
        if (const int result = LockIndexFile()) return result;
    }
    if (const int result = RecoverUnfinishedFlush()) return result;
    if (!readOnly_) {
        TFileHandle probe;
        const int error = probe.Open(DataPath(), TFileHandle::TMode::ReadWrite);
        if (error && error != ENOENT) return FailErrno(error, DataPath());
    }
    if (const int result = ReadIndex(login)) return result;

    bool stampsAgree = true;
    bool compare = false;
    uint16_t fileStamp = 0;
    if (const int result = OpenDataFile(compare, fileStamp)) return result;
    if (compare && fileStamp != stamp_) stampsAgree = false;
    if (const int result = OpenBlobFile(compare, fileStamp)) return result;
    if (compare && fileStamp != stamp_) stampsAgree = false;

    uint64_t dataSize = 0, blobSize = 0;
    if (dataFile_.IsOpen()) dataFile_.Size(dataSize);
    if (blobFile_.IsOpen()) blobFile_.Size(blobSize);
    const std::string folder = FolderOf(baseName_);
    std::string problem = PlaceRecords(dataSize);
    records_.Attach(&dataFile_, dataSize, folder);  // placing the blobs may read records
    if (problem.empty()) problem = PlaceBlobs(blobSize);
    if (!problem.empty()) return Fail(kResultDamaged, problem);
    blobData_.Attach(&blobFile_, blobSize, folder);
    if (!readOnly_) {
        // A writer keeps its scratch data behind the committed ends of the files themselves:
        // a save then finds most new bytes in their places already.
        records_.WriteBehindCommittedEnd([this] { SecureCommittedSizes(); });
        if (blobFile_.IsOpen()) blobData_.WriteBehindCommittedEnd([this] { SecureCommittedSizes(); });
    }

    modified_ = false;
    if (!stampsAgree) throw EKelmorCheckSumFailed();
    return kResultOK;
}

int TKelmorClass::ReadIndex(const TKelmorLogin& login) {
    const std::string path = IndexPath();
    if (!indexFile_.IsOpen()) {
        if (const int error =
                indexFile_.Open(path, readOnly_ ? TFileHandle::TMode::ReadOnly : TFileHandle::TMode::ReadWrite))
            return FailErrno(error, path);
    }
    uint64_t size = 0;
    if (const int error = indexFile_.Size(size)) return FailErrno(error, path);
    uint8_t head[kSecurityTypeOffset];
    if (size >= sizeof(head)) {
        if (const int error = indexFile_.ReadAt(0, head, sizeof(head))) return FailErrno(error, path);
        if (!std::equal(head, head + sizeof(head), kFileHeadTemplate.begin()))
            return Fail(kResultDamaged, "The file " + path +
                                            " is not the index file of a database: it does not begin with a "
                                            "database file's head.");
    }
    if (size < kEntriesOffset)
        return Fail(kResultDamaged, "The index file " + path + " is too short: " + Num(static_cast<int64_t>(size)) +
                                        " bytes, where a database index has at least 300.");
    if (size > kMaxIndexSize)
        return Fail(kResultDamaged, "The index file " + path + " is longer (" + Num(static_cast<int64_t>(size)) +
                                        " bytes) than any database index can be.");
    std::vector<uint8_t> file(static_cast<size_t>(size));
    if (const int error = indexFile_.ReadAt(0, file.data(), file.size())) return FailErrno(error, path);

    securityType_ = file[kSecurityTypeOffset] > 1 ? kSecurityPlain : file[kSecurityTypeOffset];
    uint8_t header[TKelmorHeader::kStoredSize];
    std::copy_n(file.begin() + kHeaderOffset, sizeof(header), header);
    DescrambleBlock(header, sizeof(header), securityType_);
    header_ = TKelmorHeader::Unpack(header);
    std::copy_n(file.begin() + kUserBlockOffset, kUserBlockSize, users_.begin());
    DescrambleBlock(users_.data(), users_.size(), securityType_);
    ApplyVersionRules();

    currentUser_ = static_cast<uint8_t>(CheckUserLogin(users_, login.userName, login.password));
    if (currentUser_ == 0) return Fail(kResultLogonRefused, "Incorrect user name or password.");

    const uint64_t expected = kEntriesOffset + uint64_t{header_.nodeCount} * TKelmorNodeEntry::kStoredSize +
                              uint64_t{header_.blobCount} * kBlobEntrySize;
    if (size != expected)
        return Fail(kResultDamaged, "The index file " + path + " holds " + Num(static_cast<int64_t>(size)) +
                                        " bytes, but its header counts " + Num(header_.nodeCount) + " nodes and " +
                                        Num(header_.blobCount) + " blobs, which take " +
                                        Num(static_cast<int64_t>(expected)) + " bytes.");
    std::string problem = CheckCounters();
    if (problem.empty()) problem = ParseEntries(file, kEntriesOffset);
    if (problem.empty()) problem = CheckTree();
    if (!problem.empty()) return Fail(kResultDamaged, "The index file " + path + " is damaged: " + problem);
    stamp_ = header_.HasStamps() ? static_cast<uint16_t>(file[kStampOffset] | file[kStampOffset + 1] << 8) : 0;
    return kResultOK;
}

void TKelmorClass::ApplyVersionRules() {
    if (header_.majorVersion != 1) return;
    if (header_.minorVersion <= 1) header_.blobCount = 0;
    if (header_.minorVersion <= 5) users_ = BuiltInUserBlock();
    if (header_.minorVersion <= 6) {
        header_.lastWriter = 5;
        header_.year = 0;
        header_.month = header_.day = header_.hour = header_.minute = header_.second = 0;
    }
}

std::string TKelmorClass::ParseEntries(const std::vector<uint8_t>& file, size_t offset) {
    const bool inBlocks = header_.HasEntryBlocks();
    const size_t nodeBytes = size_t{header_.nodeCount} * TKelmorNodeEntry::kStoredSize;
    std::vector<uint8_t> entries(file.begin() + static_cast<std::ptrdiff_t>(offset), file.end());
    DescrambleEntries(entries.data(), header_.nodeCount, TKelmorNodeEntry::kStoredSize, inBlocks, securityType_);
    DescrambleEntries(entries.data() + nodeBytes, header_.blobCount, kBlobEntrySize, inBlocks, securityType_);

    nodes_.Reserve(header_.nodeCount);
    for (size_t i = 0; i < header_.nodeCount; ++i) {
        const TKelmorNodeEntry entry = TKelmorNodeEntry::Unpack(entries.data() + i * TKelmorNodeEntry::kStoredSize);
        const std::string which = "node entry " + Num(static_cast<int64_t>(i + 1));
        if (entry.nodeID < 1) return which + " has the impossible ID " + Num(entry.nodeID) + ".";
        if (entry.nodeID > header_.lastNodeID)
            return which + " has the ID " + Num(entry.nodeID) + ", above the header's last node ID " +
                   Num(header_.lastNodeID) + ".";
        if (nodes_.Find(entry.nodeID)) return which + " repeats the node ID " + Num(entry.nodeID) + ".";
        if (entry.parentID < 0 || entry.parentID == entry.nodeID)
            return "node " + Num(entry.nodeID) + " has the impossible parent ID " + Num(entry.parentID) + ".";
        if (entry.dataPosition == INT32_MIN)
            return "link " + Num(entry.nodeID) + " has the impossible source ID 2147483648.";
        if (entry.dataPosition >= 0 && entry.dataPosition < static_cast<int32_t>(kFileHeadSize))
            return "node " + Num(entry.nodeID) + " has its record at position " + Num(entry.dataPosition) +
                   ", inside the file head.";
        nodes_.Add(entry);
    }
    const uint8_t* blobEntries = entries.data() + nodeBytes;
    for (size_t i = 0; i < header_.blobCount; ++i) {
        const int32_t id = GetLE32(blobEntries + i * kBlobEntrySize);
        const int32_t position = GetLE32(blobEntries + i * kBlobEntrySize + 4);
        const std::string which = "blob entry " + Num(static_cast<int64_t>(i + 1));
        if (id < 1) return which + " has the impossible ID " + Num(id) + ".";
        if (id > header_.lastBlobID)
            return which + " has the ID " + Num(id) + ", above the header's last blob ID " + Num(header_.lastBlobID) +
                   ".";
        if (blobs_.Find(id)) return which + " repeats the blob ID " + Num(id) + ".";
        // A position inside the file head is possible for a blob of size 0 (see PlaceBlobs).
        blobs_.Add(id, position, {});
    }
    return "";
}

// The counters from which new IDs are drawn: never negative, and below the largest ID, so
// that adding to them cannot overflow.
std::string TKelmorClass::CheckCounters() const {
    for (const auto& [name, value] : {std::pair<const char*, int32_t>{"last node ID", header_.lastNodeID},
                                      std::pair<const char*, int32_t>{"last blob ID", header_.lastBlobID}}) {
        if (value < 0 || value > kLargestID)
            return "its header's " + std::string(name) + " is " + Num(value) + ", outside 0.." + Num(kLargestID) + ".";
    }
    return "";
}

// Every chain of parents must end at the root or at a missing node: a cycle would make
// every walk up the tree endless.
std::string TKelmorClass::CheckTree() const {
    enum : uint8_t { kUnseen = 0, kOnWalk = 1, kEnds = 2 };
    nodes_.ForEach([](TNodeSlot* slot) { slot->mark = kUnseen; });
    std::string problem;
    std::vector<TNodeSlot*> walk;
    nodes_.ForEach([&](TNodeSlot* start) {
        if (!problem.empty()) return;
        walk.clear();
        for (TNodeSlot* slot = start; slot;) {
            if (slot->mark == kEnds) break;
            if (slot->mark == kOnWalk) {
                problem = "the parents of node " + Num(slot->entry.nodeID) + " form a cycle.";
                return;
            }
            slot->mark = kOnWalk;
            walk.push_back(slot);
            slot = slot->entry.parentID == 0 ? nullptr : nodes_.Find(slot->entry.parentID);
        }
        for (TNodeSlot* slot : walk) slot->mark = kEnds;
    });
    return problem;
}

int TKelmorClass::OpenDataFile(bool& compareStamp, uint16_t& stamp) {
    compareStamp = false;
    const std::string path = DataPath();
    int error = dataFile_.Open(path, readOnly_ ? TFileHandle::TMode::ReadOnly : TFileHandle::TMode::ReadWrite);
    if (error) {
        // Placing the records reports a missing file that the index needs. Only a file
        // that does not exist is made anew, and only when no record would be missing.
        if (readOnly_ || (error == ENOENT && HasRecords())) return kResultOK;
        if (error != ENOENT) return FailErrno(error, path);
        error = dataFile_.Open(path, TFileHandle::TMode::CreateTruncate);
        if (!error) error = dataFile_.WriteAt(0, kFileHeadTemplate.data(), kFileHeadSize);
        return error ? FailErrno(error, path) : kResultOK;
    }
    if (!header_.HasStamps()) return kResultOK;
    uint8_t bytes[2];
    if (dataFile_.ReadAt(kStampOffset, bytes, 2) != 0)
        return Fail(kResultDamaged, "The data file " + path + " is shorter than its 49-byte head.");
    stamp = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    compareStamp = true;
    return kResultOK;
}

int TKelmorClass::OpenBlobFile(bool& compareStamp, uint16_t& stamp) {
    compareStamp = false;
    const std::string path = BlobPath();
    int error = blobFile_.Open(path, readOnly_ ? TFileHandle::TMode::ReadOnly : TFileHandle::TMode::ReadWrite);
    if (!readOnly_ && header_.blobCount == 0 && (error == 0 || error == ENOENT)) {
        // A database without blobs gets an empty blob file (the head only).
        error = blobFile_.Open(path, TFileHandle::TMode::CreateTruncate);
        if (!error) error = blobFile_.WriteAt(0, kFileHeadTemplate.data(), kFileHeadSize);
        return error ? FailErrno(error, path) : kResultOK;
    }
    if (error && !readOnly_ && error != ENOENT) return FailErrno(error, path);  // never replaced
    if (error) {
        // The database opens all the same; reading one of its blobs names the problem.
        if (header_.blobCount > 0)
            blobFileProblem_ = error == ENOENT ? "the blob file " + path + " is missing"
                                               : "the blob file " + path + " cannot be opened: " + ErrorText(error);
        return kResultOK;
    }
    if (header_.blobCount == 0 || !header_.HasStamps()) return kResultOK;
    uint8_t bytes[2];
    if (blobFile_.ReadAt(kStampOffset, bytes, 2) != 0)
        return Fail(kResultDamaged, "The blob file " + path + " is shorter than its 49-byte head.");
    stamp = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    compareStamp = true;
    return kResultOK;
}

bool TKelmorClass::HasRecords() const {
    bool found = false;
    nodes_.ForEach([&](const TNodeSlot* slot) { found = found || !slot->entry.IsLink(); });
    return found;
}

// Records lie one after another without gaps, so each one's extent reaches to the next
// record (the last one to the end of the file). Positions are checked here; a record's
// own length is checked against its extent when it is read.
std::string TKelmorClass::PlaceRecords(uint64_t dataSize) {
    std::vector<TNodeSlot*> slots;
    slots.reserve(nodes_.Count());
    nodes_.ForEach([&](TNodeSlot* slot) {
        if (!slot->entry.IsLink()) slots.push_back(slot);
    });
    if (slots.empty()) return "";
    const std::string path = DataPath();
    if (!dataFile_.IsOpen()) return "The data file " + path + " cannot be opened, but the index lists records.";
    std::sort(slots.begin(), slots.end(),
              [](const TNodeSlot* a, const TNodeSlot* b) { return a->entry.dataPosition < b->entry.dataPosition; });
    for (size_t rank = 0; rank < slots.size(); ++rank) {
        TNodeSlot* slot = slots[rank];
        const auto position = static_cast<uint64_t>(slot->entry.dataPosition);
        const uint64_t end =
            rank + 1 < slots.size() ? static_cast<uint64_t>(slots[rank + 1]->entry.dataPosition) : dataSize;
        if (position >= dataSize)
            return "The index file " + IndexPath() + " places the record of node " + Num(slot->entry.nodeID) +
                   " at position " + Num(static_cast<int64_t>(position)) + ", beyond the end of the data file " + path +
                   " (" + Num(static_cast<int64_t>(dataSize)) + " bytes).";
        if (end == position)
            return "The index file " + IndexPath() + " gives nodes " + Num(slot->entry.nodeID) + " and " +
                   Num(slots[rank + 1]->entry.nodeID) + " the same record position " +
                   Num(static_cast<int64_t>(position)) + ".";
        if (end - position < 4)
            return "The record of node " + Num(slot->entry.nodeID) + " at position " +
                   Num(static_cast<int64_t>(position)) + " of " + path + " is too short to be a record.";
        slot->record = TStoreLocation{TRecordStore::CommittedOrder(rank), position,
                                      static_cast<uint32_t>(std::min<uint64_t>(end - position, UINT32_MAX)), false};
    }
    return "";
}

// ---------------------------------------------------------------- writing

std::vector<uint8_t> TKelmorClass::BuildIndexFile(TKelmorHeader& header) {
    header.majorVersion = 1;
    header.minorVersion = 25;
    header.nodeCount = static_cast<uint16_t>(nodes_.Count());
    header.blobCount = static_cast<uint16_t>(blobs_.Count());
    header.lastWriter = currentUser_;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    header.year = static_cast<uint16_t>(local.tm_year + 1900);
    header.month = static_cast<uint8_t>(local.tm_mon + 1);
    header.day = static_cast<uint8_t>(local.tm_mday);
    header.hour = static_cast<uint8_t>(local.tm_hour);
    header.minute = static_cast<uint8_t>(local.tm_min);
    header.second = static_cast<uint8_t>(std::min(local.tm_sec, 59));

    const size_t nodeCount = nodes_.Count();
    const size_t blobCount = blobs_.Count();
    std::vector<uint8_t> file(kEntriesOffset + nodeCount * TKelmorNodeEntry::kStoredSize + blobCount * kBlobEntrySize);
    std::copy(kFileHeadTemplate.begin(), kFileHeadTemplate.end(), file.begin());
    file[kSecurityTypeOffset] = securityType_;
    header.Pack(file.data() + kHeaderOffset);
    ScrambleBlock(file.data() + kHeaderOffset, TKelmorHeader::kStoredSize, securityType_);
    FillUnusedUserPositions(users_, random_);
    std::copy(users_.begin(), users_.end(), file.begin() + kUserBlockOffset);
    ScrambleBlock(file.data() + kUserBlockOffset, kUserBlockSize, securityType_);

    uint8_t* out = file.data() + kEntriesOffset;
    nodes_.ForEachInStoredOrder([&](const TNodeSlot* slot) {
        slot->entry.Pack(out);
        out += TKelmorNodeEntry::kStoredSize;
    });
    ScrambleEntries(file.data() + kEntriesOffset, nodeCount, TKelmorNodeEntry::kStoredSize, securityType_);
    uint8_t* blobsAt = out;
    for (const TKelmorBlobEntry* blob : blobs_.InStoredOrder()) {
        PutLE32(out, blob->blobID);
        PutLE32(out + 4, blob->position);
        out += kBlobEntrySize;
    }
    ScrambleEntries(blobsAt, blobCount, kBlobEntrySize, securityType_);
    return file;
}

// ---------------------------------------------------------------- information

TKelmorInfo TKelmorClass::GetInfo() {
    if (currentUser_ != 1) throw EKelmorAccessDenied();
    TKelmorInfo info;
    info.majorVersion = header_.majorVersion;
    info.minorVersion = header_.minorVersion;
    info.nodeCount = header_.nodeCount;
    info.lastNodeID = header_.lastNodeID;
    const TBucketStats nodeStats = nodes_.NodeTableStats();
    const TBucketStats parentStats = nodes_.ParentTableStats();
    info.nodeBucketsInUse = nodeStats.bucketsInUse;
    info.nodeLongestBucket = nodeStats.longestBucket;
    info.parentBucketsInUse = parentStats.bucketsInUse;
    info.parentLongestBucket = parentStats.longestBucket;
    info.blobCount = header_.blobCount;
    info.lastBlobID = header_.lastBlobID;
    const TBucketStats blobStats = blobs_.Stats();
    info.blobBucketsInUse = blobStats.bucketsInUse;
    info.blobLongestBucket = blobStats.longestBucket;
    info.markedNode = markedNode_;
    info.securityType = securityType_;
    info.stamp = stamp_;
    return info;
}

uint8_t TKelmorClass::NodeSpaceFree() const {
    if (!IsOpen()) return 0;
    const uint32_t length = work_[0] | uint32_t{work_[1]} << 8;
    const uint32_t scaled = length * 100;
    uint32_t percent = scaled / kWorkBufferSize;
    const uint32_t remainder = scaled % kWorkBufferSize;
    if (remainder * 2 > kWorkBufferSize || (remainder * 2 == kWorkBufferSize && percent % 2 == 1)) ++percent;
    return static_cast<uint8_t>(100 - std::min<uint32_t>(percent, 100));
}

int64_t TKelmorClass::DiskFree() const {
    if (!IsOpen()) return 0;
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(FolderOf(baseName_), error);
    if (error) throw EKelmorGetFreeSpaceError();
    return static_cast<int64_t>(space.available);
}
}  // namespace kelmor
