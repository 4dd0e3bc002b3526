// Commands on a database as a whole: create and info.
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/clisession.h"
#include "cli/jsonwriter.h"
#include "engine/inforows.h"

namespace kelmor::cli {

namespace {

// The first of the database's three files that exists (as any kind of directory entry,
// a dangling link too), or empty.
std::string ExistingFileOf(const std::string& base) {
    for (const char* extension : {".idx", ".dat", ".blb"}) {
        const std::string path = base + extension;
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) return path;
    }
    return "";
}

int RunCreate(TCliContext& context) {
    TCliSession session(context);
    TKelmorLogin login;
    if (!session.Login(login)) return kExitUsage;
    if (login.userName.empty()) {
        context.err << "kelmor-cli create: the logon needs a user name (--user NAME or KELMOR_USER)\n"
                       "Usage: kelmor-cli create [options] BASE [--replace] (see kelmor-cli create --help)\n";
        return kExitUsage;
    }
    const std::string base = session.BaseName();
    if (!context.options.Has("replace")) {
        if (const std::string existing = ExistingFileOf(base); !existing.empty()) {
            context.err << existing << " already exists (--replace replaces the database)\n";
            return kExitFailed;
        }
    }
    TKelmorClass& engine = session.Engine();
    int result = kResultOK;
    try {
        result = engine.CreateDatabase(base, login);
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
    if (const int closed = engine.Close()) {
        context.err << TCliSession::ResultMessage(closed, engine) << "\n";
        return kExitFailed;
    }
    return kExitOK;
}

int RunInfo(TCliContext& context) {
    TCliSession session(context);
    if (const int status = session.OpenAsOptionsSay()) return status;
    const auto rows = InfoRows(session.Engine().GetInfo());
    if (!context.options.Has("json")) {
        for (const auto& [description, value] : rows) context.out << description << "\t" << value << "\n";
        return kExitOK;
    }
    TJsonWriter json(context.out);
    json.BeginObject();
    for (const auto& [description, value] : rows) {
        json.Key(description);
        json.NumberText(value);  // every value is a decimal integer
    }
    json.EndObject();
    json.Finish();
    return kExitOK;
}

std::vector<TCommand> MakeCommands() {
    std::vector<TCommand> commands;
    commands.push_back({"create",
                        "BASE",
                        "creates a new database; the logon (a user name is needed) becomes user 1",
                        {{"replace", false, false}},
                        "  --replace         overwrite the database when BASE.idx, BASE.dat or BASE.blb\n"
                        "                    exists (without it, create refuses)\n",
                        1,
                        1,
                        RunCreate});
    commands.push_back({"info",
                        "BASE",
                        "the database information, one Description<TAB>Value line each (user 1 only)",
                        {{"json", false, false}},
                        "  --json            one object: description to value\n",
                        1,
                        1,
                        RunInfo});
    return commands;
}

const TCommandRegistration registration(10, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
