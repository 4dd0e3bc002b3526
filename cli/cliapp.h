// kelmor-cli: the engine and the interchange formats from a shell.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/clioptions.h"

namespace kelmor::cli {

constexpr int kExitOK = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using TGetEnv = std::function<const char*(const char* name)>;
// Asks the user at the terminal: the prompt, whether the answer is hidden (no echo);
// nothing when no answer came. Absent when standard input is not a terminal.
using TAskUser = std::function<std::optional<std::string>(const std::string& prompt, bool hidden)>;

struct TCliContext {
    std::ostream& out;
    std::ostream& err;
    TGetEnv getEnv;
    TCliOptions options;
    TAskUser askUser = nullptr;
};

// A command refused with a message of its own (printed as it is, exit status 1).
class ECliRefusal : public std::runtime_error {
public:
    explicit ECliRefusal(const std::string& message) : std::runtime_error(message) {}
};

struct TCommand {
    std::string name;
    std::string arguments;  // e.g. "BASE N NAME PASSWORD"
    std::string description;
    std::vector<TOptionDefinition> options;
    std::string optionHelp;  // lines describing the command's own options
    size_t minPositional = 1;
    size_t maxPositional = 1;
    std::function<int(TCliContext&)> run;
};

// Runs one command line (without the program name); returns the exit status.
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, TGetEnv getEnv,
           TAskUser askUser = nullptr);

// Each command file registers its group of commands with a static registration; the
// groups are listed in the order of their `order` numbers.
struct TCommandRegistration {
    TCommandRegistration(int order, std::vector<TCommand> (*makeCommands)());
};

}  // namespace kelmor::cli
