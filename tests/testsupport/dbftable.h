// Builds small dBase tables for tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kelmor::test {

struct TDbfField {
    std::string name;
    char type;
    uint8_t length;
};

// A dBase table: header, descriptors, 0x0D, the records (deletion flag and the values,
// each padded with spaces to its field's length), the 0x1A end mark.
std::vector<uint8_t> MakeTable(const std::vector<TDbfField>& fields,
                               const std::vector<std::pair<char, std::vector<std::string>>>& records);

}  // namespace kelmor::test
