// TCommandDefinition: one command of the main window as the program defines it, and the
// whole command list in its fixed order (the order of TCommandId, used wherever commands
// are enumerated, for instance when the toolbar layout is read).
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "ui/tcommandid.h"

namespace kelmor {

struct TCommandDefinition {
    TCommandId id;
    const char* name;      // e.g. "AFileNew"
    const char* category;  // "File", "Window", "Help", "Search", "Node", "Keys"
    const char* caption;   // with "&" before the access letter
    const char* hint;      // short part "|" long part, or one text for both
    const char* shortcut;  // portable key text ("Ctrl+N"), empty for none
    int imageIndex;        // into the command image strip, -1 for none
};

const std::array<TCommandDefinition, kCommandCount>& CommandDefinitions();
const TCommandDefinition& CommandDefinition(TCommandId id);
std::optional<TCommandId> CommandIdByName(std::string_view name);

// The short and the long part of a hint ("Open|Open a database").
const char* HintSeparator();

}  // namespace kelmor
