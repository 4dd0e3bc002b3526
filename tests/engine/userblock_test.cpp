#include <gtest/gtest.h>

#include "engine/scramble.h"
#include "engine/userblock.h"

namespace kelmor {
namespace {

TEST(UserBlock, StoredFormIsUpperCasedCutAndPositionKeyedWithItsOwnLength) {
    const auto stored = StoredUserText("admin");
    EXPECT_EQ(stored[0], 5);
    uint8_t expected[5] = {'A', 'D', 'M', 'I', 'N'};
    PositionKeyEncode(expected, 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(stored[1 + i], expected[i]);
    EXPECT_EQ(StoredUserText("abcdefghijklmnopqrstuvwxy")[0], 19);
    EXPECT_EQ(StoredUserText("")[0], 0);
}

TEST(UserBlock, LogonIgnoresLetterCaseAndTakesTheLowestMatchingSlot) {
    TUserBlock block{};
    SetUserSlot(block, 2, "Clerk", "pw");
    SetUserSlot(block, 4, "clerk", "PW");
    SetUserSlot(block, 5, "guest", "");
    struct TCase {
        const char* name;
        const char* password;
        int slot;
    };
    for (const TCase& c : {TCase{"CLERK", "pw", 2}, TCase{"clerk", "Pw", 2}, TCase{"clerk", "p", 0},
                           TCase{"guest", "", 5}, TCase{"guest", "x", 0}, TCase{"", "", 0}, TCase{"nobody", "pw", 0}}) {
        EXPECT_EQ(CheckUserLogin(block, c.name, c.password), c.slot) << c.name << "/" << c.password;
    }
}

TEST(UserBlock, FillerBytesAreIgnoredByLogonAndLieBetween22And221) {
    TUserBlock block{};
    SetUserSlot(block, 1, "ann", "x");
    std::mt19937 random(1);
    FillUnusedUserPositions(block, random);
    EXPECT_EQ(CheckUserLogin(block, "ann", "x"), 1);
    EXPECT_EQ(SlotUserName(block, 1), "ANN");
    EXPECT_EQ(SlotPassword(block, 1), "X");
    for (int slot = 0; slot < 5; ++slot) {
        for (size_t field : {size_t{0}, size_t{20}}) {
            const uint8_t* at = block.data() + slot * 42 + field;
            for (size_t i = at[0]; i < 19; ++i) {
                EXPECT_GE(at[1 + i], 22);
                EXPECT_LE(at[1 + i], 221);
            }
        }
    }
    // an empty slot never opens, whatever its filler says
    EXPECT_EQ(CheckUserLogin(block, "", ""), 0);
}

TEST(UserBlock, BuiltInBlockOpensWithItsWordOnlyInSlotOne) {
    const TUserBlock block = BuiltInUserBlock();
    EXPECT_EQ(CheckUserLogin(block, kBuiltInUserWord, kBuiltInUserWord), 1);
    EXPECT_EQ(std::string(kBuiltInUserWord).size(), 7u);
    for (int slot = 2; slot <= 5; ++slot) EXPECT_EQ(SlotUserName(block, slot), "");
}

}  // namespace
}  // namespace kelmor
