#include "tests/testsupport/rawdatabase.h"

#include <algorithm>
#include <stdexcept>

#include "engine/scramble.h"
#include "engine/userblock.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::test {

namespace {
void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}
int32_t Get32(const uint8_t* in) {
    return static_cast<int32_t>(uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24);
}
void AppendItem(std::vector<uint8_t>& record, uint8_t type, const std::vector<uint8_t>& value) {
    record.push_back(static_cast<uint8_t>(value.size()));
    record.push_back(type);
    record.insert(record.end(), value.begin(), value.end());
}
std::vector<uint8_t> Head(uint8_t securityType, uint16_t stamp) {
    std::vector<uint8_t> head(kFileHeadTemplate.begin(), kFileHeadTemplate.end());
    head[46] = securityType;
    Put16(head, 47, stamp);
    return head;
}
}  // namespace

std::vector<uint8_t> BlobReference(int32_t id, int32_t size) {
    std::vector<uint8_t> reference(14, 0);
    for (size_t i = 0; i < 4; ++i) {
        reference[i] = static_cast<uint8_t>(static_cast<uint32_t>(id) >> (8 * i));
        reference[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(size) >> (8 * i));
    }
    return reference;
}

std::vector<uint8_t> MakeRecord(const std::string& description, const std::vector<TRawKey>& keys) {
    std::vector<uint8_t> record(4, 0);
    AppendItem(record, 255, std::vector<uint8_t>(description.begin(), description.end()));
    for (const TRawKey& key : keys) {
        AppendItem(record, 255, std::vector<uint8_t>(key.name.begin(), key.name.end()));
        AppendItem(record, key.type, key.value);
    }
    Put16(record, 0, static_cast<uint16_t>(record.size()));
    Put16(record, 2, static_cast<uint16_t>(1 + 2 * keys.size()));
    return record;
}

std::vector<uint8_t> TRawDatabase::DataBytes() const {
    std::vector<uint8_t> file = Head(1, stamp);
    for (const TRawNode& node : nodes) {
        if (node.record.empty()) continue;
        std::vector<uint8_t> stored = node.record;
        ScrambleBlock(stored.data() + 2, stored.size() - 2, securityType);
        file.insert(file.end(), stored.begin(), stored.end());
    }
    return file;
}

std::vector<uint8_t> TRawDatabase::BlobBytes() const {
    std::vector<uint8_t> file = Head(1, stamp);
    for (const TRawBlob& blob : blobs) {
        std::vector<uint8_t> stored = blob.bytes;
        ScrambleBlock(stored.data(), stored.size(), securityType);
        file.insert(file.end(), stored.begin(), stored.end());
    }
    return file;
}

std::vector<uint8_t> TRawDatabase::IndexBytes() const {
    const bool inBlocks = majorVersion > 1 || minorVersion >= 15;
    std::vector<uint8_t> file = Head(securityType, stamp);
    file.resize(300, 0);

    int32_t highestNode = 0, highestBlob = 0;
    for (const TRawNode& node : nodes) highestNode = std::max(highestNode, node.id);
    for (const TRawBlob& blob : blobs) highestBlob = std::max(highestBlob, blob.id);
    std::vector<uint8_t> header(41, 0);
    Put16(header, 0, majorVersion);
    header[2] = minorVersion;
    Put32(header, 3, lastNodeID.value_or(highestNode));
    Put16(header, 7,
          static_cast<uint16_t>(nodeCountOverride >= 0 ? nodeCountOverride : static_cast<int32_t>(nodes.size())));
    Put32(header, 9, lastBlobID.value_or(highestBlob));
    Put16(header, 13,
          static_cast<uint16_t>(blobCountOverride >= 0 ? blobCountOverride : static_cast<int32_t>(blobs.size())));
    header[17] = 1;
    Put16(header, 18, 2024);
    header[20] = 5;
    header[21] = 6;
    ScrambleBlock(header.data(), header.size(), securityType);
    std::copy(header.begin(), header.end(), file.begin() + 49);

    TUserBlock users{};
    for (size_t i = 0; i < this->users.size() && i < 5; ++i)
        SetUserSlot(users, static_cast<int>(i + 1), this->users[i].first, this->users[i].second);
    ScrambleBlock(users.data(), users.size(), securityType);
    std::copy(users.begin(), users.end(), file.begin() + 90);

    std::vector<uint8_t> nodeEntries(nodes.size() * 13);
    uint32_t position = 49;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TRawNode& node = nodes[i];
        int32_t stored = 0;
        if (node.record.empty()) {
            stored = -node.linkSource;
        } else {
            stored = static_cast<int32_t>(position);
            position += static_cast<uint32_t>(node.record.size());
        }
        if (node.positionOverride) stored = node.positionOverride;
        Put32(nodeEntries, i * 13, node.id);
        Put32(nodeEntries, i * 13 + 4, node.parent);
        Put32(nodeEntries, i * 13 + 8, stored);
        nodeEntries[i * 13 + 12] = node.security;
    }
    std::vector<uint8_t> blobEntries(blobs.size() * 8);
    position = 49;
    for (size_t i = 0; i < blobs.size(); ++i) {
        Put32(blobEntries, i * 8, blobs[i].id);
        Put32(blobEntries, i * 8 + 4,
              blobs[i].positionOverride ? blobs[i].positionOverride : static_cast<int32_t>(position));
        position += static_cast<uint32_t>(blobs[i].bytes.size());
    }
    auto scrambleEntries = [&](std::vector<uint8_t>& entries, size_t size) {
        const size_t count = entries.size() / size;
        const size_t perBlock = inBlocks ? 4096 : 1;
        for (size_t done = 0; done < count;) {
            const size_t n = std::min(perBlock, count - done);
            ScrambleBlock(entries.data() + done * size, n * size, securityType);
            done += n;
        }
    };
    scrambleEntries(nodeEntries, 13);
    scrambleEntries(blobEntries, 8);
    file.insert(file.end(), nodeEntries.begin(), nodeEntries.end());
    file.insert(file.end(), blobEntries.begin(), blobEntries.end());
    return file;
}

void TRawDatabase::Write(const std::string& baseName) const {
    WriteBytes(baseName + ".idx", IndexBytes());
    WriteBytes(baseName + ".dat", DataBytes());
    WriteBytes(baseName + ".blb", BlobBytes());
}

TDecodedIndex DecodeIndex(const std::vector<uint8_t>& file) {
    if (file.size() < 300) throw std::runtime_error("index shorter than 300 bytes");
    TDecodedIndex index;
    index.securityType = file[46];
    index.stamp = static_cast<uint16_t>(file[47] | file[48] << 8);
    index.header.assign(file.begin() + 49, file.begin() + 90);
    DescrambleBlock(index.header.data(), 41, index.securityType);
    index.userBlock.assign(file.begin() + 90, file.begin() + 300);
    DescrambleBlock(index.userBlock.data(), 210, index.securityType);
    const uint8_t* h = index.header.data();
    index.majorVersion = static_cast<uint16_t>(h[0] | h[1] << 8);
    index.minorVersion = h[2];
    index.lastNodeID = Get32(h + 3);
    index.nodeCount = static_cast<uint16_t>(h[7] | h[8] << 8);
    index.lastBlobID = Get32(h + 9);
    index.blobCount = static_cast<uint16_t>(h[13] | h[14] << 8);
    index.lastWriter = h[17];
    const size_t expected = 300 + size_t{index.nodeCount} * 13 + size_t{index.blobCount} * 8;
    if (file.size() != expected) throw std::runtime_error("index length does not match its counts");
    std::vector<uint8_t> entries(file.begin() + 300, file.end());
    auto descramble = [&](uint8_t* at, size_t count, size_t size) {
        for (size_t done = 0; done < count;) {
            const size_t n = std::min<size_t>(4096, count - done);
            DescrambleBlock(at + done * size, n * size, index.securityType);
            done += n;
        }
    };
    descramble(entries.data(), index.nodeCount, 13);
    descramble(entries.data() + size_t{index.nodeCount} * 13, index.blobCount, 8);
    for (size_t i = 0; i < index.nodeCount; ++i) {
        const uint8_t* e = entries.data() + i * 13;
        index.nodes.push_back({Get32(e), Get32(e + 4), Get32(e + 8), e[12]});
    }
    for (size_t i = 0; i < index.blobCount; ++i) {
        const uint8_t* e = entries.data() + size_t{index.nodeCount} * 13 + i * 8;
        index.blobs.emplace_back(Get32(e), Get32(e + 4));
    }
    return index;
}

std::vector<uint8_t> RecordAt(const std::vector<uint8_t>& dataFile, uint32_t position, uint8_t securityType) {
    if (position + 2 > dataFile.size()) throw std::runtime_error("record position beyond the data file");
    const size_t length = dataFile[position] | dataFile[position + 1] << 8;
    if (length < 4 || position + length > dataFile.size()) throw std::runtime_error("record runs past the data file");
    std::vector<uint8_t> record(dataFile.begin() + position, dataFile.begin() + position + static_cast<long>(length));
    DescrambleBlock(record.data() + 2, length - 2, securityType);
    return record;
}

}  // namespace kelmor::test
