#include "app/tcommanddefinition.h"

namespace kelmor {

namespace {
using G = TCommandGroup;
}

const char* HintSeparator() { return "|"; }

const std::vector<TCommandDefinition>& CommandDefinitions() {
    static const std::vector<TCommandDefinition> commands = {
        {"AFileNew", "File", "&New...", "New|Create a new database", "Ctrl+N", 0, 0, G::File},
        {"AFileOpen", "File", "&Open...", "Open|Open a database", "Ctrl+O", 1, 0, G::File},
        {"AFileFlush", "File", "F&lush", "Flush Database|Flush database files to disk", "", 42, 0, G::File},
        {"AFileClose", "File", "&Close", "Close|Close current database", "", 2, 0, G::File},
        {"AFileCloseAll", "File", "Close &All", "Close All|Close All Databases", "", 3, 0, G::File},
        {"AFileExit", "File", "E&xit", "Exit|Exit application", "", -1, 0, G::File},
        {"AWindowCascade", "Window", "&Cascade", "Cascade", "", -1, 0, G::Window},
        {"AWindowTileHorizontal", "Window", "Tile &Horizontally", "Tile Horizontally", "", -1, 0, G::Window},
        {"AWindowTileVertical", "Window", "Tile &Vertically", "Tile Vertically", "", -1, 0, G::Window},
        {"AWindowMinimizeAll", "Window", "&Minimize All", "Minimize All", "", -1, 0, G::Window},
        {"AWindowArrangeAll", "Window", "&Arrange All", "Arrange All", "", -1, 0, G::Window},
        {"AHelpAbout", "Help", "&About...", "About|Show the program's name, version and copyright notice", "", -1, 0,
         G::Help},
        {"AFind", "Search", "Find...", "Search Database|Find Text in Database", "Ctrl+F", 4, 1, G::Search},
        {"AReplace", "Search", "Replace...", "Replace|Find and Replace Text in Database", "Ctrl+R", 5, 2, G::Search},
        {"AFindBroken", "Search", "Find Broken Links", "Find Broken Links|Find and highlight broken links", "", 43, 3,
         G::Search},
        {"ASearchNext", "Search", "Search Again", "Search Again|Find next occurrence of search text", "F3", 6, 4,
         G::Search},

        {"ANewNode", "Node", "&New Node", "New Node|Create a new node under the selected node", "Ctrl+N", 22, 1,
         G::Node},
        {"ARenameNode", "Node", "&Rename", "Rename Node|Rename selected node", "F2", 23, 2, G::Node},
        {"ADeleteNode", "Node", "&Delete", "Delete Node|Delete the selected node", "Del", 24, 3, G::Node},
        {"AInformation", "Node", "&Information...", "Information|Node Information", "Ctrl+I", 25, 4, G::Node},
        {"ACutNode", "Node", "Cu&t", "Cut Node|Cut the selected node (nodes do not actually get cut until pasted)",
         "Ctrl+X", 26, 5, G::Node},
        {"ACopyNode", "Node", "&Copy", "Copy Node|Copy node", "Ctrl+C", 27, 6, G::Node},
        {"APasteNode", "Node", "&Paste", "Paste Node|Paste a previously copied/cut node", "Ctrl+V", 28, 7, G::Node},
        {"APasteAsLink", "Node", "Paste as &Link", "Paste as Link|Create link to the previously copied node",
         "Ctrl+L", 29, 8, G::Node},
        {"AShiftUp", "Node", "Shift &Up", "Shift Node Up|Shift selected node up", "Ctrl+U", 30, 9, G::Node},
        {"AShiftDown", "Node", "Shift Do&wn", "Shift Node Down|Shift selected node down", "Ctrl+D", 31, 10, G::Node},
        {"ASortBranch", "Node", "S&ort Branch", "Sort Branch|Sort the branch of the selected node", "Ctrl+O", 32, 11,
         G::Node},
        {"AJumpToSource", "Node", "&Jump to Source", "Jump to Source|Find source node for a linked node", "Ctrl+J",
         33, 12, G::Node},
        {"AImport", "Node", "Impo&rt Data...", "Import|Import data onto the selected node", "", 41, 13, G::Node},
        {"AExport", "Node", "Expor&t Data...", "Export|Export data from the selected node", "", 40, 14, G::Node},
        {"ANodeSecurity", "Node", "&Security...", "Node Security|Change node security details", "", 39, 15, G::Node},

        {"AAddByte", "Keys", "&Byte", "Add Byte", "", 7, 20, G::Key},
        {"AAddInteger", "Keys", "&Integer", "Add Integer (2 bytes)", "", 8, 21, G::Key},
        {"AAddLongint", "Keys", "&Large Integer", "Add Longint (4 bytes)", "", 9, 22, G::Key},
        {"AAddFloat", "Keys", "&Floating Point", "Add Float (4 bytes)", "", 10, 23, G::Key},
        {"AAddDouble", "Keys", "Do&uble", "Add Double (8 bytes)", "", 36, 28, G::Key},
        {"AAddCurrency", "Keys", "&Currency", "Add Currency (8 bytes)", "", 35, 27, G::Key},
        {"AAddString", "Keys", "&String", "Add String", "", 11, 24, G::Key},
        {"AAddDate", "Keys", "&Date", "Add Date", "", 44, 29, G::Key},
        {"AAddSeq", "Keys", "Byte Se&quence", "Add byte sequence", "", 12, 25, G::Key},
        {"AAddBlob", "Keys", "Bl&ob", "Add a binary data stream", "", 13, 26, G::Key},

        {"AInsByte", "Keys", "&Byte", "Insert Byte", "", 7, 30, G::Key},
        {"AInsInteger", "Keys", "&Integer", "Insert Integer (2 bytes)", "", 8, 31, G::Key},
        {"AInsLongint", "Keys", "&Large Integer", "Insert Longint (4 bytes)", "", 9, 32, G::Key},
        {"AInsFloat", "Keys", "&Floating Point", "Insert Float (4 bytes)", "", 10, 33, G::Key},
        {"AInsDouble", "Keys", "Do&uble", "Insert Double (8 bytes)", "", 36, 38, G::Key},
        {"AInsCurrency", "Keys", "&Currency", "Insert Currency (8 bytes)", "", 35, 37, G::Key},
        {"AInsString", "Keys", "&String", "Insert String", "", 11, 34, G::Key},
        {"AInsDate", "Keys", "&Date", "Insert Date", "", 44, 39, G::Key},
        {"AInsSeq", "Keys", "Byte Se&quence", "Insert byte sequence", "", 12, 35, G::Key},
        {"AInsBlob", "Keys", "Bl&ob", "Insert binary data stream", "", 13, 36, G::Key},

        {"ARenameKey", "Keys", "&Rename", "Rename Key|Rename the selected key", "F2", 19, 1, G::Key},
        {"AEditKey", "Keys", "&Edit Value...", "Edit Key|Edit the selected key", "F4", 20, 2, G::Key},
        {"ADeleteKey", "Keys", "&Delete", "Delete Key|Delete the selected key", "Del", 21, 3, G::Key},
        {"ACutKey", "Keys", "Cu&t", "Cut Key", "Ctrl+X", 14, 4, G::Key},
        {"ACopyKey", "Keys", "&Copy", "Copy Key", "Ctrl+C", 15, 5, G::Key},
        {"APasteKey", "Keys", "&Paste", "Paste Key", "Ctrl+V", 16, 6, G::Key},
        {"AShiftKeyUp", "Keys", "Shift &Up", "Shift Key Up|Shift selected key up", "Ctrl+U", 17, 7, G::Key},
        {"AShiftKeyDown", "Keys", "Shift Do&wn", "Shift Key Down|Shift selected key down", "Ctrl+D", 18, 8, G::Key},

        {"ALocateID", "Search", "&Locate by ID...", "Locate by ID|Locate a Node by specifying it's ID", "", 37, 5,
         G::Search},
    };
    return commands;
}

}  // namespace kelmor
