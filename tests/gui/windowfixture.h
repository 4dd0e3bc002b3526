// A database window under test: a database in a temporary folder, filled by the test
// through the engine, opened in a shown main window whose documents are TMDIChild
// windows, with helpers to find, select and expand tree items.
#pragma once

#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "app/tmainform.h"
#include "engine/tkelmor.h"
#include "tests/gui/guitestsupport.h"
#include "window/tmdichild.h"

namespace kelmor {
class TKelmorItemView;
}

namespace kelmor::test {

// Types `text` into the open in-place editor of `view` and presses Enter (or Esc with
// `accept` false); true once the edit has ended (the editor closes after the key).
bool FinishEdit(TKelmorItemView* view, const QString& text, bool accept = true);
bool FinishEdit(TKelmorItemView* view, bool accept = true);

// Adds a node with a description under `parent` to an open engine; its ID.
int32_t AddNode(TKelmorClass& engine, int32_t parent, const std::string& description);
// Links `source` under `parent`; the link's ID.
int32_t AddLink(TKelmorClass& engine, int32_t parent, int32_t source);

class TWindowFixture {
public:
    using TPopulate = std::function<void(TKelmorClass& engine)>;

    struct TOptions {
        TPopulate populate;           // run as the administrator before the window opens
        QString user = QStringLiteral("admin");
        QString password = QStringLiteral("secret");
        bool readOnly = false;
        bool confirmDeletion = true;
    };

    explicit TWindowFixture(const TOptions& options);
    explicit TWindowFixture(TPopulate populate = {});
    ~TWindowFixture();

    TMainForm& Form() { return *form_; }
    TMDIChild& Window() { return *window_; }
    TKelmorClass& Engine() { return window_->Engine(); }
    QString BasePath() const { return base_; }
    bool Opened() const { return window_ != nullptr; }

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
    bool CommandEnabled(const char* name);

private:
    TGuiTempDir dir_;
    QString base_;
    std::unique_ptr<TMainForm> form_;
    TMDIChild* window_ = nullptr;
};

}  // namespace kelmor::test
