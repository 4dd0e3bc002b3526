// TDatabaseWindow: what the main window asks of the document window of one open
// database. The document widget placed in a QMdiSubWindow implements it; the main
// window dispatches the node, key, search and database commands of the active document
// through it and tells it about option changes. What the window asks of the main window
// in turn is TDatabaseHost.
#pragma once

#include <QString>

#include "ui/tcommandid.h"

class QMenu;
class QWidget;

namespace kelmor {

class TKelmorClass;

class TDatabaseWindow {
public:
    virtual ~TDatabaseWindow() = default;

    virtual TKelmorClass& Engine() = 0;
    // The base path the database was opened with (without extension).
    virtual QString BasePath() const = 0;

    // A search, node or key command (IsDatabaseWindowCommand); it does nothing while
    // the command is disabled.
    virtual void ExecuteCommand(TCommandId id) = 0;
    // Writes the database to disk; true when that succeeded.
    virtual bool FlushDatabase() = 0;
    virtual void ChangePassword() = 0;
    virtual void DatabaseInformation() = 0;
    virtual void UserManagement() = 0;

    // Recomputes the enabled states of the commands that depend on the document.
    virtual void UpdateCommandStates() = 0;
    virtual void SetInfoPaneVisible(bool visible) = 0;
    // Re-titles the window after the "Full Path on Title" option changed.
    virtual void UpdateTitle() = 0;
    virtual void RefreshColours() = 0;
    // What the status bar shows while this document is active and no hint is up.
    virtual QString StatusText() const = 0;
    // The context menu of `focus` when it is one of the document's views (its own
    // shortcuts come before the menu bar's), else nullptr.
    virtual QMenu* ContextMenuFor(QWidget* focus) = 0;
};

}  // namespace kelmor
