// Helpers of the window tests: settings kept apart from the user's, databases in
// temporary folders, and a driver that answers the modal dialogs a test provokes.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>

class QWidget;

namespace kelmor::test {

// Settings and data go to a folder of the test program's own (never the user's), emptied first.
void UseTestSettings();
void ClearSettings();

// A temporary folder whose path holds no "." (base names are cut at their last ".").
class TGuiTempDir {
public:
    TGuiTempDir();
    QString Path() const { return dir_.path(); }
    QString operator/(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir dir_;
};

// Creates a database at `basePath` with one user; false when the engine refused.
bool CreateDatabase(const QString& basePath, const QString& user = QStringLiteral("admin"),
                    const QString& password = QStringLiteral("secret"));

// Answers modal windows as they appear, one handler each, in order.
class TModalDriver : public QObject {
    Q_OBJECT
public:
    using THandler = std::function<void(QWidget* modal)>;

    TModalDriver();
    ~TModalDriver() override;
    TModalDriver& Then(THandler handler);
    bool AllAnswered() const { return handlers_.empty(); }
    // Texts of the message boxes answered, in order.
    const QStringList& Messages() const { return messages_; }
    int ModalsSeen() const { return seen_; }

    // Presses `button` in a message box, noting its text.
    TModalDriver& Message(QMessageBox::StandardButton button = QMessageBox::Ok);
    // Modal windows with this object name end by themselves (progress windows): they are
    // left to run, neither answered nor closed.
    TModalDriver& LetRun(const QString& objectName);
    // Fills the logon dialog and presses OK (or Cancel).
    TModalDriver& Logon(const QString& user, const QString& password, bool readOnly = false, bool ok = true);

private:
    void Poll();

    std::deque<THandler> handlers_;
    QStringList running_;
    QStringList messages_;
    QPointer<QWidget> last_;
    int seen_ = 0;
};

}  // namespace kelmor::test
