#include "tests/gui/windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>

#include "tests/gui/programmainform.h"
#include "ui/common.h"
#include "window/tkelmoritemview.h"
#include "window/tkelmorlistview.h"
#include "window/tkelmortreeview.h"
#include "window/tkeylistmodel.h"
#include "window/tnodetreemodel.h"

namespace kelmor::test {

bool FinishEdit(TKelmorItemView* view, const QString& text, bool accept) {
    QLineEdit* editor = view->Editor();
    if (!editor) return false;
    editor->setText(text);
    return FinishEdit(view, accept);
}

bool FinishEdit(TKelmorItemView* view, bool accept) {
    QLineEdit* editor = view->Editor();
    if (!editor) return false;
    QTest::keyClick(editor, accept ? Qt::Key_Return : Qt::Key_Escape);
    return QTest::qWaitFor([view] { return !view->IsEditing(); }, 5000);
}

QStringList EngineChildren(TKelmorClass& engine, int32_t parent) {
    QStringList names;
    TKelmorNodeRec rec;
    for (bool found = engine.FindFirstChild(rec, parent); found; found = engine.FindNextChild(rec)) {
        names << (engine.LoadNode(rec.currentID) ? FromLatin1(engine.GetDescription()) : QStringLiteral("?"));
    }
    return names;
}

int32_t AddNode(TKelmorClass& engine, int32_t parent, const std::string& description) {
    engine.ClearNode();
    engine.SetDescription(description);
    return engine.CreateNode(parent);
}

int32_t AddLink(TKelmorClass& engine, int32_t parent, int32_t source) {
    engine.MarkNode(source);
    const int32_t link = engine.CreateLink(parent);
    engine.MarkNode(0);
    return link;
}

void BuildSmallTree(TKelmorClass& engine) {
    const int32_t alpha = AddNode(engine, 0, "Alpha");
    engine.LoadNode(alpha);
    engine.AddStringKey("Colour", "blue");
    engine.AddIntegerKey("Count", -12);
    engine.AddByteKey("Flag", 7);
    engine.SaveNode(alpha);
    const int32_t a1 = AddNode(engine, alpha, "A1");
    engine.LoadNode(a1);
    engine.AddLongintKey("Size", 100000);
    engine.SaveNode(a1);
    AddNode(engine, alpha, "A2");
    const int32_t beta = AddNode(engine, 0, "Beta");
    AddLink(engine, beta, a1);
    AddNode(engine, 0, "Gamma");
}

bool DeleteProgressShown() {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->objectName() == QLatin1String("DeleteProgressForm")) return true;
    }
    return false;
}

TWindowFixture::TWindowFixture(TPopulate populate, THost host)
    : TWindowFixture(TOptions{.populate = std::move(populate), .host = host}) {}

TWindowFixture::TWindowFixture(const TOptions& options) {
    base_ = dir_ / QStringLiteral("tree");
    if (!CreateDatabase(base_)) return;
    if (options.populate) {
        TKelmorClass setup;
        if (setup.OpenDatabase(ToEnginePath(base_), false, TKelmorClass::MakeLogin("admin", "secret")) != kResultOK)
            return;
        options.populate(setup);
    }
    if (options.host == THost::MainForm) ShowInMainForm(options);
    else ShowAlone(options);
}

std::unique_ptr<TKelmorClass> TWindowFixture::LogOn(const TOptions& options) const {
    auto engine = std::make_unique<TKelmorClass>();
    if (engine->OpenDatabase(ToEnginePath(base_), options.readOnly,
                             TKelmorClass::MakeLogin(ToLatin1(options.user), ToLatin1(options.password))) != kResultOK)
        return nullptr;
    return engine;
}

void TWindowFixture::ShowInMainForm(const TOptions& options) {
    form_ = std::make_unique<TProgramMainForm>();
    form_->SetOption(TDatabaseHost::TOption::ConfirmDeletion, options.confirmDeletion);
    form_->show();
    if (!QTest::qWaitForWindowActive(form_.get())) return;
    std::unique_ptr<TKelmorClass> engine = LogOn(options);
    if (!engine) return;
    form_->ShowDatabaseWindow(std::move(engine), base_);
    if (TDatabaseWindow* active = form_->ActiveDatabaseWindow()) window_ = dynamic_cast<TMDIChild*>(active);
}

void TWindowFixture::ShowAlone(const TOptions& options) {
    testHost_ = std::make_unique<TTestHost>();
    TTestHost* host = testHost_.get();
    host->SetOption(TDatabaseHost::TOption::ConfirmDeletion, options.confirmDeletion);
    std::unique_ptr<TKelmorClass> engine = LogOn(options);
    if (!engine) return;
    auto* window = new TMDIChild(*host, std::move(engine), base_);
    // Closing frees the window, as closing its document window does in the main window.
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &QObject::destroyed, [host] { host->SetCurrentDatabaseWindow(nullptr); });
    host->SetCurrentDatabaseWindow(window);
    window->show();
    if (!QTest::qWaitForWindowActive(window)) {
        delete window;
        return;
    }
    // What the main window does when a database window becomes the active one.
    window->UpdateCommandStates();
    window_ = window;
}

TWindowFixture::~TWindowFixture() {
    // The light host's window goes first: it gives its engine back to the host.
    if (testHost_) delete window_.data();
}

TMainForm& TWindowFixture::Form() {
    if (!form_) qFatal("TWindowFixture: the window is not in a main window (THost::MainForm)");
    return *form_;
}

TTestHost& TWindowFixture::TestHost() {
    if (!testHost_) qFatal("TWindowFixture: the window is in a main window, not with the light host");
    return *testHost_;
}

TDatabaseHost& TWindowFixture::Host() {
    if (form_) return *form_;
    return TestHost();
}

QString TWindowFixture::StatusText() { return form_ ? form_->StatusPanelText() : TestHost().StatusText(); }

void TWindowFixture::SetOption(TDatabaseHost::TOption option, bool value) {
    if (form_) form_->SetOption(option, value);
    else TestHost().SetOption(option, value);
}

QModelIndex TWindowFixture::Item(const QStringList& path) {
    TNodeTreeModel* model = window_->TreeModel();
    QModelIndex item = window_->RootItem();
    for (const QString& caption : path) {
        Expand(item);
        QModelIndex found;
        for (int row = 0; row < model->rowCount(item) && !found.isValid(); ++row) {
            if (model->Text(model->index(row, 0, item)) == caption) found = model->index(row, 0, item);
        }
        if (!found.isValid()) return QModelIndex();
        item = found;
    }
    return item;
}

void TWindowFixture::Select(const QModelIndex& item) {
    window_->NodeTree()->setCurrentIndex(item);
    window_->RunPendingSelection();
}

void TWindowFixture::Expand(const QModelIndex& item) {
    window_->NodeTree()->expand(item);
    // The view reads the children when it lays the item out.
    if (window_->TreeModel()->canFetchMore(item)) window_->TreeModel()->fetchMore(item);
}

QStringList TWindowFixture::Children(const QModelIndex& item) {
    QStringList captions;
    TNodeTreeModel* model = window_->TreeModel();
    for (int row = 0; row < model->rowCount(item); ++row) captions << model->Text(model->index(row, 0, item));
    return captions;
}

QStringList TWindowFixture::KeyRows() {
    QStringList rows;
    TKeyListModel* model = window_->KeyModel();
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->Row(row).name + QLatin1Char('=') + model->Row(row).value;
    return rows;
}

void TWindowFixture::SelectKey(int row) { window_->KeyList()->SelectRow(row); }

bool TWindowFixture::CommandEnabled(TCommandId id) { return Host().Command(id)->isEnabled(); }

bool TWindowFixture::CommandEnabled(TDatabaseEntry entry) { return Host().DatabaseEntry(entry)->isEnabled(); }

QStringList TWindowFixture::Enabled(std::initializer_list<TCommandId> ids) {
    QStringList names;
    for (TCommandId id : ids) {
        if (CommandEnabled(id)) names << Host().Command(id)->objectName();
    }
    return names;
}

QStringList TWindowFixture::Disabled(std::initializer_list<TCommandId> ids) {
    QStringList names;
    for (TCommandId id : ids) {
        if (!CommandEnabled(id)) names << Host().Command(id)->objectName();
    }
    return names;
}

}  // namespace kelmor::test
