#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "cli/cliapp.h"
#include "cli/cliregional.h"
#include "cli/textcodec.h"
#include "engine/tkelmor.h"
#include "tests/cli/clirun.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::cli {
namespace {

using TRun = clitest::TCliRun;
TRun RunTool(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment = {}) {
    return clitest::RunCliWith(arguments, environment);
}

TEST(CliCommandLine, WrongCommandLinesExitWith2) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{{},
                                                                       {"frobnicate"},
                                                                       {"info"},
                                                                       {"info", "a", "b"},
                                                                       {"info", "a", "--bogus"},
                                                                       {"info", "a", "--user"},
                                                                       {"create", "a", "--read-only=yes"},
                                                                       {"info", "a", "--user", "x", "--user", "y"}}) {
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

// create without a user name is a command-line error and makes no file; create over an
// existing database is refused by the first of its files that exists, unless --replace.
TEST(CliDatabase, CreateNeedsAUserNameAndRefusesExistingFiles) {
    test::TTempDir dir;
    const std::string base = dir / "shop";
    struct TNoName {
        std::vector<std::string> arguments;
        std::map<std::string, std::string> environment;
    };
    for (const TNoName& c : std::vector<TNoName>{
             {{"create", base}, {}},
             {{"create", base, "--password", "pw"}, {}},
             {{"create", base, "--replace"}, {{"KELMOR_PASSWORD", "pw"}}},
             {{"create", base, "--user", ""}, {{"KELMOR_USER", "admin"}}},
             {{"create", base}, {{"KELMOR_USER", ""}}},
         }) {
        const TRun run = RunTool(c.arguments, c.environment);
        EXPECT_EQ(run.status, kExitUsage) << run.err;
        EXPECT_EQ(run.err.rfind("kelmor-cli create: the logon needs a user name", 0), 0u) << run.err;
        for (const char* extension : {".idx", ".dat", ".blb"}) EXPECT_FALSE(test::Exists(base + extension));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    const std::map<std::string, std::string> admin = {{"KELMOR_USER", "admin"}, {"KELMOR_PASSWORD", "pw"}};
    ASSERT_EQ(RunTool({"create", base}, admin).status, kExitOK);
    ASSERT_EQ(RunTool({"set-user", base, "3", "keep", "k"}, admin).status, kExitOK);
    const std::vector<uint8_t> index = test::ReadBytes(base + ".idx");
    // the database as named, by any of its files: the message names the file that exists
    for (const std::string& name : {base, base + ".idx", base + ".dat", base + ".blb"}) {
        const TRun again = RunTool({"create", name, "--user", "other"});
        EXPECT_EQ(again.status, kExitFailed) << name;
        EXPECT_EQ(again.err, base + ".idx already exists (--replace replaces the database)\n") << name;
    }
    EXPECT_EQ(test::ReadBytes(base + ".idx"), index);
    EXPECT_EQ(RunTool({"users", base}, admin).out, "1\tADMIN\n2\t\n3\tKEEP\n4\t\n5\t\n");

    // any one of the three files is enough
    struct TLeftOver {
        const char* extension;
    };
    for (const TLeftOver& c : std::vector<TLeftOver>{{".idx"}, {".dat"}, {".blb"}}) {
        const std::string other = dir / "other";
        const std::string path = other + c.extension;
        test::WriteBytes(path, {1, 2, 3});
        const TRun refused = RunTool({"create", other}, admin);
        EXPECT_EQ(refused.status, kExitFailed) << c.extension;
        EXPECT_EQ(refused.err, path + " already exists (--replace replaces the database)\n");
        EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{1, 2, 3}));
        std::filesystem::remove(path);
    }
    EXPECT_FALSE(test::Exists(dir / "other.idx"));
    EXPECT_FALSE(test::Exists(dir / "other.dat"));

    // a dangling symbolic link is an existing name too: create would write through it
    std::filesystem::create_symlink(dir / "elsewhere", dir / "linked.dat");
    EXPECT_EQ(RunTool({"create", dir / "linked"}, admin).status, kExitFailed);
    EXPECT_FALSE(test::Exists(dir / "elsewhere"));

    const TRun replaced = RunTool({"create", base, "--replace", "--user", "other", "--password", "x"});
    EXPECT_EQ(replaced.status, kExitOK) << replaced.err;
    const std::vector<std::string> other = {"--user", "other", "--password", "x"};
    auto asOther = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), other.begin(), other.end());
        return RunTool(arguments);
    };
    EXPECT_EQ(asOther({"users", base}).out, "1\tOTHER\n2\t\n3\t\n4\t\n5\t\n");
    EXPECT_EQ(RunTool({"users", base}, admin).status, kExitFailed);        // the old logon went with the old files
    EXPECT_EQ(RunTool({"create", base, "--replace"}).status, kExitUsage);  // still needs the name
    EXPECT_EQ(asOther({"users", base}).status, kExitOK);

    const TRun help = RunTool({"create", "--help"});
    EXPECT_NE(help.out.find("--replace"), std::string::npos);
}

// A database open for writing (in the desktop program, say) keeps the tool's writing
// commands out; reading commands go on.
TEST(CliDatabase, WritingCommandsAreRefusedWhileAnotherWriterHoldsTheDatabase) {
    test::TTempDir dir;
    const std::string base = dir / "held";
    const std::map<std::string, std::string> admin = {{"KELMOR_USER", "admin"}, {"KELMOR_PASSWORD", "pw"}};
    ASSERT_EQ(RunTool({"create", base}, admin).status, kExitOK);
    const std::string csv = dir / "rows.csv";
    test::WriteBytes(csv, {'a', ',', 'b', '\n'});
    TKelmorClass holder;
    ASSERT_EQ(holder.OpenDatabase(base, false, TKelmorClass::MakeLogin("admin", "pw")), kResultOK);
    const std::vector<uint8_t> index = test::ReadBytes(base + ".idx");
    const std::string refusal = base + " is open for writing in another window or program.\n";
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"import", base, csv}, {"set-user", base, "2", "clerk", "c"}, {"create", base, "--replace"}}) {
        const TRun run = RunTool(arguments, admin);
        EXPECT_EQ(run.status, kExitFailed) << arguments[0];
        EXPECT_EQ(run.err, refusal) << arguments[0];
    }
    EXPECT_EQ(test::ReadBytes(base + ".idx"), index);
    EXPECT_EQ(RunTool({"info", base, "--read-only"}, admin).status, kExitOK);
    EXPECT_EQ(holder.Close(), kResultOK);
    EXPECT_EQ(RunTool({"import", base, csv}, admin).status, kExitOK);
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

// A locale is the C or POSIX locale by its name before any "." or "@": such a name gives the
// default settings even where the C library knows it (C.UTF-8 has two-digit years there).
TEST(CliRegional, TheCAndPosixLocalesByTheirNameBeforeDotOrAt) {
    struct TCase {
        const char* name;
        bool cOrPosix;
    };
    for (const TCase& c : std::vector<TCase>{{"C", true},
                                             {"POSIX", true},
                                             {"C.UTF-8", true},
                                             {"C.utf8", true},
                                             {"POSIX.UTF-8", true},
                                             {"C@euro", true},
                                             {"C.UTF-8@euro", true},
                                             {"", false},
                                             {"CA", false},
                                             {"Ca_ES.UTF-8", false},
                                             {"c.UTF-8", false},
                                             {"POSIXLY", false},
                                             {"en_US.UTF-8", false},
                                             {"de_DE@euro", false}}) {
        EXPECT_EQ(IsCOrPosixLocale(c.name), c.cOrPosix) << c.name;
        if (!c.cOrPosix) continue;
        for (const char* variable : {"LC_ALL", "LANG"}) {
            std::ostringstream out, err;
            const std::map<std::string, std::string> environment = {{variable, c.name}};
            TCliContext context{out,
                                err,
                                [&](const char* name) -> const char* {
                                    const auto found = environment.find(name);
                                    return found == environment.end() ? nullptr : found->second.c_str();
                                },
                                {}};
            TRegionalSettings settings;
            settings.shortDateFormat = "mm/dd/yy";
            ASSERT_TRUE(RegionalSettingsFor(context, settings));
            EXPECT_EQ(settings.decimalSeparator, '.') << c.name;
            EXPECT_EQ(settings.thousandsSeparator, ',') << c.name;
            EXPECT_EQ(settings.shortDateFormat, "yyyy-mm-dd") << c.name;
            EXPECT_EQ(settings.longTimeFormat, "hh:nn:ss") << c.name;
        }
    }
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
