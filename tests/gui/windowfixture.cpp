#include "tests/gui/windowfixture.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>

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

TWindowFixture::TWindowFixture(TPopulate populate) : TWindowFixture(TOptions{std::move(populate)}) {}

TWindowFixture::TWindowFixture(const TOptions& options) {
    base_ = dir_ / QStringLiteral("tree");
    if (!CreateDatabase(base_)) return;
    if (options.populate) {
        TKelmorClass setup;
        if (setup.OpenDatabase(ToEnginePath(base_), false, TKelmorClass::MakeLogin("admin", "secret")) != kResultOK)
            return;
        options.populate(setup);
    }
    form_ = std::make_unique<TMainForm>();
    form_->SetDatabaseWindowFactory(TMDIChild::Factory());
    form_->SetOption(TMainForm::TOption::ConfirmDeletion, options.confirmDeletion);
    form_->show();
    if (!QTest::qWaitForWindowActive(form_.get())) return;
    auto engine = std::make_unique<TKelmorClass>();
    if (engine->OpenDatabase(ToEnginePath(base_), options.readOnly,
                             TKelmorClass::MakeLogin(ToLatin1(options.user), ToLatin1(options.password))) != kResultOK)
        return;
    form_->ShowDatabaseWindow(std::move(engine), base_);
    if (TDatabaseWindow* active = form_->ActiveDatabaseWindow()) window_ = dynamic_cast<TMDIChild*>(active);
}

TWindowFixture::~TWindowFixture() = default;

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

bool TWindowFixture::CommandEnabled(const char* name) {
    QAction* command = form_->Command(QString::fromLatin1(name));
    return command && command->isEnabled();
}

}  // namespace kelmor::test
