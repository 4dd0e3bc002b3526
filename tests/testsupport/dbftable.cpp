#include "tests/testsupport/dbftable.h"

#include <algorithm>
#include <cstring>

namespace kelmor::test {

std::vector<uint8_t> MakeTable(const std::vector<TDbfField>& fields,
                               const std::vector<std::pair<char, std::vector<std::string>>>& records) {
    const uint16_t headerLength = static_cast<uint16_t>(32 + 32 * fields.size() + 1);
    uint16_t recordLength = 1;
    for (const TDbfField& f : fields) recordLength = static_cast<uint16_t>(recordLength + f.length);
    std::vector<uint8_t> bytes(32, 0);
    bytes[0] = 0x03;
    const uint32_t count = static_cast<uint32_t>(records.size());
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(count >> (8 * i));
    bytes[8] = static_cast<uint8_t>(headerLength);
    bytes[9] = static_cast<uint8_t>(headerLength >> 8);
    bytes[10] = static_cast<uint8_t>(recordLength);
    bytes[11] = static_cast<uint8_t>(recordLength >> 8);
    for (const TDbfField& f : fields) {
        std::vector<uint8_t> descriptor(32, 0);
        std::memcpy(descriptor.data(), f.name.data(), std::min<size_t>(f.name.size(), 11));
        descriptor[11] = static_cast<uint8_t>(f.type);
        descriptor[16] = f.length;
        bytes.insert(bytes.end(), descriptor.begin(), descriptor.end());
    }
    bytes.push_back(0x0D);
    for (const auto& [flag, values] : records) {
        bytes.push_back(static_cast<uint8_t>(flag));
        for (size_t i = 0; i < fields.size(); ++i) {
            std::string value = i < values.size() ? values[i] : "";
            value.resize(fields[i].length, ' ');
            bytes.insert(bytes.end(), value.begin(), value.end());
        }
    }
    bytes.push_back(0x1A);
    return bytes;
}

}  // namespace kelmor::test
