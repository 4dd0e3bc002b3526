// TAboutForm "About": the program's icon, name, version, database format version and a
// short legal notice.
#pragma once

#include <QDialog>

namespace kelmor {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    static QString ProgramVersionText();   // "Program version 1.0"
    static QString DatabaseVersionText();  // "DB version 1.25"

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kelmor
