#include "cli/clisession.h"

#include <ostream>

#include "cli/cliregional.h"
#include "cli/textcodec.h"
#include "engine/fileio.h"

namespace kelmor::cli {

std::string TCliSession::BaseName() const { return TKelmorClass::BasePathOf(context_.options.positional.at(0)); }

bool TCliSession::ToLatin1(const std::string& argument, const std::string& what, std::string& latin1) {
    if (Utf8ToLatin1(argument, latin1)) return true;
    context_.err << "The " << what << " holds a character that a database cannot store (only Latin-1 text).\n";
    return false;
}

bool TCliSession::Login(TKelmorLogin& login) {
    auto pick = [&](const char* option, const char* variable) {
        if (auto value = context_.options.Value(option)) return *value;
        const char* fromEnvironment = context_.getEnv ? context_.getEnv(variable) : nullptr;
        return std::string(fromEnvironment ? fromEnvironment : "");
    };
    std::string user, password;
    if (!ToLatin1(pick("user", "KELMOR_USER"), "user name", user)) return false;
    if (!ToLatin1(pick("password", "KELMOR_PASSWORD"), "password", password)) return false;
    login = TKelmorClass::MakeLogin(user, password);
    return true;
}

std::string TCliSession::ResultMessage(int result, const TKelmorClass& engine) {
    switch (result) {
        case kResultAccessDenied:
            return "Unable to open files.\n\nDatabase files may be read-only or you\nmay not have permission to open "
                   "them.";
        case kResultLogonRefused: return "Incorrect Username or Password.\n\nAccess Denied.";
        default: return engine.LastErrorText().empty() ? "Error " + std::to_string(result) : engine.LastErrorText();
    }
}

int TCliSession::Open(bool readOnly) {
    TKelmorLogin login;
    if (!Login(login)) return kExitUsage;
    TRegionalSettings settings;
    if (!RegionalSettingsFor(context_, settings)) return kExitUsage;
    const std::string base = BaseName();
    for (const char* extension : {".idx", ".dat"}) {
        if (!FileExists(base + extension)) {
            context_.err << "Cannot find " << base << extension << "\n";
            return kExitFailed;
        }
    }
    int result = kResultOK;
    try {
        result = engine_.OpenDatabase(base, readOnly, login);
    } catch (const EKelmorCheckSumFailed&) {
        context_.err << "Checksum Failure.\n";
    }
    if (result != kResultOK) {
        context_.err << ResultMessage(result, engine_) << "\n";
        return kExitFailed;
    }
    engine_.SetRegionalSettings(settings);
    return kExitOK;
}

int TCliSession::Finish() {
    if (const int result = engine_.Flush()) {
        context_.err << ResultMessage(result, engine_) << "\n";
        return kExitFailed;
    }
    if (const int result = engine_.Close()) {
        context_.err << ResultMessage(result, engine_) << "\n";
        return kExitFailed;
    }
    return kExitOK;
}

}  // namespace kelmor::cli
