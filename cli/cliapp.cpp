#include "cli/cliapp.h"

#include <algorithm>
#include <ostream>

#include "engine/kelmorerrors.h"

namespace kelmor::cli {

namespace {

struct TCommandGroup {
    int order;
    std::vector<TCommand> (*makeCommands)();
};

std::vector<TCommandGroup>& Groups() {
    static std::vector<TCommandGroup> groups;
    return groups;
}

const std::vector<TCommand>& AllCommands() {
    static const std::vector<TCommand> commands = [] {
        std::vector<TCommandGroup> groups = Groups();
        std::stable_sort(groups.begin(), groups.end(),
                         [](const TCommandGroup& a, const TCommandGroup& b) { return a.order < b.order; });
        std::vector<TCommand> list;
        for (const TCommandGroup& group : groups)
            for (TCommand& command : group.makeCommands()) list.push_back(std::move(command));
        return list;
    }();
    return commands;
}

const char* const kCommonHelp =
    "Common options:\n"
    "  --user NAME, --password TEXT   the logon (else KELMOR_USER and KELMOR_PASSWORD;\n"
    "                                 the environment keeps the password out of the process list)\n"
    "  --read-only                    open the database read-only\n"
    "  --decimal-separator C, --thousands-separator C\n"
    "  --short-date FORMAT, --long-time FORMAT   e.g. dd/mm/yyyy, hh:nn:ss\n"
    "                                 (default: the environment's locale)\n"
    "  --json                         (info, users, tree, show, get, search, broken-links, check)\n"
    "                                 one JSON document instead of lines\n"
    "  --help                         usage of the program or of one command\n"
    "Without --password or KELMOR_PASSWORD the program asks for the password (and the name)\n"
    "when standard input is a terminal.\n";

void PrintProgramUsage(std::ostream& out) {
    out << "Usage: kelmor-cli COMMAND [options] BASE [arguments]\n\n"
           "BASE names a database by any of its files or its base path (stock, stock.idx).\n\n"
           "Commands:\n";
    for (const TCommand& command : AllCommands()) {
        std::string head = "  " + command.name + " " + command.arguments;
        if (head.size() < 34) head.resize(34, ' ');
        else head += "\n" + std::string(34, ' ');
        out << head << command.description << "\n";
    }
    out << "\n" << kCommonHelp << "\nExit status: 0 done, 1 failed or refused, 2 wrong command line.\n";
}

void PrintCommandUsage(std::ostream& out, const TCommand& command) {
    out << "Usage: kelmor-cli " << command.name << " [options] " << command.arguments << "\n\n"
        << command.description << "\n";
    if (!command.optionHelp.empty()) out << "\nOptions:\n" << command.optionHelp;
    out << "\n" << kCommonHelp;
}

}  // namespace

TCommandRegistration::TCommandRegistration(int order, std::vector<TCommand> (*makeCommands)()) {
    Groups().push_back({order, makeCommands});
}

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, TGetEnv getEnv,
           TAskUser askUser) {
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "help") {
        PrintProgramUsage(arguments.empty() ? err : out);
        return arguments.empty() ? kExitUsage : kExitOK;
    }
    const TCommand* command = nullptr;
    for (const TCommand& candidate : AllCommands())
        if (candidate.name == arguments[0]) command = &candidate;
    if (!command) {
        err << "kelmor-cli: unknown command \"" << arguments[0] << "\" (see kelmor-cli --help)\n";
        return kExitUsage;
    }
    TCliContext context{out, err, std::move(getEnv), {}, std::move(askUser)};
    context.options.command = command->name;
    std::string error;
    if (!ParseOptions({arguments.begin() + 1, arguments.end()}, command->options, context.options, error)) {
        err << "kelmor-cli " << command->name << ": " << error << "\n";
        return kExitUsage;
    }
    if (context.options.help) {
        PrintCommandUsage(out, *command);
        return kExitOK;
    }
    const size_t count = context.options.positional.size();
    if (count < command->minPositional || count > command->maxPositional) {
        err << "kelmor-cli " << command->name << ": expected " << command->arguments << "\n";
        PrintCommandUsage(err, *command);
        return kExitUsage;
    }
    try {
        return command->run(context);
    } catch (const ECliRefusal& refusal) {
        err << refusal.what() << "\n";
        return kExitFailed;
    } catch (const EKelmorError& failure) {
        err << failure.what() << "\n";
        return kExitFailed;
    } catch (const std::exception& failure) {
        err << "kelmor-cli: " << failure.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace kelmor::cli
