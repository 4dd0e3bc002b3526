// TDatabaseFileDialog: the Open and New file dialogs for database files. A check given
// by the caller runs before the dialog may close with a chosen file; it shows its own
// messages and answers false to keep the dialog open.
#pragma once

#include <QFileDialog>
#include <functional>

namespace kelmor {

class TDatabaseFileDialog : public QFileDialog {
    Q_OBJECT
public:
    enum class TKind { Open, New };
    using TCanClose = std::function<bool(const QString& fileName, QWidget* dialog)>;

    TDatabaseFileDialog(TKind kind, TCanClose canClose, QWidget* parent = nullptr);

    void accept() override;

private:
    TKind kind_;
    TCanClose canClose_;
};

}  // namespace kelmor
