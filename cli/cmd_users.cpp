// Commands on the users of a database: users, set-user and passwd.
#include <ostream>

#include "cli/clisession.h"
#include "cli/jsonwriter.h"
#include "cli/textcodec.h"

namespace kelmor::cli {

namespace {

int RunUsers(TCliContext& context) {
    TCliSession session(context);
    if (const int status = session.Open(true)) return status;
    TKelmorClass& engine = session.Engine();
    if (engine.CurrentUser() != 1) throw EKelmorAccessDenied();
    if (!context.options.Has("json")) {
        for (int user = 1; user <= kUserSlots; ++user)
            context.out << user << "\t" << Latin1ToUtf8(engine.GetUserName(user)) << "\n";
        return kExitOK;
    }
    TJsonWriter json(context.out);
    json.BeginArray();
    for (int user = 1; user <= kUserSlots; ++user) {
        json.BeginObject();
        json.Key("slot");
        json.Integer(user);
        json.Key("name");
        json.Latin1String(engine.GetUserName(user));
        json.EndObject();
    }
    json.EndArray();
    json.Finish();
    return kExitOK;
}

int RunSetUser(TCliContext& context) {
    TCliSession session(context);
    const auto& arguments = context.options.positional;
    if (arguments[1].size() != 1 || arguments[1][0] < '1' || arguments[1][0] > '5') {
        context.err << "kelmor-cli set-user: the user number is 1 to 5\n";
        return kExitUsage;
    }
    std::string name, password;
    if (!session.ToLatin1(arguments[2], "user name", name) || !session.ToLatin1(arguments[3], "password", password))
        return kExitUsage;
    if (name.size() > kMaxUserText || password.size() > kMaxUserText) {
        context.err << "kelmor-cli set-user: user names and passwords have at most 19 characters\n";
        return kExitUsage;
    }
    if (const int status = session.Open(false)) return status;
    session.Engine().SetUser(arguments[1][0] - '0', name, password);
    return session.Finish();
}

int RunPasswd(TCliContext& context) {
    TCliSession session(context);
    std::string password;
    if (!session.ToLatin1(context.options.positional[1], "password", password)) return kExitUsage;
    if (password.size() > kMaxUserText) {
        context.err << "kelmor-cli passwd: passwords have at most 19 characters\n";
        return kExitUsage;
    }
    if (const int status = session.Open(false)) return status;
    session.Engine().ChangePassword(password);
    return session.Finish();
}

std::vector<TCommand> MakeCommands() {
    std::vector<TCommand> commands;
    commands.push_back({"users",
                        "BASE",
                        "the five user slots, number and name (user 1 only)",
                        {{"json", false, false}},
                        "  --json            an array of {slot, name}\n",
                        1,
                        1,
                        RunUsers});
    commands.push_back({"set-user",
                        "BASE N NAME PASSWORD",
                        "stores user slot N; only user 1 may change other slots than their own; an empty name "
                        "and password empty the slot",
                        {},
                        "",
                        4,
                        4,
                        RunSetUser});
    commands.push_back(
        {"passwd", "BASE NEW-PASSWORD", "changes the password of the logged-on user", {}, "", 2, 2, RunPasswd});
    return commands;
}

const TCommandRegistration registration(20, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
