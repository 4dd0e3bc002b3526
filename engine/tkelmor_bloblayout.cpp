// TKelmorClass: where each blob's bytes lie in the blob file.
//
// Blobs lie one after another from the end of the file head, each as long as the blob
// key that refers to it says; the index gives only their positions. Files written by
// other programs may also hold blobs of size 0 at any position: sharing the position of
// another blob (older or newer), inside another blob's bytes, or inside the file head.
// A blob of size 0 owns no bytes, but its position alone cannot tell it from a blob
// that does. So at open every blob gets the stretch up to the next position, and the
// first read or deletion of a blob whose size disagrees with its stretch settles every
// place from the sizes in the records, once. Files of our own never disagree, so they
// are never read for this, but for the rare file with a blob inside the head, whose
// size is checked at open.
#include <algorithm>
#include <tuple>

#include "engine/littleendian.h"
#include "engine/scramble.h"
#include "engine/tkelmor.h"

namespace kelmor {

namespace {
constexpr uint32_t kBlobReferenceSize = 14;

// The blob references (ID, size) among the items of a descrambled record.
void CollectReferences(const uint8_t* record, uint32_t length, std::unordered_map<int32_t, uint32_t>& sizes) {
    const uint32_t count = GetLE16(record + 2);
    uint32_t offset = TKelmorClass::kRecordHeaderSize;
    for (uint32_t item = 1; item <= count && offset + 2 <= length; ++item) {
        const uint32_t size = record[offset];
        if (offset + 2 + size > length) return;
        const bool keyValue = item >= 3 && item % 2 == 1;
        if (keyValue && record[offset + 1] == ktBlob && size == kBlobReferenceSize) {
            const int32_t blobSize = GetLE32(record + offset + 6);
            if (blobSize >= 0 && blobSize <= 65535)
                sizes.emplace(GetLE32(record + offset + 2), static_cast<uint32_t>(blobSize));
        }
        offset += size + 2;
    }
}
}  // namespace

std::string TKelmorClass::PlaceBlobs(uint64_t blobSize) {
    std::vector<TKelmorBlobEntry*> entries = blobs_.InStoredOrder();
    blobLayoutResolved_ = false;
    if (entries.empty() || !blobFile_.IsOpen()) return "";  // a missing file is reported when a blob is read
    // A position inside the head can only be that of a blob of size 0: it starts where
    // the first blob would, and sorts before a blob that really starts there.
    auto start = [](const TKelmorBlobEntry* blob) { return std::max<int64_t>(blob->position, kFileHeadSize); };
    std::sort(entries.begin(), entries.end(), [&](const TKelmorBlobEntry* a, const TKelmorBlobEntry* b) {
        return std::tuple(start(a), a->position, a->blobID) < std::tuple(start(b), b->position, b->blobID);
    });
    bool insideHead = false;
    for (size_t rank = 0; rank < entries.size(); ++rank) {
        TKelmorBlobEntry* blob = entries[rank];
        insideHead = insideHead || blob->position < static_cast<int32_t>(kFileHeadSize);
        const auto position = static_cast<uint64_t>(start(blob));
        const uint64_t end = rank + 1 < entries.size() ? static_cast<uint64_t>(start(entries[rank + 1])) : blobSize;
        if (position > blobSize)
            return "The index file " + IndexPath() + " places blob " + std::to_string(blob->blobID) + " at position " +
                   std::to_string(position) + ", beyond the end of the blob file " + BlobPath() + " (" +
                   std::to_string(blobSize) + " bytes).";
        blob->data = TStoreLocation{TRecordStore::CommittedOrder(rank), position,
                                    static_cast<uint32_t>(std::min<uint64_t>(end - position, UINT32_MAX)), false};
    }
    if (insideHead) {
        std::unordered_map<int32_t, uint32_t> sizes;
        CollectBlobSizes(sizes);
        for (const TKelmorBlobEntry* blob : entries) {
            const auto size = sizes.find(blob->blobID);
            if (blob->position < static_cast<int32_t>(kFileHeadSize) && size != sizes.end() && size->second > 0)
                return "The index file " + IndexPath() + " is damaged: blob " + std::to_string(blob->blobID) + " of " +
                       std::to_string(size->second) + " bytes has the impossible position " +
                       std::to_string(blob->position) + ".";
        }
        ResolveBlobLayout(sizes);
    }
    return "";
}

void TKelmorClass::CheckBlobPlace(TKelmorBlobEntry& blob, uint32_t size) const {
    if (blob.data.inScratch || blob.data.length == size || blobLayoutResolved_) return;
    std::unordered_map<int32_t, uint32_t> sizes;
    CollectBlobSizes(sizes);
    ResolveBlobLayout(sizes);
}

// Gives the stretch of every blob of size 0 to the blob before it that may own bytes,
// when the two stretches meet. Blobs stored since the last save have exact places.
void TKelmorClass::ResolveBlobLayout(const std::unordered_map<int32_t, uint32_t>& sizes) const {
    blobLayoutResolved_ = true;
    std::vector<TKelmorBlobEntry*> committed;
    for (TKelmorBlobEntry* blob : blobs_.InStoredOrder())
        if (!blob->data.inScratch) committed.push_back(blob);
    std::sort(committed.begin(), committed.end(),
              [](const TKelmorBlobEntry* a, const TKelmorBlobEntry* b) { return a->data.order < b->data.order; });
    TStoreLocation* owner = nullptr;
    for (TKelmorBlobEntry* blob : committed) {
        const auto size = sizes.find(blob->blobID);
        if (size == sizes.end() || size->second > 0) {  // a blob without a key may own bytes too
            owner = &blob->data;
            continue;
        }
        if (blob->data.length == 0 || !owner || owner->offset + owner->length != blob->data.offset) continue;
        owner->length += blob->data.length;
        blob->data.offset = owner->offset + owner->length;
        blob->data.length = 0;
    }
}

// The size of every blob that a stored record (or the work buffer) refers to.
void TKelmorClass::CollectBlobSizes(std::unordered_map<int32_t, uint32_t>& sizes) const {
    std::vector<uint8_t> record(kWorkBufferSize);
    nodes_.ForEach([&](const TNodeSlot* slot) {
        if (slot->entry.IsLink() || slot->record.length < kRecordHeaderSize) return;
        try {
            records_.Read(slot->record, 0, record.data(), 2);
            const uint32_t length = GetLE16(record.data());
            if (length < kRecordHeaderSize || length > std::min(slot->record.length, kWorkBufferSize)) return;
            records_.Read(slot->record, 0, record.data(), length);
            DescrambleBlock(record.data() + 2, length - 2, securityType_);
            CollectReferences(record.data(), length, sizes);
        } catch (const EKelmorError&) {
            // a record that cannot be read tells nothing; reading it reports the damage
        }
    });
    CollectReferences(work_.get(), std::min<uint32_t>(RecordLength(), kWorkBufferSize), sizes);
}

}  // namespace kelmor
