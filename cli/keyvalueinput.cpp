#include "cli/keyvalueinput.h"

#include <fstream>
#include <iterator>

#include "engine/fileio.h"
#include "engine/keytypes.h"

namespace kelmor::cli {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::vector<uint8_t>> BytesFromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        i += 2;
    }
    return bytes;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": " + ErrorText(errno ? errno : ENOENT);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = path + ": " + ErrorText(EIO);
        return false;
    }
    return true;
}

uint8_t KeyTypeOfName(const std::string& name) {
    for (uint8_t type = kFirstKeyType; type <= kLastKeyType; ++type)
        if (name == KeyTypeName(type)) return type;
    return 0;
}

}  // namespace kelmor::cli
