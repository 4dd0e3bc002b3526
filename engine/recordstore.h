// TRecordStore keeps the contents of the data file or the blob file safe between two
// flushes: nothing in front of the committed end of the file is ever written to; new and
// changed records (or blobs) go to the scratch space, and removed ones are simply
// forgotten. The scratch space lies behind the committed end of the file itself when the
// store may write there (a writer's store; nothing on disk refers to those bytes), else in
// an unnamed scratch file. At a flush the store plans the compacted file: every live item
// in its logical order, without gaps, and the stretch of the file (its tail) that differs
// from what is on disk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/fileio.h"

namespace kelmor {

// Where one stored item (a node record or a blob) lives now, and its place in the
// logical order of the file: items keep their relative order when others are removed,
// and a new or moved item goes to the end.
struct TStoreLocation {
    uint64_t order = 0;
    uint64_t offset = 0;  // in the committed file, or in the scratch file
    uint32_t length = 0;  // bytes the item occupies
    bool inScratch = false;
};

// One stretch of bytes to copy into the compacted file.
struct TCopyRun {
    bool fromScratch = false;
    uint64_t source = 0;
    uint64_t destination = 0;
    uint64_t length = 0;
};

struct TCompactionPlan {
    uint64_t newSize = 0;              // size of the compacted file
    uint64_t tailStart = 0;            // first byte that differs from the committed file
    std::vector<TCopyRun> runs;        // the bytes from tailStart to newSize
    std::vector<uint64_t> newOffsets;  // per item, in the order the items were given
    std::vector<uint64_t> newRanks;    // per item: its place in the compacted file
};

class TRecordStore {
public:
    // The committed file (owned by the caller) and its size; the scratch file is made
    // in `scratchFolder` on first need.
    void Attach(TFileHandle* committed, uint64_t committedSize, std::string scratchFolder);
    void Detach();
    // Lets the scratch space lie behind the committed end of the file. `beforeFirstWrite`
    // runs before the first byte goes there after each commit (it makes sure that an
    // interrupted session is cut back to the committed end); it throws to refuse.
    void WriteBehindCommittedEnd(std::function<void()> beforeFirstWrite);
    // Right after a commit (the scratch space is empty then): whether the scratch space may
    // lie behind the committed end until the next commit. Not while a committed save is
    // still to be written, whose truncations would cut it off.
    void AllowWritingBehindEnd(bool allowed) { behindEnd_ = allowed && beforeFirstWrite_ != nullptr; }

    uint64_t CommittedSize() const { return committedSize_; }

    // Order keys for items found in the committed file at open: their rank by position.
    static uint64_t CommittedOrder(uint64_t rank) { return rank; }
    // Order keys of new items start here.
    static constexpr uint64_t kFirstNewOrder = uint64_t{1} << 40;

    // Stores bytes as a new item at the logical end.
    TStoreLocation Append(const uint8_t* bytes, uint32_t length);
    // Stores bytes in the logical place of an existing item.
    TStoreLocation Replace(const TStoreLocation& old, const uint8_t* bytes, uint32_t length);
    // Reads `length` bytes from `offsetInItem` of an item; throws EKelmorFileError.
    void Read(const TStoreLocation& item, uint32_t offsetInItem, uint8_t* buffer, uint32_t length) const;
    // Reads raw bytes of the committed or the scratch file.
    void ReadRaw(bool fromScratch, uint64_t offset, uint8_t* buffer, size_t length) const;

    // Plans the compacted file for the given live items; `headSize` bytes of file head
    // come first. Does not change anything.
    TCompactionPlan PlanCompaction(const std::vector<const TStoreLocation*>& items, uint64_t headSize) const;
    // After the plan's file became the committed file: moves every item to its new place
    // and empties the scratch file.
    void Commit(const std::vector<TStoreLocation*>& items, const TCompactionPlan& plan);

    bool HasScratchData() const { return scratchEnd() > 0; }
    // Writes the scratch data kept in memory out behind the committed end (before a flush
    // plans the file, so that every scratch byte there is in its place); a store without
    // that space keeps it in memory.
    void WriteOutPending() {
        if (behindEnd_) SpillPending();
    }
    // Whether a run's bytes already lie where the compacted file wants them: scratch data
    // behind the committed end that no removal before it has moved.
    bool IsInPlace(const TCopyRun& run) const {
        return run.fromScratch && behindEnd_ && committedSize_ + run.source == run.destination &&
               run.source + run.length <= scratchFileSize_;
    }
    // Whether scratch bytes have been written behind the committed end since the last commit.
    bool HasDataBehindEnd() const { return behindEnd_ && scratchFileSize_ > 0; }

private:
    uint64_t scratchEnd() const { return scratchFileSize_ + pending_.size(); }
    void SpillPending();
    void ReadScratchFile(uint64_t offset, uint8_t* buffer, size_t length) const;

    TFileHandle* committed_ = nullptr;
    uint64_t committedSize_ = 0;
    std::string scratchFolder_;
    mutable TFileHandle scratch_;
    uint64_t scratchFileSize_ = 0;  // bytes written to the scratch space
    bool behindEnd_ = false;        // the scratch space lies behind the committed end
    std::function<void()> beforeFirstWrite_;
    bool firstWriteDone_ = false;
    std::vector<uint8_t> pending_;  // bytes appended behind them, not yet written
    uint64_t nextOrder_ = kFirstNewOrder;
    // A stretch of the committed file read ahead: walks over many records (searches,
    // sorting, reading a branch, exports) read neighbouring records from it instead of
    // asking the file for each one. The committed file does not change until Commit.
    void ReadCommitted(uint64_t offset, uint8_t* buffer, size_t length) const;
    void ForgetReadAhead() const { readAhead_.clear(); }
    mutable std::vector<uint8_t> readAhead_;
    mutable uint64_t readAheadStart_ = 0;
    mutable uint64_t lastReadEnd_ = 0;
};

}  // namespace kelmor
