#include "cli/clioptions.h"

namespace kelmor::cli {

std::optional<std::string> TCliOptions::Value(const std::string& name) const {
    const auto found = values.find(name);
    if (found == values.end() || found->second.empty()) return std::nullopt;
    return found->second.back();
}

const std::vector<TOptionDefinition>& CommonOptionDefinitions() {
    static const std::vector<TOptionDefinition> definitions = {
        {"user", true, false},
        {"password", true, false},
        {"read-only", false, false},
        {"decimal-separator", true, false},
        {"thousands-separator", true, false},
        {"short-date", true, false},
        {"long-time", true, false},
    };
    return definitions;
}

bool ParseOptions(const std::vector<std::string>& arguments, const std::vector<TOptionDefinition>& commandOptions,
                  TCliOptions& options, std::string& error) {
    auto findDefinition = [&](const std::string& name) -> const TOptionDefinition* {
        for (const auto* list : {&CommonOptionDefinitions(), &commandOptions})
            for (const TOptionDefinition& definition : *list)
                if (definition.name == name) return &definition;
        return nullptr;
    };
    bool onlyPositional = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyPositional || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            options.positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyPositional = true;
            continue;
        }
        std::string name = argument.substr(2);
        std::optional<std::string> inlineValue;
        if (const size_t equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "help") {
            options.help = true;
            continue;
        }
        const TOptionDefinition* definition = findDefinition(name);
        if (!definition) {
            error = "unknown option --" + name;
            return false;
        }
        if (!definition->takesValue) {
            if (inlineValue) {
                error = "option --" + name + " takes no value";
                return false;
            }
            options.flags.insert(name);
            continue;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = "option --" + name + " needs a value";
            return false;
        }
        auto& slot = options.values[name];
        if (!slot.empty() && !definition->repeatable) {
            error = "option --" + name + " given twice";
            return false;
        }
        slot.push_back(value);
    }
    return true;
}

}  // namespace kelmor::cli
