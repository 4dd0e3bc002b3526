// TCommandId: every command of the program by one typed identifier, in the order of the
// command list (app/tcommanddefinition.cpp checks the two against each other when it
// compiles). The identifier indexes the host's command list; an unknown command cannot
// be named.
//
// TDatabaseEntry: the Database menu's entries, which are not commands (no image, never
// on the toolbar) but whose enabled states the database windows keep too.
//
// TMenuSlot: one place of a menu layout: a command or a separator. The node and key
// menus, which the main window and the database windows' context menus share, are laid
// out here once.
#pragma once

#include <cstddef>
#include <optional>

namespace kelmor {

enum class TCommandId {
    // File, Window and Help: the main window's own.
    FileNew,
    FileOpen,
    FileFlush,
    FileClose,
    FileCloseAll,
    FileExit,
    WindowCascade,
    WindowTileHorizontal,
    WindowTileVertical,
    WindowMinimizeAll,
    WindowArrangeAll,
    HelpAbout,
    // Search: the active database window's.
    Find,
    Replace,
    FindBroken,
    SearchNext,
    // Node.
    NewNode,
    RenameNode,
    DeleteNode,
    Information,
    CutNode,
    CopyNode,
    PasteNode,
    PasteAsLink,
    ShiftUp,
    ShiftDown,
    SortBranch,
    JumpToSource,
    Import,
    Export,
    NodeSecurity,
    // Keys: add and insert, one per key type in menu order.
    AddByte,
    AddInteger,
    AddLongint,
    AddFloat,
    AddDouble,
    AddCurrency,
    AddString,
    AddDate,
    AddSeq,
    AddBlob,
    InsByte,
    InsInteger,
    InsLongint,
    InsFloat,
    InsDouble,
    InsCurrency,
    InsString,
    InsDate,
    InsSeq,
    InsBlob,
    // Keys: the selected key.
    RenameKey,
    EditKey,
    DeleteKey,
    CutKey,
    CopyKey,
    PasteKey,
    ShiftKeyUp,
    ShiftKeyDown,
    // Search, last in the list.
    LocateID,
};

inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(TCommandId::LocateID) + 1;

constexpr std::size_t CommandIndex(TCommandId id) { return static_cast<std::size_t>(id); }

// Commands the database window carries out (the others are the main window's own).
constexpr bool IsDatabaseWindowCommand(TCommandId id) { return id >= TCommandId::Find; }

enum class TDatabaseEntry { ChangePassword, DatabaseInformation, UserManagement };

inline constexpr std::size_t kDatabaseEntryCount = 3;

struct TSeparator {};
inline constexpr TSeparator kSeparator;

struct TMenuSlot {
    constexpr TMenuSlot(TCommandId id) : command(id) {}  // NOLINT: implicit on purpose
    constexpr TMenuSlot(TSeparator) {}                   // NOLINT
    std::optional<TCommandId> command;                   // none for a separator
};

inline constexpr TMenuSlot kNodeMenuLayout[] = {TCommandId::NewNode,
                                                kSeparator,
                                                TCommandId::RenameNode,
                                                TCommandId::DeleteNode,
                                                TCommandId::Information,
                                                kSeparator,
                                                TCommandId::CutNode,
                                                TCommandId::CopyNode,
                                                TCommandId::PasteNode,
                                                TCommandId::PasteAsLink,
                                                kSeparator,
                                                TCommandId::ShiftUp,
                                                TCommandId::ShiftDown,
                                                kSeparator,
                                                TCommandId::SortBranch,
                                                TCommandId::JumpToSource,
                                                kSeparator,
                                                TCommandId::Import,
                                                TCommandId::Export,
                                                kSeparator,
                                                TCommandId::NodeSecurity};

// The key menu below its "Add Key" and "Insert Key" submenus.
inline constexpr TMenuSlot kKeyMenuLayout[] = {
    kSeparator, TCommandId::RenameKey,  TCommandId::EditKey,     TCommandId::DeleteKey,
    kSeparator, TCommandId::CutKey,     TCommandId::CopyKey,     TCommandId::PasteKey,
    kSeparator, TCommandId::ShiftKeyUp, TCommandId::ShiftKeyDown};

// The add and insert command of each key type, in menu order.
struct TKeyTypeCommands {
    TCommandId add;
    TCommandId insert;
};
inline constexpr TKeyTypeCommands kKeyTypeCommands[] = {
    {TCommandId::AddByte, TCommandId::InsByte},       {TCommandId::AddInteger, TCommandId::InsInteger},
    {TCommandId::AddLongint, TCommandId::InsLongint}, {TCommandId::AddFloat, TCommandId::InsFloat},
    {TCommandId::AddDouble, TCommandId::InsDouble},   {TCommandId::AddCurrency, TCommandId::InsCurrency},
    {TCommandId::AddString, TCommandId::InsString},   {TCommandId::AddDate, TCommandId::InsDate},
    {TCommandId::AddSeq, TCommandId::InsSeq},         {TCommandId::AddBlob, TCommandId::InsBlob}};

}  // namespace kelmor
