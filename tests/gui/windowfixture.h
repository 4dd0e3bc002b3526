// A database window under test: a database in a temporary folder, filled by the test
// through the engine, opened in a TMDIChild window, with helpers to find, select and
// expand tree items. The window is shown alone with a light host (TTestHost), or in a
// whole main window for what the two do together.
#pragma once

#include <QModelIndex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "app/tmainform.h"
#include "engine/tkelmor.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/testhost.h"
#include "window/tmdichild.h"

namespace kelmor {
class TKelmorItemView;
}

namespace kelmor::test {

// Types `text` into the open in-place editor of `view` and presses Enter (or Esc with
// `accept` false); true once the edit has ended (the editor closes after the key).
bool FinishEdit(TKelmorItemView* view, const QString& text, bool accept = true);
bool FinishEdit(TKelmorItemView* view, bool accept = true);
// The descriptions of a node's children, as the engine holds them.
QStringList EngineChildren(TKelmorClass& engine, int32_t parent);

// Adds a node with a description under `parent` to an open engine; its ID.
int32_t AddNode(TKelmorClass& engine, int32_t parent, const std::string& description);
// Links `source` under `parent`; the link's ID.
int32_t AddLink(TKelmorClass& engine, int32_t parent, int32_t source);

// Root: Alpha (keys Colour "blue", Count -12, Flag 7; children A1 with the key Size
// 100000, and A2), Beta (a link to A1), Gamma. Six nodes.
void BuildSmallTree(TKelmorClass& engine);

// True while a delete progress window exists anywhere.
bool DeleteProgressShown();

class TWindowFixture {
public:
    using TPopulate = std::function<void(TKelmorClass& engine)>;

    enum class THost {
        Light,     // the window alone, top-level, with a TTestHost
        MainForm,  // in a shown main window, for what the two do together: options,
                   // menus and their shortcuts, several windows, closing a document
    };

    struct TOptions {
        TPopulate populate;  // run as the administrator before the window opens
        QString user = QStringLiteral("admin");
        QString password = QStringLiteral("secret");
        bool readOnly = false;
        bool confirmDeletion = true;
        THost host = THost::Light;
    };

    explicit TWindowFixture(const TOptions& options);
    explicit TWindowFixture(TPopulate populate = {}, THost host = THost::Light);
    ~TWindowFixture();

    // The window's host: the light host or the main window.
    TDatabaseHost& Host();
    // The main window, with THost::MainForm only.
    TMainForm& Form();
    // The light host, with THost::Light only.
    TTestHost& TestHost();
    TMDIChild& Window() { return *window_; }
    TKelmorClass& Engine() { return window_->Engine(); }
    QString BasePath() const { return base_; }
    bool Opened() const { return !window_.isNull(); }

    // The text the status bar shows.
    QString StatusText();
    void SetOption(TDatabaseHost::TOption option, bool value);

    // The item reached from the root by the given captions ("A", "B" for Root\A\B),
    // expanding on the way; the root item for an empty path.
    QModelIndex Item(const QStringList& path);
    // Selects the item and lets its selection change take effect.
    void Select(const QModelIndex& item);
    void Expand(const QModelIndex& item);
    // The captions of the item's child items, in order.
    QStringList Children(const QModelIndex& item);
    // The key list's rows as "name=value".
    QStringList KeyRows();
    // Selects key row `row` of the key list.
    void SelectKey(int row);
    bool CommandEnabled(TCommandId id);
    bool CommandEnabled(TDatabaseEntry entry);
    // The names of the listed commands that are enabled, or disabled.
    QStringList Enabled(std::initializer_list<TCommandId> ids);
    QStringList Disabled(std::initializer_list<TCommandId> ids);

private:
    // The engine logged on as the options say; empty when the logon failed.
    std::unique_ptr<TKelmorClass> LogOn(const TOptions& options) const;
    void ShowInMainForm(const TOptions& options);
    void ShowAlone(const TOptions& options);

    TGuiTempDir dir_;
    QString base_;
    std::unique_ptr<TTestHost> testHost_;
    std::unique_ptr<TMainForm> form_;
    QPointer<TMDIChild> window_;
};

}  // namespace kelmor::test
