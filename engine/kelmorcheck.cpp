#include "engine/kelmorcheck.h"
#include "engine/littleendian.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

#include "engine/fileio.h"
#include "engine/journal.h"
#include "engine/kelmorheader.h"
#include "engine/keytypes.h"
#include "engine/nodeindex.h"
#include "engine/scramble.h"

namespace kelmor {

namespace {

constexpr size_t kMaxRecord = 65510;

std::string Num(int64_t value) { return std::to_string(value); }

struct TBlobReference {
    int32_t nodeID;
    int key;
    int32_t size;
};

class TChecker {
public:
    explicit TChecker(std::string base) : base_(std::move(base)) {}

    std::vector<TCheckFinding> Run() {
        CheckJournal();
        if (!LoadFile(".idx", index_, true)) return findings_;
        if (!CheckIndex()) return findings_;
        const bool hasData = LoadFile(".dat", data_, true);
        const bool hasBlobs = LoadFile(".blb", blobs_, header_.blobCount > 0);
        if (hasData) CheckDataFile();
        CheckBlobReferences();
        if (hasBlobs || header_.blobCount > 0) CheckBlobFile(hasBlobs);
        return findings_;
    }

private:
    void Report(const std::string& extension, const std::string& problem) {
        findings_.push_back({base_ + extension, problem});
    }

    bool LoadFile(const std::string& extension, std::vector<uint8_t>& bytes, bool required) {
        TFileHandle file;
        if (const int error = file.Open(base_ + extension, TFileHandle::TMode::ReadOnly)) {
            if (required) Report(extension, "cannot be read: " + ErrorText(error));
            return false;
        }
        uint64_t size = 0;
        if (const int error = file.Size(size)) {
            Report(extension, "cannot be read: " + ErrorText(error));
            return false;
        }
        bytes.resize(static_cast<size_t>(size));
        if (const int error = file.ReadAt(0, bytes.data(), bytes.size())) {
            Report(extension, "cannot be read: " + ErrorText(error));
            return false;
        }
        return true;
    }

    void CheckJournal() {
        const std::string uncommitted = JournalTempPath(base_);
        if (FileExists(uncommitted)) {
            // The bytes an interrupted save wrote behind the committed ends.
            const TCommittedSizes committed = CommittedSizesOf(uncommitted);
            for (const auto& [file, extension] :
                 {std::pair{TJournalFile::Data, ".dat"}, {TJournalFile::Blob, ".blb"}}) {
                const uint64_t size = committed.sizes[static_cast<size_t>(file)];
                uint64_t actual = 0;
                TFileHandle handle;
                if (size == kUnknownFileSize || handle.Open(base_ + extension, TFileHandle::TMode::ReadOnly) != 0 ||
                    handle.Size(actual) != 0 || actual <= size)
                    continue;
                Report(".kmj.tmp",
                       "unsaved data of a session that is still open, or that ended without saving, "
                       "lies behind the saved end; opening the database for writing cuts " +
                           std::string(extension) + " back to the " + Num(static_cast<int64_t>(size)) +
                           " bytes of the last completed save");
            }
        }
        if (FileExists(JournalPath(base_))) {
            const std::string problem = VerifyJournal(JournalPath(base_));
            Report(".kmj", problem.empty() ? "an interrupted save waits here; opening the database for writing "
                                             "completes it, and the other files are not yet its result"
                                           : "the record of an interrupted save is damaged: " + problem);
        }
    }

    void CheckHead(const std::string& extension, const std::vector<uint8_t>& bytes) {
        if (bytes.size() < kFileHeadSize) {
            Report(extension,
                   "is " + Num(static_cast<int64_t>(bytes.size())) + " bytes long, shorter than the 49-byte file head");
            return;
        }
        if (!std::equal(kFileHeadTemplate.begin(), kFileHeadTemplate.begin() + kSecurityTypeOffset, bytes.begin()))
            Report(extension, "offset 0: the file head's signature is not that of a database file");
        if (header_.HasStamps() && extension != ".idx") {
            const uint16_t stamp = static_cast<uint16_t>(bytes[kStampOffset] | bytes[kStampOffset + 1] << 8);
            if (stamp != stamp_)
                Report(extension, "offset 47: the stamp " + Num(stamp) + " differs from the index file's " +
                                      Num(stamp_) + " (the files come from different saves)");
        }
    }

    bool CheckIndex() {
        CheckHead(".idx", index_);
        if (index_.size() < 300) {
            Report(".idx", "is too short to hold the header and the user block (300 bytes)");
            return false;
        }
        securityType_ = index_[kSecurityTypeOffset] > 1 ? kSecurityPlain : index_[kSecurityTypeOffset];
        stamp_ = static_cast<uint16_t>(index_[kStampOffset] | index_[kStampOffset + 1] << 8);
        uint8_t header[TKelmorHeader::kStoredSize];
        std::copy_n(index_.begin() + 49, sizeof(header), header);
        DescrambleBlock(header, sizeof(header), securityType_);
        header_ = TKelmorHeader::Unpack(header);
        if (header_.majorVersion == 1 && header_.minorVersion <= 1) header_.blobCount = 0;
        if (!header_.HasStamps()) stamp_ = 0;
        for (const auto& [offset, name, value] :
             {std::tuple{52, "last node ID", header_.lastNodeID}, std::tuple{58, "last blob ID", header_.lastBlobID}}) {
            if (value < 0 || value > kLargestID)
                Report(".idx", "offset " + Num(offset) + ": the header's " + name + " " + Num(value) +
                                   " lies outside 0.." + Num(kLargestID));
        }

        const size_t expected = 300 + size_t{header_.nodeCount} * 13 + size_t{header_.blobCount} * 8;
        if (index_.size() != expected) {
            Report(".idx", "is " + Num(static_cast<int64_t>(index_.size())) + " bytes long, but its header counts " +
                               Num(header_.nodeCount) + " nodes and " + Num(header_.blobCount) + " blobs, which take " +
                               Num(static_cast<int64_t>(expected)) + " bytes");
            if (index_.size() < expected) return false;
        }
        std::vector<uint8_t> entries(index_.begin() + 300, index_.begin() + static_cast<std::ptrdiff_t>(expected));
        const size_t perBlock = header_.HasEntryBlocks() ? 4096 : 1;
        auto descramble = [&](uint8_t* at, size_t count, size_t size) {
            for (size_t done = 0; done < count;) {
                const size_t n = std::min(perBlock, count - done);
                DescrambleBlock(at + done * size, n * size, securityType_);
                done += n;
            }
        };
        descramble(entries.data(), header_.nodeCount, 13);
        descramble(entries.data() + size_t{header_.nodeCount} * 13, header_.blobCount, 8);

        for (size_t i = 0; i < header_.nodeCount; ++i) {
            const TKelmorNodeEntry entry = TKelmorNodeEntry::Unpack(entries.data() + i * 13);
            const std::string where = "offset " + Num(static_cast<int64_t>(300 + i * 13)) + ", node entry " +
                                      Num(static_cast<int64_t>(i + 1)) + " (ID " + Num(entry.nodeID) + "): ";
            if (entry.nodeID < 1 || entry.nodeID > header_.lastNodeID)
                Report(".idx", where + "the ID lies outside 1.." + Num(header_.lastNodeID));
            if (!nodes_.emplace(entry.nodeID, entry).second) Report(".idx", where + "the ID is used twice");
            if (entry.parentID < 0 || entry.parentID == entry.nodeID)
                Report(".idx", where + "impossible parent ID " + Num(entry.parentID));
            if (entry.dataPosition >= 0 && entry.dataPosition < 49)
                Report(".idx", where + "record position " + Num(entry.dataPosition) + " lies inside the file head");
            if ((entry.security & 0x7F) < 1 || (entry.security & 0x7F) > 5)
                Report(".idx", where + "security level " + Num(entry.security & 0x7F) + " is not 1 to 5");
        }
        for (const auto& [id, entry] : nodes_) {
            if (entry.parentID > 0 && !nodes_.count(entry.parentID))
                Report(".idx", "node " + Num(id) + ": its parent " + Num(entry.parentID) + " does not exist");
            if (entry.IsLink()) {
                const int64_t sourceID = -static_cast<int64_t>(entry.dataPosition);
                if (sourceID > INT32_MAX)
                    Report(".idx", "link " + Num(id) + " has the impossible source " + Num(sourceID));
                const auto source = sourceID > INT32_MAX ? nodes_.end() : nodes_.find(static_cast<int32_t>(sourceID));
                if (source != nodes_.end() && source->second.IsLink())
                    Report(".idx", "link " + Num(id) + " points at link " + Num(source->first) + ", not at a node");
            }
            const auto parent = nodes_.find(entry.parentID);
            if (parent != nodes_.end() && parent->second.IsLink())
                Report(".idx", "node " + Num(id) + " hangs below link " + Num(entry.parentID));
        }
        CheckParentCycles();
        for (size_t i = 0; i < header_.blobCount; ++i) {
            const uint8_t* at = entries.data() + size_t{header_.nodeCount} * 13 + i * 8;
            const int32_t id = GetLE32(at), position = GetLE32(at + 4);
            const std::string where = "offset " +
                                      Num(static_cast<int64_t>(300 + size_t{header_.nodeCount} * 13 + i * 8)) +
                                      ", blob entry " + Num(static_cast<int64_t>(i + 1)) + " (blob " + Num(id) + "): ";
            if (id < 1 || id > header_.lastBlobID)
                Report(".idx", where + "the ID lies outside 1.." + Num(header_.lastBlobID));
            if (!blobPositions_.emplace(id, position).second) Report(".idx", where + "the ID is used twice");
        }
        return true;
    }

    void CheckParentCycles() {
        std::unordered_map<int32_t, int> state;
        for (const auto& [start, unused] : nodes_) {
            std::vector<int32_t> walk;
            int32_t id = start;
            while (nodes_.count(id) && state[id] == 0) {
                state[id] = 1;
                walk.push_back(id);
                id = nodes_.at(id).parentID;
            }
            if (nodes_.count(id) && state[id] == 1) Report(".idx", "the parents of node " + Num(id) + " form a cycle");
            for (int32_t w : walk) state[w] = 2;
        }
    }

    void CheckDataFile() {
        CheckHead(".dat", data_);
        std::vector<std::pair<int64_t, int32_t>> records;  // position, node
        for (const auto& [id, entry] : nodes_)
            if (entry.dataPosition >= 49) records.emplace_back(entry.dataPosition, id);
        std::sort(records.begin(), records.end());
        int64_t expected = 49;
        for (const auto& [position, id] : records) {
            const std::string where = "offset " + Num(position) + ", the record of node " + Num(id) + ": ";
            if (position > expected)
                Report(".dat",
                       "offset " + Num(expected) + ": " + Num(position - expected) + " bytes belong to no record");
            if (position < expected) Report(".dat", where + "overlaps the record before it");
            if (position + 2 > static_cast<int64_t>(data_.size())) {
                Report(".dat", where + "lies beyond the end of the file (" + Num(static_cast<int64_t>(data_.size())) +
                                   " bytes)");
                continue;
            }
            const size_t length = data_[static_cast<size_t>(position)] | data_[static_cast<size_t>(position) + 1] << 8;
            if (length < 4 || length > kMaxRecord) {
                Report(".dat",
                       where + "claims " + Num(static_cast<int64_t>(length)) + " bytes (4 to 65510 are possible)");
                continue;
            }
            if (position + static_cast<int64_t>(length) > static_cast<int64_t>(data_.size())) {
                Report(".dat", where + "claims " + Num(static_cast<int64_t>(length)) +
                                   " bytes and runs past the end of the file");
                continue;
            }
            CheckRecord(id, where,
                        std::vector<uint8_t>(data_.begin() + position,
                                             data_.begin() + position + static_cast<int64_t>(length)));
            expected = std::max(expected, position + static_cast<int64_t>(length));
        }
        if (expected < static_cast<int64_t>(data_.size()))
            Report(".dat", "offset " + Num(expected) + ": " + Num(static_cast<int64_t>(data_.size()) - expected) +
                               " bytes at the end belong to no record");
    }

    void CheckRecord(int32_t id, const std::string& where, std::vector<uint8_t> record) {
        DescrambleBlock(record.data() + 2, record.size() - 2, securityType_);
        const size_t count = record[2] | record[3] << 8;
        size_t offset = 4, items = 0;
        std::vector<std::pair<uint8_t, size_t>> item;  // type, offset
        while (offset < record.size()) {
            if (record.size() - offset < 2 || record[offset] + 2u > record.size() - offset) {
                Report(".dat", where + "item " + Num(static_cast<int64_t>(items + 1)) + " runs past the record's end");
                return;
            }
            item.emplace_back(record[offset + 1], offset);
            offset += record[offset] + 2u;
            ++items;
        }
        if (items != count) {
            Report(".dat", where + "holds " + Num(static_cast<int64_t>(items)) + " items but says " +
                               Num(static_cast<int64_t>(count)));
            return;
        }
        if (items > 0 && item[0].first != ktName) Report(".dat", where + "the description is not a text item");
        for (size_t i = 1; i < item.size(); ++i) {
            const auto [type, at] = item[i];
            const int key = static_cast<int>((i + 1) / 2);
            if (i % 2 == 1) {
                if (type != ktName) Report(".dat", where + "the name of key " + Num(key) + " is not a text item");
                continue;
            }
            const int size = KeyValueSize(type);
            if (size == 0) {
                Report(".dat", where + "key " + Num(key) + " has the unknown type " + Num(type));
            } else if (size > 0 && record[at] != size) {
                Report(".dat", where + "key " + Num(key) + " (" + KeyTypeName(type) + ") holds " + Num(record[at]) +
                                   " bytes instead of " + Num(size));
            } else if (type == ktBlob) {
                references_[GetLE32(&record[at + 2])].push_back({id, key, GetLE32(&record[at + 6])});
            }
        }
        if (item.size() % 2 == 0 && !item.empty()) Report(".dat", where + "the last key has a name but no value");
    }

    // Every blob has exactly one key, and every blob key a blob.
    void CheckBlobReferences() {
        for (const auto& [id, position] : blobPositions_) {
            const auto references = references_.find(id);
            if (references == references_.end()) Report(".idx", "blob " + Num(id) + " belongs to no key");
        }
        for (const auto& [id, references] : references_) {
            for (const TBlobReference& reference : references) {
                const std::string key = "node " + Num(reference.nodeID) + ", key " + Num(reference.key);
                if (!blobPositions_.count(id)) Report(".dat", key + ": blob " + Num(id) + " does not exist");
                if (reference.size < 0 || reference.size > 65535)
                    Report(".dat", key + ": blob " + Num(id) + " has the impossible size " + Num(reference.size));
            }
            if (references.size() > 1)
                Report(".dat",
                       "blob " + Num(id) + " belongs to " + Num(static_cast<int64_t>(references.size())) + " keys");
        }
    }

    // The blobs lie one after another from offset 49, each as long as its key says. A blob
    // of size 0 owns no bytes: other writers leave such blobs at any position up to the
    // end of the file (even inside the head or inside another blob).
    void CheckBlobFile(bool present) {
        if (!present) {
            Report(".blb", "is missing, but the index lists " + Num(header_.blobCount) + " blobs");
            return;
        }
        if (header_.blobCount == 0 && blobs_.size() == 49) return;
        CheckHead(".blb", blobs_);
        std::vector<std::tuple<int64_t, int32_t, int64_t>> placed;  // position, ID, size
        for (const auto& [id, position] : blobPositions_) {
            const auto references = references_.find(id);
            if (references == references_.end()) continue;
            const int32_t size = references->second.front().size;
            if (size != 0) {
                placed.emplace_back(position, id, size);
            } else if (position > static_cast<int64_t>(blobs_.size())) {
                Report(".blb", "blob " + Num(id) + " (of size 0) lies at offset " + Num(position) +
                                   ", beyond the end of the file");
            }
        }
        std::sort(placed.begin(), placed.end());
        int64_t expected = 49;
        for (const auto& [position, id, size] : placed) {
            if (position > expected)
                Report(".blb",
                       "offset " + Num(expected) + ": " + Num(position - expected) + " bytes belong to no blob");
            if (position < 49) {
                Report(".blb", "blob " + Num(id) + ": its position " + Num(position) + " lies inside the file head");
                continue;
            }
            if (position < expected)
                Report(".blb", "offset " + Num(position) + ", blob " + Num(id) + ": overlaps the blob before it");
            if (position + std::max<int64_t>(size, 0) > static_cast<int64_t>(blobs_.size()))
                Report(".blb", "offset " + Num(position) + ", blob " + Num(id) + ": its " + Num(size) +
                                   " bytes run past the end of the file");
            expected = std::max(expected, position + std::max<int64_t>(size, 0));
        }
        if (expected < static_cast<int64_t>(blobs_.size()))
            Report(".blb", "offset " + Num(expected) + ": " + Num(static_cast<int64_t>(blobs_.size()) - expected) +
                               " bytes at the end belong to no blob");
    }

    std::string base_;
    std::vector<TCheckFinding> findings_;
    std::vector<uint8_t> index_, data_, blobs_;
    TKelmorHeader header_;
    uint8_t securityType_ = kSecurityKeyed;
    uint16_t stamp_ = 0;
    std::map<int32_t, TKelmorNodeEntry> nodes_;
    std::map<int32_t, int32_t> blobPositions_;
    std::map<int32_t, std::vector<TBlobReference>> references_;
};

}  // namespace

std::vector<TCheckFinding> CheckDatabase(const std::string& baseName) { return TChecker(baseName).Run(); }

}  // namespace kelmor
