// Asking for the logon at the terminal: a prompt, then one line read with the echo
// switched off for a password.
#pragma once

#include <optional>
#include <string>

#include "cli/cliapp.h"

namespace kelmor::cli {

// Writes the prompt to `outFd` and reads one line from `inFd` (a terminal), without
// echo when `hidden`; the terminal's settings are restored afterwards, also when the
// read is interrupted. Nothing at the end of input or when `inFd` is no terminal.
std::optional<std::string> PromptAtTerminal(int inFd, int outFd, const std::string& prompt, bool hidden);

// The program's way of asking: at the controlling terminal when standard input is one,
// else no way at all (a script is never asked).
TAskUser TerminalAsker();

}  // namespace kelmor::cli
