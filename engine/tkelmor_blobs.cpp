// TKelmorClass: blobs, the values of blob keys, kept in the blob file.
#include <cstring>

#include "engine/littleendian.h"
#include "engine/tkelmor.h"

namespace kelmor {

namespace {
constexpr uint32_t kMaxEntries = 65535;  // the counts are 16-bit fields

}  // namespace

TKelmorBlobEntry* TKelmorClass::FindBlob(int32_t blobID) const { return blobs_.Find(blobID); }

std::array<uint8_t, 14> TKelmorClass::StoreBlob(const uint8_t* data, size_t size) {
    CheckWritable();
    if (size > kMaxBlobSize) throw EKelmorBlobTooLarge();
    if (static_cast<uint32_t>(blobs_.Count()) >= kMaxEntries)
        throw EKelmorDatabaseFull("the database already holds 65535 blobs, the most it can hold.");
    if (header_.lastBlobID >= kLargestID) throw EKelmorDatabaseFull("no blob IDs are left.");
    if (!blobFileProblem_.empty()) throw EKelmorFileError("No blob can be stored: " + blobFileProblem_ + ".");
    const int32_t id = header_.lastBlobID + 1;
    header_.lastBlobID = id;
    header_.blobCount = static_cast<uint16_t>(header_.blobCount + 1);
    std::vector<uint8_t> stored(data, data + size);
    ScrambleBlock(stored.data(), stored.size(), securityType_);
    blobs_.Add(id, 0, blobData_.Append(stored.data(), static_cast<uint32_t>(size)));
    modified_ = true;
    std::array<uint8_t, 14> reference{};
    const auto length = static_cast<int32_t>(size);
    std::memcpy(reference.data(), &id, 4);
    std::memcpy(reference.data() + 4, &length, 4);
    return reference;
}

void TKelmorClass::DeleteBlobOfKey(uint16_t index) {
    const uint8_t* reference = KeyValue(index, ktBlob);
    TKelmorBlobEntry* blob = FindBlob(GetLE32(reference));
    if (!blob) throw EKelmorInvalidBlobID();
    // Its stretch must be exactly its bytes before it leaves the file.
    if (blobFileProblem_.empty()) CheckBlobPlace(*blob, static_cast<uint32_t>(GetLE32(reference + 4)));
    blobs_.Remove(blob);  // its bytes leave the blob file when it is next compacted
    header_.blobCount = static_cast<uint16_t>(header_.blobCount - 1);
    modified_ = true;
}

int32_t TKelmorClass::BlobIDOfKey(uint16_t index) const { return GetLE32(KeyValue(index, ktBlob)); }

void TKelmorClass::ReadBlob(TKelmorBlobEntry& blob, uint8_t* buffer, uint32_t size) const {
    if (!blobFileProblem_.empty())
        throw EKelmorFileError("Blob " + std::to_string(blob.blobID) + " cannot be read: " + blobFileProblem_ + ".");
    CheckBlobPlace(blob, size);
    if (size > blob.data.length)
        throw EKelmorDamagedError("blob " + std::to_string(blob.blobID) + " should hold " + std::to_string(size) +
                                  " bytes, but the blob file has room for " + std::to_string(blob.data.length) +
                                  " there.");
    blobData_.Read(blob.data, 0, buffer, size);
    DescrambleBlock(buffer, size, securityType_);
}

uint16_t TKelmorClass::GetBlobKey(uint16_t index, uint8_t* buffer) const {
    const uint8_t* reference = KeyValue(index, ktBlob);
    const int32_t size = GetLE32(reference + 4);
    if (size < 0 || static_cast<uint32_t>(size) > kMaxBlobSize)
        throw EKelmorDamagedError("the blob key " + std::to_string(index) + " of the current node gives the size " +
                                  std::to_string(size) + ".");
    if (buffer) {
        TKelmorBlobEntry* blob = FindBlob(GetLE32(reference));
        if (!blob) throw EKelmorInvalidBlobID();
        ReadBlob(*blob, buffer, static_cast<uint32_t>(size));
    }
    return static_cast<uint16_t>(size);
}

std::vector<uint8_t> TKelmorClass::GetBlobKey(uint16_t index) const {
    std::vector<uint8_t> bytes(GetBlobKey(index, nullptr));
    GetBlobKey(index, bytes.data());
    return bytes;
}

}  // namespace kelmor
