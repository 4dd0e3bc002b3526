#include "app/tcommanddefinition.h"

namespace kelmor {

namespace {

constexpr std::array<TCommandDefinition, kCommandCount> kCommands = {{
    {TCommandId::FileNew, "AFileNew", "File", "&New...", "New|Create a new database", "Ctrl+N", 0},
    {TCommandId::FileOpen, "AFileOpen", "File", "&Open...", "Open|Open a database", "Ctrl+O", 1},
    {TCommandId::FileFlush, "AFileFlush", "File", "F&lush", "Flush Database|Flush database files to disk", "", 42},
    {TCommandId::FileClose, "AFileClose", "File", "&Close", "Close|Close current database", "", 2},
    {TCommandId::FileCloseAll, "AFileCloseAll", "File", "Close &All", "Close All|Close All Databases", "", 3},
    {TCommandId::FileExit, "AFileExit", "File", "E&xit", "Exit|Exit application", "", -1},
    {TCommandId::WindowCascade, "AWindowCascade", "Window", "&Cascade", "Cascade", "", -1},
    {TCommandId::WindowTileHorizontal, "AWindowTileHorizontal", "Window", "Tile &Horizontally", "Tile Horizontally", "",
     -1},
    {TCommandId::WindowTileVertical, "AWindowTileVertical", "Window", "Tile &Vertically", "Tile Vertically", "", -1},
    {TCommandId::WindowMinimizeAll, "AWindowMinimizeAll", "Window", "&Minimize All", "Minimize All", "", -1},
    {TCommandId::WindowArrangeAll, "AWindowArrangeAll", "Window", "&Arrange All", "Arrange All", "", -1},
    {TCommandId::HelpAbout, "AHelpAbout", "Help", "&About...",
     "About|Show the program's name, version and copyright notice", "", -1},
    {TCommandId::Find, "AFind", "Search", "Find...", "Search Database|Find Text in Database", "Ctrl+F", 4},
    {TCommandId::Replace, "AReplace", "Search", "Replace...", "Replace|Find and Replace Text in Database", "Ctrl+R", 5},
    {TCommandId::FindBroken, "AFindBroken", "Search", "Find Broken Links",
     "Find Broken Links|Find and highlight broken links", "", 43},
    {TCommandId::SearchNext, "ASearchNext", "Search", "Search Again",
     "Search Again|Find next occurrence of search text", "F3", 6},

    {TCommandId::NewNode, "ANewNode", "Node", "&New Node", "New Node|Create a new node under the selected node",
     "Ctrl+N", 22},
    {TCommandId::RenameNode, "ARenameNode", "Node", "&Rename", "Rename Node|Rename selected node", "F2", 23},
    {TCommandId::DeleteNode, "ADeleteNode", "Node", "&Delete", "Delete Node|Delete the selected node", "Del", 24},
    {TCommandId::Information, "AInformation", "Node", "&Information...", "Information|Node Information", "Ctrl+I", 25},
    {TCommandId::CutNode, "ACutNode", "Node", "Cu&t",
     "Cut Node|Cut the selected node (nodes do not actually get cut until pasted)", "Ctrl+X", 26},
    {TCommandId::CopyNode, "ACopyNode", "Node", "&Copy", "Copy Node|Copy node", "Ctrl+C", 27},
    {TCommandId::PasteNode, "APasteNode", "Node", "&Paste", "Paste Node|Paste a previously copied/cut node", "Ctrl+V",
     28},
    {TCommandId::PasteAsLink, "APasteAsLink", "Node", "Paste as &Link",
     "Paste as Link|Create link to the previously copied node", "Ctrl+L", 29},
    {TCommandId::ShiftUp, "AShiftUp", "Node", "Shift &Up", "Shift Node Up|Shift selected node up", "Ctrl+U", 30},
    {TCommandId::ShiftDown, "AShiftDown", "Node", "Shift Do&wn", "Shift Node Down|Shift selected node down", "Ctrl+D",
     31},
    {TCommandId::SortBranch, "ASortBranch", "Node", "S&ort Branch", "Sort Branch|Sort the branch of the selected node",
     "Ctrl+O", 32},
    {TCommandId::JumpToSource, "AJumpToSource", "Node", "&Jump to Source",
     "Jump to Source|Find source node for a linked node", "Ctrl+J", 33},
    {TCommandId::Import, "AImport", "Node", "Impo&rt Data...", "Import|Import data onto the selected node", "", 41},
    {TCommandId::Export, "AExport", "Node", "Expor&t Data...", "Export|Export data from the selected node", "", 40},
    {TCommandId::NodeSecurity, "ANodeSecurity", "Node", "&Security...", "Node Security|Change node security details",
     "", 39},

    {TCommandId::AddByte, "AAddByte", "Keys", "&Byte", "Add Byte", "", 7},
    {TCommandId::AddInteger, "AAddInteger", "Keys", "&Integer", "Add Integer (2 bytes)", "", 8},
    {TCommandId::AddLongint, "AAddLongint", "Keys", "&Large Integer", "Add Longint (4 bytes)", "", 9},
    {TCommandId::AddFloat, "AAddFloat", "Keys", "&Floating Point", "Add Float (4 bytes)", "", 10},
    {TCommandId::AddDouble, "AAddDouble", "Keys", "Do&uble", "Add Double (8 bytes)", "", 36},
    {TCommandId::AddCurrency, "AAddCurrency", "Keys", "&Currency", "Add Currency (8 bytes)", "", 35},
    {TCommandId::AddString, "AAddString", "Keys", "&String", "Add String", "", 11},
    {TCommandId::AddDate, "AAddDate", "Keys", "&Date", "Add Date", "", 44},
    {TCommandId::AddSeq, "AAddSeq", "Keys", "Byte Se&quence", "Add byte sequence", "", 12},
    {TCommandId::AddBlob, "AAddBlob", "Keys", "Bl&ob", "Add a binary data stream", "", 13},

    {TCommandId::InsByte, "AInsByte", "Keys", "&Byte", "Insert Byte", "", 7},
    {TCommandId::InsInteger, "AInsInteger", "Keys", "&Integer", "Insert Integer (2 bytes)", "", 8},
    {TCommandId::InsLongint, "AInsLongint", "Keys", "&Large Integer", "Insert Longint (4 bytes)", "", 9},
    {TCommandId::InsFloat, "AInsFloat", "Keys", "&Floating Point", "Insert Float (4 bytes)", "", 10},
    {TCommandId::InsDouble, "AInsDouble", "Keys", "Do&uble", "Insert Double (8 bytes)", "", 36},
    {TCommandId::InsCurrency, "AInsCurrency", "Keys", "&Currency", "Insert Currency (8 bytes)", "", 35},
    {TCommandId::InsString, "AInsString", "Keys", "&String", "Insert String", "", 11},
    {TCommandId::InsDate, "AInsDate", "Keys", "&Date", "Insert Date", "", 44},
    {TCommandId::InsSeq, "AInsSeq", "Keys", "Byte Se&quence", "Insert byte sequence", "", 12},
    {TCommandId::InsBlob, "AInsBlob", "Keys", "Bl&ob", "Insert binary data stream", "", 13},

    {TCommandId::RenameKey, "ARenameKey", "Keys", "&Rename", "Rename Key|Rename the selected key", "F2", 19},
    {TCommandId::EditKey, "AEditKey", "Keys", "&Edit Value...", "Edit Key|Edit the selected key", "F4", 20},
    {TCommandId::DeleteKey, "ADeleteKey", "Keys", "&Delete", "Delete Key|Delete the selected key", "Del", 21},
    {TCommandId::CutKey, "ACutKey", "Keys", "Cu&t", "Cut Key", "Ctrl+X", 14},
    {TCommandId::CopyKey, "ACopyKey", "Keys", "&Copy", "Copy Key", "Ctrl+C", 15},
    {TCommandId::PasteKey, "APasteKey", "Keys", "&Paste", "Paste Key", "Ctrl+V", 16},
    {TCommandId::ShiftKeyUp, "AShiftKeyUp", "Keys", "Shift &Up", "Shift Key Up|Shift selected key up", "Ctrl+U", 17},
    {TCommandId::ShiftKeyDown, "AShiftKeyDown", "Keys", "Shift Do&wn", "Shift Key Down|Shift selected key down",
     "Ctrl+D", 18},

    {TCommandId::LocateID, "ALocateID", "Search", "&Locate by ID...",
     "Locate by ID|Locate a Node by specifying it's ID", "", 37},
}};

constexpr bool InIdentifierOrder() {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (CommandIndex(kCommands[i].id) != i) return false;
    }
    return true;
}
static_assert(InIdentifierOrder(), "the command list and TCommandId must have the same order");

}  // namespace

const char* HintSeparator() { return "|"; }

const std::array<TCommandDefinition, kCommandCount>& CommandDefinitions() { return kCommands; }

const TCommandDefinition& CommandDefinition(TCommandId id) { return kCommands[CommandIndex(id)]; }

std::optional<TCommandId> CommandIdByName(std::string_view name) {
    for (const TCommandDefinition& definition : kCommands) {
        if (name == definition.name) return definition.id;
    }
    return std::nullopt;
}

}  // namespace kelmor
