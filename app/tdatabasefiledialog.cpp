#include "app/tdatabasefiledialog.h"

#include <QFileInfo>

namespace kelmor {

TDatabaseFileDialog::TDatabaseFileDialog(TKind kind, TCanClose canClose, QWidget* parent)
    : QFileDialog(parent), kind_(kind), canClose_(std::move(canClose)) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setNameFilters({QStringLiteral("Kelmor Database Files (*.idx)"), QStringLiteral("All Files (*)")});
    setDefaultSuffix(QStringLiteral("idx"));
    setSizeGripEnabled(true);
    if (kind == TKind::Open) {
        setWindowTitle(QStringLiteral("Open Database"));
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
    } else {
        setWindowTitle(QStringLiteral("New Database"));
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        // The check asks one question for the whole set of files.
        setOption(QFileDialog::DontConfirmOverwrite, true);
    }
}

void TDatabaseFileDialog::accept() {
    const QStringList files = selectedFiles();
    if (files.size() == 1 && canClose_) {
        const QFileInfo chosen(files.first());
        // Folders are entered and missing files refused by the dialog itself.
        const bool checkable = kind_ == TKind::Open ? chosen.isFile() : !chosen.isDir() && chosen.dir().exists();
        if (checkable && !canClose_(files.first(), this)) return;
    }
    QFileDialog::accept();
}

}  // namespace kelmor
