// TKelmorApplication: the desktop application. An error that no window handles ends up
// here and is shown by the standard error report, after which the program goes on.
#pragma once

#include <QApplication>

namespace kelmor {

class TKelmorApplication : public QApplication {
    Q_OBJECT
public:
    TKelmorApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kelmor
