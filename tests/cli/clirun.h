// Runs kelmor-cli in-process with a fixed environment, for the command-line tests.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cliapp.h"

namespace kelmor::clitest {

struct TCliRun {
    int status = 0;
    std::string out, err;
};

inline TCliRun RunCliWith(const std::vector<std::string>& arguments,
                          const std::map<std::string, std::string>& environment = {}, cli::TAskUser askUser = nullptr) {
    std::ostringstream out, err;
    TCliRun run;
    run.status = cli::RunCli(
        arguments, out, err,
        [&](const char* name) -> const char* {
            const auto found = environment.find(name);
            return found == environment.end() ? nullptr : found->second.c_str();
        },
        std::move(askUser));
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The logon "admin"/"pw" and the C locale.
inline const std::map<std::string, std::string>& AdminEnvironment() {
    static const std::map<std::string, std::string> environment = {
        {"KELMOR_USER", "admin"}, {"KELMOR_PASSWORD", "pw"}, {"LC_ALL", "C"}};
    return environment;
}

}  // namespace kelmor::clitest
