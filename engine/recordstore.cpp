#include "engine/recordstore.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "engine/kelmorerrors.h"

namespace kelmor {

namespace {
constexpr size_t kPendingLimit = 1u << 20;  // bytes kept in memory before they go to the scratch file
constexpr size_t kReadAheadSize = 64u << 10;
constexpr uint64_t kForwardGap = 4096;  // a read this close behind the last one continues it
}  // namespace

void TRecordStore::Attach(TFileHandle* committed, uint64_t committedSize, std::string scratchFolder) {
    Detach();
    committed_ = committed;
    committedSize_ = committedSize;
    ForgetReadAhead();
    scratchFolder_ = std::move(scratchFolder);
}

void TRecordStore::WriteBehindCommittedEnd(std::function<void()> beforeFirstWrite) {
    behindEnd_ = true;
    beforeFirstWrite_ = std::move(beforeFirstWrite);
    firstWriteDone_ = false;
}

void TRecordStore::Detach() {
    ForgetReadAhead();
    behindEnd_ = false;
    beforeFirstWrite_ = nullptr;
    firstWriteDone_ = false;
    committed_ = nullptr;
    committedSize_ = 0;
    scratch_.Close();
    scratchFileSize_ = 0;
    pending_.clear();
    pending_.shrink_to_fit();
    nextOrder_ = kFirstNewOrder;
}

void TRecordStore::SpillPending() {
    if (pending_.empty()) return;
    if (behindEnd_) {
        if (!firstWriteDone_) {
            if (beforeFirstWrite_) beforeFirstWrite_();
            firstWriteDone_ = true;
        }
        const uint64_t at = committedSize_ + scratchFileSize_;
        try {
            committed_->WriteAtOrThrow(at, pending_.data(), pending_.size());
        } catch (const EKelmorFileError&) {
            committed_->Truncate(at);  // a write cut short (a full disk) leaves no stray bytes
            throw;
        }
        committed_->StartWriteBack(at, pending_.size());  // the flush then waits for less
        scratchFileSize_ += pending_.size();
        pending_.clear();
        return;
    }
    if (!scratch_.IsOpen()) {
        if (const int error = scratch_.OpenScratch(scratchFolder_))
            throw EKelmorFileError("Error creating a scratch file in " + scratchFolder_ + ": " + ErrorText(error));
    }
    scratch_.WriteAtOrThrow(scratchFileSize_, pending_.data(), pending_.size());
    scratchFileSize_ += pending_.size();
    pending_.clear();
}

TStoreLocation TRecordStore::Append(const uint8_t* bytes, uint32_t length) {
    TStoreLocation location;
    location.order = nextOrder_++;
    location.offset = scratchEnd();
    location.length = length;
    location.inScratch = true;
    if (pending_.size() + length > kPendingLimit) SpillPending();
    if (pending_.capacity() < kPendingLimit) pending_.reserve(kPendingLimit);  // filled and spilled again and again
    pending_.insert(pending_.end(), bytes, bytes + length);
    return location;
}

TStoreLocation TRecordStore::Replace(const TStoreLocation& old, const uint8_t* bytes, uint32_t length) {
    TStoreLocation location = Append(bytes, length);
    location.order = old.order;
    return location;
}

void TRecordStore::ReadRaw(bool fromScratch, uint64_t offset, uint8_t* buffer, size_t length) const {
    if (!fromScratch) {
        ReadCommitted(offset, buffer, length);
        return;
    }
    // A stretch of the scratch data may lie partly in the file and partly in memory.
    if (offset < scratchFileSize_) {
        const size_t fromFile = static_cast<size_t>(std::min<uint64_t>(length, scratchFileSize_ - offset));
        ReadScratchFile(offset, buffer, fromFile);
        buffer += fromFile;
        offset += fromFile;
        length -= fromFile;
    }
    if (length == 0) return;
    const uint64_t inPending = offset - scratchFileSize_;
    if (inPending + length > pending_.size())
        throw EKelmorFileError("Error reading the scratch data: position out of range");
    std::memcpy(buffer, pending_.data() + inPending, length);
}

void TRecordStore::ReadScratchFile(uint64_t offset, uint8_t* buffer, size_t length) const {
    if (behindEnd_) committed_->ReadAtOrThrow(committedSize_ + offset, buffer, length);
    else scratch_.ReadAtOrThrow(offset, buffer, length);
}

void TRecordStore::ReadCommitted(uint64_t offset, uint8_t* buffer, size_t length) const {
    const auto inReadAhead = [&] {
        return offset >= readAheadStart_ && offset + length <= readAheadStart_ + readAhead_.size();
    };
    // Reading ahead pays only while the reads go forward through the file.
    const bool forward = offset >= lastReadEnd_ && offset - lastReadEnd_ <= kForwardGap;
    lastReadEnd_ = offset + length;
    if (!inReadAhead()) {
        // Large reads, scattered reads and reads beyond the committed end go to the file as
        // they are.
        if (!forward || length > kReadAheadSize / 2 || offset + length > committedSize_) {
            committed_->ReadAtOrThrow(offset, buffer, length);
            return;
        }
        readAhead_.resize(static_cast<size_t>(std::min<uint64_t>(kReadAheadSize, committedSize_ - offset)));
        readAheadStart_ = offset;
        try {
            committed_->ReadAtOrThrow(offset, readAhead_.data(), readAhead_.size());
        } catch (...) {
            ForgetReadAhead();
            throw;
        }
    }
    std::memcpy(buffer, readAhead_.data() + (offset - readAheadStart_), length);
}

void TRecordStore::Read(const TStoreLocation& item, uint32_t offsetInItem, uint8_t* buffer, uint32_t length) const {
    if (uint64_t{offsetInItem} + length > item.length)
        throw EKelmorFileError("Error reading a stored item: read past its end");
    ReadRaw(item.inScratch, item.offset + offsetInItem, buffer, length);
}

namespace {
// The items' indexes in their logical order. Orders are nearly dense (the ranks of the
// committed items, then the new ones counted from kFirstNewOrder), so each item usually
// finds its place in a slot of its own; sparse or repeated orders are sorted instead.
std::vector<size_t> InLogicalOrder(const std::vector<const TStoreLocation*>& items) {
    uint64_t committedSpan = 0, newSpan = 0;
    for (const TStoreLocation* item : items) {
        if (item->order < TRecordStore::kFirstNewOrder) committedSpan = std::max(committedSpan, item->order + 1);
        else newSpan = std::max(newSpan, item->order - TRecordStore::kFirstNewOrder + 1);
    }
    std::vector<size_t> byOrder;
    byOrder.reserve(items.size());
    constexpr size_t kEmpty = SIZE_MAX;
    if (committedSpan + newSpan <= 4 * uint64_t{items.size()} + 1024) {
        std::vector<size_t> slots(static_cast<size_t>(committedSpan + newSpan), kEmpty);
        bool repeated = false;
        for (size_t i = 0; i < items.size() && !repeated; ++i) {
            const uint64_t order = items[i]->order;
            size_t& slot = slots[static_cast<size_t>(
                order < TRecordStore::kFirstNewOrder ? order : committedSpan + order - TRecordStore::kFirstNewOrder)];
            repeated = slot != kEmpty;
            slot = i;
        }
        if (!repeated) {
            for (size_t slot : slots)
                if (slot != kEmpty) byOrder.push_back(slot);
            return byOrder;
        }
    }
    byOrder.resize(items.size());
    std::iota(byOrder.begin(), byOrder.end(), size_t{0});
    std::stable_sort(byOrder.begin(), byOrder.end(),
                     [&](size_t a, size_t b) { return items[a]->order < items[b]->order; });
    return byOrder;
}
}  // namespace

TCompactionPlan TRecordStore::PlanCompaction(const std::vector<const TStoreLocation*>& items, uint64_t headSize) const {
    TCompactionPlan plan;
    const std::vector<size_t> byOrder = InLogicalOrder(items);

    plan.newOffsets.resize(items.size());
    plan.newRanks.resize(items.size());
    uint64_t position = headSize;
    bool inPrefix = true;
    plan.tailStart = headSize;
    for (size_t rank = 0; rank < byOrder.size(); ++rank) {
        const size_t index = byOrder[rank];
        const TStoreLocation& item = *items[index];
        plan.newOffsets[index] = position;
        plan.newRanks[index] = rank;
        // The committed file keeps every item up to the first one that would move.
        if (inPrefix && !item.inScratch && item.offset == position) {
            position += item.length;
            plan.tailStart = position;
            continue;
        }
        inPrefix = false;
        if (item.length > 0) {
            TCopyRun* last = plan.runs.empty() ? nullptr : &plan.runs.back();
            if (last && last->fromScratch == item.inScratch && last->source + last->length == item.offset &&
                last->destination + last->length == position) {
                last->length += item.length;  // adjacent at both ends: one copy
            } else {
                plan.runs.push_back(TCopyRun{item.inScratch, item.offset, position, item.length});
            }
        }
        position += item.length;
    }
    plan.newSize = position;
    return plan;
}

void TRecordStore::Commit(const std::vector<TStoreLocation*>& items, const TCompactionPlan& plan) {
    for (size_t i = 0; i < items.size(); ++i) {
        items[i]->offset = plan.newOffsets[i];
        items[i]->order = CommittedOrder(plan.newRanks[i]);
        items[i]->inScratch = false;
    }
    committedSize_ = plan.newSize;
    ForgetReadAhead();  // the file is about to hold the new state
    scratch_.Close();
    scratchFileSize_ = 0;
    firstWriteDone_ = false;
    pending_.clear();
    nextOrder_ = kFirstNewOrder;
}

}  // namespace kelmor
