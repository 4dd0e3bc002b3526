// The command line of kelmor-cli: the command, its positional arguments and options.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelmor::cli {

struct TOptionDefinition {
    std::string name;  // without the leading "--"
    bool takesValue = false;
    bool repeatable = false;
};

struct TCliOptions {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> values;  // options with values
    std::set<std::string> flags;                             // options without values
    bool help = false;

    bool Has(const std::string& flag) const { return flags.count(flag) > 0; }
    std::optional<std::string> Value(const std::string& name) const;
};

// The options every command takes.
const std::vector<TOptionDefinition>& CommonOptionDefinitions();

// Parses the arguments after the command name; false with a message when one is wrong.
bool ParseOptions(const std::vector<std::string>& arguments, const std::vector<TOptionDefinition>& commandOptions,
                  TCliOptions& options, std::string& error);

}  // namespace kelmor::cli
