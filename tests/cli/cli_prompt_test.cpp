#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/cliapp.h"
#include "cli/terminalprompt.h"
#include "tests/cli/clirun.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::cli {
namespace {

// A pseudo-terminal: a user on the master side waits for a prompt and types an answer,
// as a person would; the prompt reads the slave side.
class TPseudoTerminal {
public:
    TPseudoTerminal() { ok_ = ::openpty(&master_, &slave_, nullptr, nullptr, nullptr) == 0; }
    ~TPseudoTerminal() {
        if (ok_) {
            ::close(master_);
            ::close(slave_);
        }
    }
    bool Ok() const { return ok_; }
    int Slave() const { return slave_; }
    bool Echoes() const {
        termios settings{};
        ::tcgetattr(slave_, &settings);
        return (settings.c_lflag & ECHO) != 0;
    }
    // Runs `prompt` while the user waits for `question` on the screen, types `typed`, and
    // watches the screen until it has been quiet for a while. Returns what it showed.
    std::string Converse(const std::string& question, const std::string& typed, const std::function<void()>& prompt) {
        std::string screen;
        std::thread user([&] {
            bool answered = false;
            for (int quiet = 0; quiet < (answered ? 3 : 50);) {
                pollfd ready{master_, POLLIN, 0};
                if (::poll(&ready, 1, 100) <= 0) {
                    ++quiet;
                    continue;
                }
                quiet = 0;
                char buffer[256];
                const ssize_t got = ::read(master_, buffer, sizeof buffer);
                if (got <= 0) break;
                screen.append(buffer, static_cast<size_t>(got));
                if (!answered && screen.find(question) != std::string::npos) {
                    answered = ::write(master_, typed.data(), typed.size()) == static_cast<ssize_t>(typed.size());
                }
            }
            if (!answered) ::write(master_, "\n", 1);  // never leave the prompt waiting
        });
        prompt();
        user.join();
        return screen;
    }

private:
    int master_ = -1, slave_ = -1;
    bool ok_ = false;
};

TEST(TerminalPrompt, ReadsAPasswordWithoutEchoAndRestoresTheTerminal) {
    TPseudoTerminal terminal;
    if (!terminal.Ok()) GTEST_SKIP() << "no pseudo-terminal here";
    ASSERT_TRUE(terminal.Echoes());
    std::optional<std::string> answer;
    const std::string screen = terminal.Converse("Password for ADMIN: ", "s3cret\n", [&] {
        answer = PromptAtTerminal(terminal.Slave(), terminal.Slave(), "Password for ADMIN: ", true);
    });
    EXPECT_EQ(answer, "s3cret");
    EXPECT_EQ(screen.find("Password for ADMIN: "), 0u) << screen;
    EXPECT_EQ(screen.find("s3cret"), std::string::npos) << screen;
    EXPECT_TRUE(terminal.Echoes());

    // a name is shown as it is typed
    const std::string named = terminal.Converse("User name: ", "clerk\n", [&] {
        answer = PromptAtTerminal(terminal.Slave(), terminal.Slave(), "User name: ", false);
    });
    EXPECT_EQ(answer, "clerk");
    EXPECT_NE(named.find("clerk"), std::string::npos) << named;
}

TEST(TerminalPrompt, NeverAsksWhatIsNoTerminal) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::write(pipeEnds[1], "pw\n", 3), 3);
    EXPECT_EQ(PromptAtTerminal(pipeEnds[0], pipeEnds[1], "Password: ", true), std::nullopt);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

// The logon asks only when no password is given and the terminal can be asked; the name
// first when that is missing too.
TEST(CliLogon, AsksForWhatIsMissingOnlyAtATerminal) {
    test::TTempDir dir;
    const std::string base = dir / "shop";
    ASSERT_EQ(clitest::RunCliWith({"create", base, "--user", "admin", "--password", "pw"}).status, kExitOK);
    struct TCase {
        std::map<std::string, std::string> environment;
        std::vector<std::string> options;
        std::vector<std::string> answers;  // what the user types, in order
        std::vector<std::string> prompts;  // what the program asks, in order
        int status;
    };
    const std::vector<TCase> cases = {
        {{{"KELMOR_USER", "admin"}}, {}, {"pw"}, {"Password for admin: "}, kExitOK},
        {{}, {"--user", "admin"}, {"wrong"}, {"Password for admin: "}, kExitFailed},
        {{}, {}, {"admin", "pw"}, {"User name: ", "Password for admin: "}, kExitOK},
        {{}, {}, {}, {"User name: "}, kExitUsage},  // no answer (end of input)
        {{{"KELMOR_USER", "admin"}, {"KELMOR_PASSWORD", "pw"}}, {}, {}, {}, kExitOK},
        {{{"KELMOR_USER", "admin"}}, {"--password", "pw"}, {}, {}, kExitOK},
        {{{"KELMOR_USER", "admin"}, {"KELMOR_PASSWORD", ""}}, {}, {}, {}, kExitFailed},  // given, and empty
    };
    for (const TCase& c : cases) {
        std::vector<std::string> prompts;
        std::vector<bool> hidden;
        size_t answered = 0;
        auto ask = [&](const std::string& prompt, bool hide) -> std::optional<std::string> {
            prompts.push_back(prompt);
            hidden.push_back(hide);
            if (answered >= c.answers.size()) return std::nullopt;
            return c.answers[answered++];
        };
        std::vector<std::string> arguments = {"users", base};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const clitest::TCliRun run = clitest::RunCliWith(arguments, c.environment, ask);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(prompts, c.prompts);
        for (size_t i = 0; i < prompts.size(); ++i)
            EXPECT_EQ(hidden[i], prompts[i].rfind("Password", 0) == 0) << prompts[i];
    }
    // without a terminal nothing is asked: the logon is refused as given
    const clitest::TCliRun refused = clitest::RunCliWith({"users", base}, {{"KELMOR_USER", "admin"}});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_EQ(refused.err, "Incorrect Username or Password.\n\nAccess Denied.\n");
}

}  // namespace
}  // namespace kelmor::cli
