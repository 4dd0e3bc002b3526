// TDatabaseHost: what a database window asks of the window that hosts it. The main window
// implements it; the database windows see nothing else of it. It holds the open
// databases, the command actions with their images and enabled states, the option flags
// and the status bar.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "ui/tcommandid.h"

class QAction;
class QWidget;

namespace kelmor {

class TDatabaseWindow;
class TImageStrip;
class TKelmorClass;

class TDatabaseHost {
public:
    // The program's options, as the Options menu holds them. Database windows read
    // ConfirmDeletion and FullPathOnTitle; the host applies the others itself.
    enum class TOption { ShowToolbar, ShowStatusBar, ShowInfoPane, ConfirmDeletion, FullPathOnTitle };

    virtual ~TDatabaseHost() = default;

    // ---- Images ----
    // The 45 command images (also those of the key types) and the 4 tree images.
    virtual const TImageStrip& CommandImages() const = 0;
    virtual const TImageStrip& TreeImages() const = 0;

    // ---- Commands ----
    // Every command, indexed by TCommandId. A database window sets their enabled states
    // and, while a caption is edited in place, their shortcuts.
    virtual const std::vector<QAction*>& Commands() const = 0;
    QAction* Command(TCommandId id) const { return Commands()[CommandIndex(id)]; }
    // The Database menu's entries; a database window sets their enabled states.
    virtual QAction* DatabaseEntry(TDatabaseEntry entry) const = 0;
    // The database window the commands act on: the current one, also while a dialog has
    // the focus; nullptr when there is none.
    virtual TDatabaseWindow* CurrentDatabaseWindow() const = 0;

    // ---- Options ----
    virtual bool Option(TOption option) const = 0;

    // ---- Status bar ----
    // The status text; it is not shown while a progress display is up.
    virtual void SetStatusText(const QString& text) = 0;
    // A progress display with a caption, from 0 to 100 percent; one at a time.
    virtual void BeginProgress(const QString& caption) = 0;
    virtual void SetProgress(int percent) = 0;
    virtual void EndProgress() = 0;

    // ---- Open databases ----
    // Takes an opened engine into the open-database list; the pointer stays valid until
    // RemoveDatabase.
    virtual TKelmorClass* AddDatabase(std::unique_ptr<TKelmorClass> engine) = 0;
    // Frees the engine, which writes its index (unless read-only) and closes its files;
    // nothing happens when the list no longer holds it.
    virtual void RemoveDatabase(TKelmorClass* engine) = 0;
};

// Builds the document window of an opened engine for a host; the widget implements
// TDatabaseWindow and hands the engine to the host's AddDatabase.
using TDatabaseWindowFactory =
    std::function<QWidget*(TDatabaseHost& host, std::unique_ptr<TKelmorClass> engine, const QString& basePath)>;

}  // namespace kelmor
