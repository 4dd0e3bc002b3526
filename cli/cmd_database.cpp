// Commands on a database as a whole: create and info.
#include <ostream>

#include "clisession.h"
#include "inforows.h"

namespace kelmor::cli {

namespace {

int RunCreate(TCliContext& context) {
    TCliSession session(context);
    TKelmorLogin login;
    if (!session.Login(login)) return kExitUsage;
    TKelmorClass& engine = session.Engine();
    int result = kResultOK;
    try {
        result = engine.CreateDatabase(session.BaseName(), login);
    } catch (const EKelmorCheckSumFailed&) {
        context.err << "Checksum Failure.\n";
    }
    if (result == kResultLogonRefused) {
        context.err << "Access Denied.\n";
        return kExitFailed;
    }
    if (result != kResultOK) {
        context.err << TCliSession::ResultMessage(result, engine) << "\n";
        return kExitFailed;
    }
    engine.Close();
    return kExitOK;
}

int RunInfo(TCliContext& context) {
    TCliSession session(context);
    if (const int status = session.OpenAsOptionsSay()) return status;
    for (const auto& [description, value] : InfoRows(session.Engine().GetInfo()))
        context.out << description << "\t" << value << "\n";
    return kExitOK;
}

std::vector<TCommand> MakeCommands() {
    std::vector<TCommand> commands;
    commands.push_back({"create", "BASE", "creates a new database; the logon becomes user 1", {}, "", 1, 1, RunCreate});
    commands.push_back({"info", "BASE", "the database information, one Description<TAB>Value line each (user 1 only)",
                        {}, "", 1, 1, RunInfo});
    return commands;
}

const TCommandRegistration registration(10, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
