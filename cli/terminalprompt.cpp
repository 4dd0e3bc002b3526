#include "cli/terminalprompt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace kelmor::cli {

namespace {

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        done += static_cast<size_t>(written);
    }
}

// Switches the echo off for its lifetime.
class TEchoOff {
public:
    explicit TEchoOff(int fd) : fd_(fd) {
        if (::tcgetattr(fd_, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
        active_ = ::tcsetattr(fd_, TCSANOW, &quiet) == 0;
    }
    ~TEchoOff() {
        if (active_) ::tcsetattr(fd_, TCSANOW, &saved_);
    }
    TEchoOff(const TEchoOff&) = delete;
    TEchoOff& operator=(const TEchoOff&) = delete;

private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

}  // namespace

std::optional<std::string> PromptAtTerminal(int inFd, int outFd, const std::string& prompt, bool hidden) {
    if (::isatty(inFd) != 1) return std::nullopt;
    std::string line;
    bool ended = false;
    {
        // The echo goes before the prompt shows: a password typed at once is not echoed.
        std::unique_ptr<TEchoOff> echoOff = hidden ? std::make_unique<TEchoOff>(inFd) : nullptr;
        WriteAll(outFd, prompt);
        char ch = 0;
        while (true) {
            const ssize_t got = ::read(inFd, &ch, 1);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                ended = line.empty();
                break;
            }
            if (ch == '\n') break;
            if (ch != '\r') line += ch;
        }
    }
    if (hidden) WriteAll(outFd, "\n");  // the Enter that was not echoed
    if (ended) return std::nullopt;
    return line;
}

TAskUser TerminalAsker() {
    if (::isatty(STDIN_FILENO) != 1) return nullptr;
    return [](const std::string& prompt, bool hidden) -> std::optional<std::string> {
        // The prompt goes to the terminal itself, so that it shows when the output is redirected.
        const int terminal = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
        const int outFd = terminal >= 0 ? terminal : STDERR_FILENO;
        std::optional<std::string> answer = PromptAtTerminal(STDIN_FILENO, outFd, prompt, hidden);
        if (terminal >= 0) ::close(terminal);
        return answer;
    };
}

}  // namespace kelmor::cli
