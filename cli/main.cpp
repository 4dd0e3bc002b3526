#include <cstdlib>
#include <iostream>

#include "cli/cliapp.h"
#include "cli/terminalprompt.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return kelmor::cli::RunCli(
        arguments, std::cout, std::cerr, [](const char* name) { return std::getenv(name); },
        kelmor::cli::TerminalAsker());
}
