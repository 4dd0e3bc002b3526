#include "app/tkelmorapplication.h"

#include <exception>

#include "ui/common.h"

namespace kelmor {

TKelmorApplication::TKelmorApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Database Manager"));
    setOrganizationName(QStringLiteral("Kelmor"));
}

bool TKelmorApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorReport(FromLatin1(error.what()));
    } catch (...) {
        ShowErrorReport(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

}  // namespace kelmor
