// Opening the database that a command names, with the logon of the command line or
// the environment, and the messages the program shows for each outcome.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "cli/cliapp.h"
#include "engine/tkelmor.h"

namespace kelmor::cli {

class TCliSession {
public:
    explicit TCliSession(TCliContext& context) : context_(context) {}

    // The database's base path: the first argument without its extension.
    std::string BaseName() const;

    // Converts an argument to Latin-1; prints a message and answers false when it holds
    // a character outside Latin-1.
    bool ToLatin1(const std::string& argument, const std::string& what, std::string& latin1);

    // The logon from --user/--password or KELMOR_USER/KELMOR_PASSWORD; when neither gives
    // a password and the terminal can be asked, asked there (the name first when that is
    // missing too). False (message printed) when it cannot be converted or the question
    // found no answer.
    bool Login(TKelmorLogin& login);

    // Opens the database; returns an exit status (kExitOK when it is open).
    int Open(bool readOnly);
    int OpenAsOptionsSay() { return Open(context_.options.Has("read-only")); }

    // Writes what the command changed and closes the database; an exit status.
    int Finish();

    // Opens the database (read-only with --read-only), runs the change and saves once.
    // When the change fails (an exception or an exit status other than 0) nothing of it
    // is saved; the status or the exception is passed on.
    int RunChange(const std::function<int()>& change);

    TKelmorClass& Engine() { return *engine_; }
    TCliContext& Context() { return context_; }

    // The program's message for a failed create, open or flush.
    static std::string ResultMessage(int result, const TKelmorClass& engine);

private:
    TCliContext& context_;
    std::unique_ptr<TKelmorClass> engine_ = std::make_unique<TKelmorClass>();
};

}  // namespace kelmor::cli
