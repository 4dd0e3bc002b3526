// TCSVOptionsForm "Advanced CSV Options": whether the first line of a CSV file names the
// fields, and whether the space-and-comma (SDF) rules split its lines. OK applies both,
// which rebuilds the import's field list; the settings in force live in the import's
// advanced options, so every showing starts from them.
#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace kelmor {

class TAdvancedImportOptions;

class TCSVOptionsForm : public QDialog {
    Q_OBJECT
public:
    // The options are not owned; nothing changes in them until OK.
    explicit TCSVOptionsForm(TAdvancedImportOptions& options, QWidget* parent = nullptr);

    QCheckBox* xUseFirstRec() const { return useFirstRec_; }
    QCheckBox* xUseSDF() const { return useSDF_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // OK: applies both check boxes, which rebuilds the field list. A failed rebuild is
    // reported, and the dialog still closes with OK: the field list has changed either way.
    void accept() override;
    // Cancel: the settings stay as they were, and so do the check boxes for a later showing.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadSettings();

    TAdvancedImportOptions& options_;
    QCheckBox* useFirstRec_;
    QCheckBox* useSDF_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace kelmor
