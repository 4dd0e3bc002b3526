#include <gtest/gtest.h>

#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

// Five users (U1..U5, password "pw") and one node of every level, plus read-only ones.
class UsersTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TRawDatabase raw;
        raw.users.clear();
        for (int u = 1; u <= 5; ++u) raw.users.emplace_back("U" + std::to_string(u), "pw");
        int32_t id = 1;
        for (uint8_t security : {1, 2, 3, 4, 5, 0x81, 0x83, 0x85})
            raw.nodes.push_back({id++, 0, security, test::MakeRecord("node"), 0, 0});
        raw.Write(base);
    }
    void LogOn(int user, bool readOnly = false) {
        ASSERT_EQ(engine.OpenDatabase(base, readOnly, TKelmorClass::MakeLogin("u" + std::to_string(user), "PW")),
                  kResultOK);
        ASSERT_EQ(engine.CurrentUser(), user);
    }
    test::TTempDir dir;
    std::string base = dir / "users";
    TKelmorClass engine;
};

TEST_F(UsersTest, AccessRulesForEveryUserAndNodeLevel) {
    // node IDs 1..5: levels 1..5; 6, 7, 8: read-only at levels 1, 3, 5
    for (int user = 1; user <= 5; ++user) {
        LogOn(user);
        for (int32_t id = 1; id <= 8; ++id) {
            const uint8_t security = engine.GetNodeSecurity(id);
            const bool readable = security >= user;  // the read-only bit makes a byte of 128 or more
            const bool modifiable = security < 0x80 && security >= user;
            SCOPED_TRACE("user " + std::to_string(user) + ", node " + std::to_string(id));
            if (readable) {
                EXPECT_TRUE(engine.LoadNode(id));
                EXPECT_NO_THROW(engine.SaveNode(id));
            } else {
                EXPECT_THROW(engine.LoadNode(id), EKelmorAccessDenied);
                EXPECT_THROW(engine.SaveNode(id), EKelmorNodeReadOnlyError);
            }
            EXPECT_EQ(engine.CanModifyNode(id), modifiable);
        }
        engine.Close();
    }
}

TEST_F(UsersTest, UsersChangeTheirOwnSlotAndOnlyTheAdministratorChangesOthers) {
    LogOn(3);
    EXPECT_EQ(engine.GetCurrentUserName(), "U3");
    EXPECT_THROW(engine.SetUser(4, "x", "y"), EKelmorAccessDenied);
    engine.SetUser(3, "Clerk", std::string(25, 'p'));
    EXPECT_TRUE(engine.Modified());
    EXPECT_EQ(engine.GetUserName(3), "CLERK");
    EXPECT_EQ(engine.CheckLogin("clerk", std::string(19, 'P')), 3);
    engine.ChangePassword("new");
    EXPECT_EQ(engine.CheckLogin("clerk", "new"), 3);
    engine.Close();
    EXPECT_EQ(engine.GetUserName(3), "");
    EXPECT_EQ(engine.OpenDatabase(base, false, TKelmorClass::MakeLogin("clerk", "new")), kResultOK);
    EXPECT_EQ(engine.CurrentUser(), 3);
    engine.Close();

    LogOn(1);
    engine.SetUser(5, "", "");  // empties the slot
    engine.SetUser(9, "ignored", "x");
    EXPECT_EQ(engine.GetUserName(5), "");
    engine.Close();
    EXPECT_EQ(engine.OpenDatabase(base, false, TKelmorClass::MakeLogin("u5", "pw")), kResultLogonRefused);
    LogOn(2, true);
    EXPECT_THROW(engine.SetUser(2, "a", "b"), EKelmorReadOnly);
    EXPECT_THROW(engine.ChangePassword("b"), EKelmorReadOnly);
}

TEST_F(UsersTest, NodeSecurityCannotHideANodeFromItsSetter) {
    LogOn(2);
    EXPECT_THROW(engine.SetNodeSecurity(3, 1, false), EKelmorAccessDenied);  // below the user
    EXPECT_THROW(engine.SetNodeSecurity(1, 3, false), EKelmorAccessDenied);  // a node the user cannot see
    engine.SetNodeSecurity(2, 3, false);
    EXPECT_EQ(engine.GetNodeSecurity(2), 3);
    engine.SetNodeSecurity(4, 4, true);
    EXPECT_EQ(engine.GetNodeSecurity(4), 0x84);
    EXPECT_FALSE(engine.CanModifyNode(4));
    EXPECT_THROW(engine.GetNodeSecurity(99), EKelmorNodeIDInvalidError);
    EXPECT_THROW(engine.CanModifyNode(99), EKelmorNodeIDInvalidError);
    engine.Close();
    LogOn(1, true);
    EXPECT_THROW(engine.SetNodeSecurity(5, 5, false), EKelmorReadOnly);
    EXPECT_THROW(engine.CanModifyNode(5), EKelmorReadOnly);
    EXPECT_EQ(engine.GetNodeSecurity(2), 3);  // the change above was written at closing
}

}  // namespace
}  // namespace kelmor
