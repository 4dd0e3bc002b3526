// The five user slots of a database as stored in the index file (after the block's own
// scrambling is removed), the stored form of names and passwords, and the logon check.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>

namespace kelmor {

constexpr int kUserSlots = 5;
constexpr size_t kUserSlotSize = 42;
constexpr size_t kUserBlockSize = kUserSlots * kUserSlotSize;  // 210
constexpr size_t kMaxUserText = 19;

// The word that is both user name and password of the built-in user of the oldest
// files, which have no user block of their own. Stored files depend on it.
constexpr const char* kBuiltInUserWord = "CURATOR";

using TUserBlock = std::array<uint8_t, kUserBlockSize>;

// ASCII letters to upper case; everything else unchanged.
std::string UpperCaseAscii(std::string text);

// The stored form of a name or password: a length byte and the upper-cased text (at most
// 19 characters) under the position key; the remaining positions are zero.
std::array<uint8_t, 20> StoredUserText(const std::string& text);

// The slot (1..5) that the user name and password open, the lowest one when several do;
// 0 when none does or the name is empty.
int CheckUserLogin(const TUserBlock& block, const std::string& userName, const std::string& password);

// The stored name of slot 1..5, with the position key removed; "" for another number.
std::string SlotUserName(const TUserBlock& block, int slot);
std::string SlotPassword(const TUserBlock& block, int slot);

// Stores a name and a password in slot 1..5 (other numbers change nothing).
void SetUserSlot(TUserBlock& block, int slot, const std::string& userName, const std::string& password);

// Fills the unused character positions of every name and password with random bytes
// from 22 to 221, as every index write does.
void FillUnusedUserPositions(TUserBlock& block, std::mt19937& random);

// Slot 1 holds the built-in word as name and password; the other slots are empty.
TUserBlock BuiltInUserBlock();

}  // namespace kelmor
