// TCommandDefinition: one command of the main window as the program defines it, and the
// whole command list in its fixed order (the order used wherever commands are
// enumerated, for instance when the toolbar layout is read).
#pragma once

#include <vector>

namespace kelmor {

// Which shared handler a command goes to.
enum class TCommandGroup { File, Window, Help, Search, Node, Key };

struct TCommandDefinition {
    const char* name;       // e.g. "AFileNew"
    const char* category;   // "File", "Window", "Help", "Search", "Node", "Keys"
    const char* caption;    // with "&" before the access letter
    const char* hint;       // short part "|" long part, or one text for both
    const char* shortcut;   // portable key text ("Ctrl+N"), empty for none
    int imageIndex;         // into the command image strip, -1 for none
    int tag;                // selects the operation within the group's handler
    TCommandGroup group;
};

const std::vector<TCommandDefinition>& CommandDefinitions();

// The short and the long part of a hint ("Open|Open a database").
const char* HintSeparator();

}  // namespace kelmor
