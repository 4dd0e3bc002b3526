#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "cliapp.h"
#include "clirun.h"
#include "cliregional.h"
#include "tempdir.h"
#include "textcodec.h"

namespace kelmor::cli {
namespace {

using TRun = clitest::TCliRun;
TRun RunTool(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment = {}) {
    return clitest::RunCliWith(arguments, environment);
}

TEST(CliCommandLine, WrongCommandLinesExitWith2) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"info"}, {"info", "a", "b"}, {"info", "a", "--bogus"}, {"info", "a", "--user"},
             {"create", "a", "--read-only=yes"}, {"info", "a", "--user", "x", "--user", "y"}}) {
        const TRun run = RunTool(arguments);
        EXPECT_EQ(run.status, kExitUsage) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_FALSE(run.err.empty());
    }
    const TRun help = RunTool({"--help"});
    EXPECT_EQ(help.status, kExitOK);
    EXPECT_NE(help.out.find("create BASE"), std::string::npos);
    EXPECT_NE(RunTool({"info", "--help"}).out.find("kelmor-cli info"), std::string::npos);
}

TEST(CliDatabase, CreateInfoAndTheMessagesOfRefusals) {
    test::TTempDir dir;
    const std::string base = dir / "shop";
    EXPECT_EQ(RunTool({"info", base, "--user", "a"}).err, "Cannot find " + base + ".idx\n");
    const TRun empty = RunTool({"create", dir / "nobody"});
    EXPECT_EQ(empty.status, kExitFailed);
    EXPECT_EQ(empty.err, "Access Denied.\n");

    ASSERT_EQ(RunTool({"create", base + ".idx", "--user", "Ren\xC3\xA9", "--password", "pw"}).status, kExitOK);
    std::filesystem::create_directory(dir / "dotted.folder");
    ASSERT_EQ(RunTool({"create", dir / "dotted.folder/shop", "--user", "a"}).status, kExitOK);  // no extension
    EXPECT_TRUE(test::Exists(dir / "dotted.folder/shop.idx"));
    const TRun info = RunTool({"info", base}, {{"KELMOR_USER", "ren\xC3\xA9"}, {"KELMOR_PASSWORD", "PW"}});
    EXPECT_EQ(info.status, kExitOK) << info.err;
    EXPECT_EQ(info.out.substr(0, 21), "Last version saved\t1\n");
    EXPECT_NE(info.out.find("Maximum index\t0\n"), std::string::npos);

    const TRun wrong = RunTool({"info", base, "--user", "ren\xC3\xA9", "--password", "x"});
    EXPECT_EQ(wrong.status, kExitFailed);
    EXPECT_EQ(wrong.err, "Incorrect Username or Password.\n\nAccess Denied.\n");

    const TRun outside = RunTool({"info", base, "--user", "\xE2\x82\xAC", "--password", "x"});
    EXPECT_EQ(outside.status, kExitUsage);
    EXPECT_NE(outside.err.find("Latin-1"), std::string::npos);
}

TEST(CliUsers, SlotsPasswordsAndTheRulesOfTheEngine) {
    test::TTempDir dir;
    const std::string base = dir / "shop";
    const std::map<std::string, std::string> admin = {{"KELMOR_USER", "admin"}, {"KELMOR_PASSWORD", "pw"}};
    ASSERT_EQ(RunTool({"create", base}, admin).status, kExitOK);
    EXPECT_EQ(RunTool({"set-user", base, "3", "clerk", "c"}, admin).status, kExitOK);
    EXPECT_EQ(RunTool({"users", base}, admin).out, "1\tADMIN\n2\t\n3\tCLERK\n4\t\n5\t\n");
    EXPECT_EQ(RunTool({"set-user", base, "6", "x", "y"}, admin).status, kExitUsage);
    EXPECT_EQ(RunTool({"set-user", base, "2", std::string(20, 'x'), "y"}, admin).status, kExitUsage);

    const std::vector<std::string> asClerk = {"--user", "clerk", "--password", "c"};
    auto clerk = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), asClerk.begin(), asClerk.end());
        return RunTool(arguments);
    };
    TRun refused = clerk({"users", base});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_EQ(refused.err, "Access Denied\n");
    EXPECT_EQ(clerk({"set-user", base, "2", "x", "y"}).status, kExitFailed);
    EXPECT_EQ(clerk({"passwd", base, "secret"}).status, kExitOK);
    EXPECT_EQ(RunTool({"users", base, "--user", "clerk", "--password", "secret"}).err, "Access Denied\n");
    EXPECT_EQ(RunTool({"users", base}, admin).status, kExitOK);
}

TEST(CliCheck, PrintsOkForASoundDatabaseAndEveryFindingOtherwise) {
    test::TTempDir dir;
    const std::string base = dir / "shop";
    ASSERT_EQ(RunTool({"create", base, "--user", "a", "--password", "b"}).status, kExitOK);
    const TRun sound = RunTool({"check", base + ".idx"});
    EXPECT_EQ(sound.status, kExitOK);
    EXPECT_EQ(sound.out, "ok\n");
    std::vector<uint8_t> data = test::ReadBytes(base + ".dat");
    data.push_back(0);
    data[47] ^= 0xFF;
    test::WriteBytes(base + ".dat", data);
    const TRun damaged = RunTool({"check", base});
    EXPECT_EQ(damaged.status, kExitFailed);
    EXPECT_NE(damaged.out.find(base + ".dat: offset 47: the stamp"), std::string::npos) << damaged.out;
    EXPECT_NE(damaged.out.find(base + ".dat: offset 49: 1 bytes at the end belong to no record"), std::string::npos)
        << damaged.out;
}

TEST(CliRegional, LocaleFormatsBecomeFormatTokens) {
    EXPECT_EQ(TokensFromStrftime("%d/%m/%Y"), "dd/mm/yyyy");
    EXPECT_EQ(TokensFromStrftime("%m/%d/%y"), "mm/dd/yy");
    EXPECT_EQ(TokensFromStrftime("%H:%M:%S"), "hh:nn:ss");
    EXPECT_EQ(TokensFromStrftime("%I:%M:%S %p"), "hh:nn:ss ampm");
    EXPECT_EQ(TokensFromStrftime("%F"), "yyyy-mm-dd");
    EXPECT_EQ(TokensFromStrftime("%j"), std::nullopt);
}

TEST(TextCodec, ConvertsBetweenUtf8AndLatin1) {
    std::string latin1;
    ASSERT_TRUE(Utf8ToLatin1("A\xC3\xA9\xC2\xA3z", latin1));
    EXPECT_EQ(latin1, "A\xE9\xA3z");
    EXPECT_EQ(Latin1ToUtf8(latin1), "A\xC3\xA9\xC2\xA3z");
    for (const char* bad : {"\xE2\x82\xAC", "\xC3", "\xC3(", "\xFF"}) EXPECT_FALSE(Utf8ToLatin1(bad, latin1)) << bad;
}

}  // namespace
}  // namespace kelmor::cli
