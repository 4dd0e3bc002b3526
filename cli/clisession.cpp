#include "cli/clisession.h"

#include <optional>
#include <ostream>
#include <vector>

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
    auto pick = [&](const char* option, const char* variable) -> std::optional<std::string> {
        if (auto value = context_.options.Value(option)) return *value;
        const char* fromEnvironment = context_.getEnv ? context_.getEnv(variable) : nullptr;
        if (fromEnvironment) return std::string(fromEnvironment);
        return std::nullopt;
    };
    std::optional<std::string> userText = pick("user", "KELMOR_USER");
    std::optional<std::string> passwordText = pick("password", "KELMOR_PASSWORD");
    if (!passwordText && context_.askUser) {
        if (!userText || userText->empty()) userText = context_.askUser("User name: ", false);
        if (userText && !userText->empty()) passwordText = context_.askUser("Password for " + *userText + ": ", true);
        if (!userText || !passwordText) {
            context_.err << "kelmor-cli: no logon given\n";
            return false;
        }
    }
    std::string user, password;
    if (!ToLatin1(userText.value_or(""), "user name", user)) return false;
    if (!ToLatin1(passwordText.value_or(""), "password", password)) return false;
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
        result = engine_->OpenDatabase(base, readOnly, login);
    } catch (const EKelmorCheckSumFailed&) {
        context_.err << "Checksum Failure.\n";
    }
    if (result != kResultOK) {
        context_.err << ResultMessage(result, *engine_) << "\n";
        return kExitFailed;
    }
    engine_->SetRegionalSettings(settings);
    return kExitOK;
}

int TCliSession::Finish() {
    // Closing saves (once): a flush before it would write the whole index twice.
    if (const int result = engine_->Close()) {
        context_.err << ResultMessage(result, *engine_) << "\n";
        return kExitFailed;
    }
    return kExitOK;
}

int TCliSession::RunChange(const std::function<int()>& change) {
    if (const int status = OpenAsOptionsSay()) return status;
    int status = kExitFailed;
    try {
        status = change();
    } catch (...) {
        // The files keep the last save: the engine writes nothing into them between saves.
        engine_->Discard();
        throw;
    }
    if (status != kExitOK) {
        engine_->Discard();
        return status;
    }
    const int saved = Finish();
    // A failed save is reported and not tried again by closing: the files keep the
    // last save (or a committed journal that the next open completes).
    if (saved != kExitOK) engine_->Discard();
    return saved;
}

}  // namespace kelmor::cli
