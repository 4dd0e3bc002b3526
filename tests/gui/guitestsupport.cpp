#include "tests/gui/guitestsupport.h"

#include <stdlib.h>
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <cstdlib>

#include "engine/tkelmor.h"
#include "security/tloginform.h"
#include "ui/common.h"

namespace kelmor::test {

namespace {

// Every test program gets a configuration and data folder of its own before anything
// asks for one, so that programs running side by side never share settings and the
// user's own settings are never touched.
class TIsolatedHome {
public:
    TIsolatedHome() {
        QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/kelmorguihomeXXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = QFile::decodeName(pattern);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(name, pattern + '/' + QByteArray(name).toLower());
    }
    ~TIsolatedHome() { QDir(path_).removeRecursively(); }

private:
    QString path_;
};

const TIsolatedHome isolatedHome;

}  // namespace

void UseTestSettings() {
    QCoreApplication::setOrganizationName(QStringLiteral("Kelmor"));
    QCoreApplication::setApplicationName(QStringLiteral("Database Manager"));
    ClearSettings();
}

void ClearSettings() {
    QSettings settings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager"));
    settings.clear();
    settings.sync();
}

TGuiTempDir::TGuiTempDir() : dir_(QDir::tempPath() + QStringLiteral("/kelmorguiXXXXXX")) {}

bool CreateDatabase(const QString& basePath, const QString& user, const QString& password) {
    TKelmorClass engine;
    return engine.CreateDatabase(ToEnginePath(basePath), TKelmorClass::MakeLogin(ToLatin1(user), ToLatin1(password))) ==
           kResultOK;
}

TModalDriver::TModalDriver() {
    auto* timer = new QTimer(this);
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, &TModalDriver::Poll);
    timer->start();
}

TModalDriver::~TModalDriver() = default;

TModalDriver& TModalDriver::Then(THandler handler) {
    handlers_.push_back(std::move(handler));
    return *this;
}

TModalDriver& TModalDriver::Message(QMessageBox::StandardButton button) {
    return Then([this, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            messages_.append(QStringLiteral("<not a message box: %1>").arg(modal->windowTitle()));
            modal->close();
            return;
        }
        messages_.append(box->text());
        if (QAbstractButton* pressed = box->button(button)) pressed->click();
        else box->close();
    });
}

TModalDriver& TModalDriver::Logon(const QString& user, const QString& password, bool readOnly, bool ok) {
    return Then([this, user, password, readOnly, ok](QWidget* modal) {
        auto* logon = qobject_cast<TLoginForm*>(modal);
        if (!logon) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            messages_.append(
                QStringLiteral("<not the logon dialog: %1>").arg(box ? box->text() : modal->windowTitle()));
            modal->close();
            return;
        }
        logon->xUsername()->setText(user);
        logon->xPassword()->setText(password);
        logon->xDBReadOnly()->setChecked(readOnly);
        if (ok) logon->accept();
        else logon->reject();
    });
}

TModalDriver& TModalDriver::LetRun(const QString& objectName) {
    running_.append(objectName);
    return *this;
}

void TModalDriver::Poll() {
    if (last_ && !last_->isVisible()) last_ = nullptr;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == last_ || !modal->isVisible() || running_.contains(modal->objectName())) return;
    last_ = modal;
    ++seen_;
    if (handlers_.empty()) {
        messages_.append(QStringLiteral("<unexpected: %1>").arg(modal->windowTitle()));
        if (auto* box = qobject_cast<QMessageBox*>(modal)) messages_.last() += QLatin1Char(' ') + box->text();
        modal->close();
        return;
    }
    THandler handler = std::move(handlers_.front());
    handlers_.pop_front();
    handler(modal);
}

}  // namespace kelmor::test
