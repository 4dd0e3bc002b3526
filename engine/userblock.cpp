#include "engine/userblock.h"

#include <algorithm>
#include <cstring>

#include "engine/scramble.h"

namespace kelmor {

namespace {
constexpr size_t kNameOffset = 0;
constexpr size_t kPasswordOffset = 20;

uint8_t* SlotAt(TUserBlock& block, int slot) { return block.data() + static_cast<size_t>(slot - 1) * kUserSlotSize; }
const uint8_t* SlotAt(const TUserBlock& block, int slot) {
    return block.data() + static_cast<size_t>(slot - 1) * kUserSlotSize;
}
bool ValidSlot(int slot) { return slot >= 1 && slot <= kUserSlots; }

std::string DecodeField(const uint8_t* field) {
    const size_t length = std::min<size_t>(field[0], kMaxUserText);
    uint8_t text[kMaxUserText];
    std::memcpy(text, field + 1, length);
    PositionKeyDecode(text, length);
    return std::string(reinterpret_cast<const char*>(text), length);
}

bool FieldEquals(const uint8_t* field, const std::array<uint8_t, 20>& stored) {
    const size_t length = stored[0];
    return field[0] == stored[0] && std::memcmp(field + 1, stored.data() + 1, length) == 0;
}
}  // namespace

std::string UpperCaseAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::array<uint8_t, 20> StoredUserText(const std::string& text) {
    std::array<uint8_t, 20> stored{};
    const std::string upper = UpperCaseAscii(text.substr(0, kMaxUserText));
    stored[0] = static_cast<uint8_t>(upper.size());
    std::memcpy(stored.data() + 1, upper.data(), upper.size());
    PositionKeyEncode(stored.data() + 1, upper.size());
    return stored;
}

int CheckUserLogin(const TUserBlock& block, const std::string& userName, const std::string& password) {
    if (userName.empty()) return 0;
    const auto name = StoredUserText(userName);
    const auto pass = StoredUserText(password);
    for (int slot = 1; slot <= kUserSlots; ++slot) {
        const uint8_t* at = SlotAt(block, slot);
        if (FieldEquals(at + kNameOffset, name) && FieldEquals(at + kPasswordOffset, pass)) return slot;
    }
    return 0;
}

std::string SlotUserName(const TUserBlock& block, int slot) {
    return ValidSlot(slot) ? DecodeField(SlotAt(block, slot) + kNameOffset) : std::string();
}

std::string SlotPassword(const TUserBlock& block, int slot) {
    return ValidSlot(slot) ? DecodeField(SlotAt(block, slot) + kPasswordOffset) : std::string();
}

void SetUserSlot(TUserBlock& block, int slot, const std::string& userName, const std::string& password) {
    if (!ValidSlot(slot)) return;
    uint8_t* at = SlotAt(block, slot);
    const auto name = StoredUserText(userName);
    const auto pass = StoredUserText(password);
    std::memcpy(at + kNameOffset, name.data(), name.size());
    std::memcpy(at + kPasswordOffset, pass.data(), pass.size());
}

void FillUnusedUserPositions(TUserBlock& block, std::mt19937& random) {
    std::uniform_int_distribution<int> filler(22, 221);
    for (int slot = 1; slot <= kUserSlots; ++slot) {
        uint8_t* at = SlotAt(block, slot);
        for (size_t field : {kNameOffset, kPasswordOffset}) {
            const size_t length = std::min<size_t>(at[field], kMaxUserText);
            for (size_t i = length; i < kMaxUserText; ++i) at[field + 1 + i] = static_cast<uint8_t>(filler(random));
        }
    }
}

TUserBlock BuiltInUserBlock() {
    TUserBlock block{};
    SetUserSlot(block, 1, kBuiltInUserWord, kBuiltInUserWord);
    return block;
}

}  // namespace kelmor
