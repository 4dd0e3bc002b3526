#include "ui/common.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QResizeEvent>
#include <QShowEvent>

#include "ui/tabcolumns.h"

namespace kelmor {

namespace {

QPointer<QWidget>& MainWindowPointer() {
    static QPointer<QWidget> mainWindow;
    return mainWindow;
}

// A message box that places itself over its form once its final size is known, before
// it reaches the screen.
class TCentredMessageBox : public QMessageBox {
public:
    TCentredMessageBox(const QRect& form, QWidget* parent) : QMessageBox(parent), form_(form) {}

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        Centre();
    }
    // The box may settle its size once more after it is shown.
    void resizeEvent(QResizeEvent* event) override {
        QMessageBox::resizeEvent(event);
        if (isVisible()) Centre();
    }
    void Centre() {
        // Outer sizes on both sides, as the window system places frames.
        if (!form_.isNull()) move(CentredPosition(form_, frameGeometry().size()));
    }

private:
    QRect form_;
};

QString KindTitle(TMessageKind kind) {
    switch (kind) {
        case TMessageKind::Warning: return QStringLiteral("Warning");
        case TMessageKind::Error: return QStringLiteral("Error");
        case TMessageKind::Information: return QStringLiteral("Information");
        case TMessageKind::Confirmation: return QStringLiteral("Confirm");
        case TMessageKind::Plain: break;
    }
    return QString::fromLatin1(kApplicationTitle);
}

QMessageBox::Icon KindIcon(TMessageKind kind) {
    switch (kind) {
        case TMessageKind::Warning: return QMessageBox::Warning;
        case TMessageKind::Error: return QMessageBox::Critical;
        case TMessageKind::Information: return QMessageBox::Information;
        case TMessageKind::Confirmation: return QMessageBox::Question;
        case TMessageKind::Plain: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void SetMessageMainWindow(QWidget* mainWindow) { MainWindowPointer() = mainWindow; }

QWidget* MessageMainWindow() { return MainWindowPointer().data(); }

QPoint CentredPosition(const QRect& form, const QSize& dialog) {
    return QPoint(form.left() + form.width() / 2 - dialog.width() / 2,
                  form.top() + form.height() / 2 - dialog.height() / 2);
}

QRect OwnerFormRect(QWidget* owner) {
    if (!owner) owner = MessageMainWindow();
    if (!owner) return QRect();
    for (QWidget* w = owner; w; w = w->parentWidget()) {
        if (auto* document = qobject_cast<QMdiSubWindow*>(w)) {
            // A document window's place is relative to the main window's client area.
            return QRect(document->mapToGlobal(QPoint(0, 0)), document->size());
        }
        if (w->isWindow()) return w->frameGeometry();
    }
    return owner->window()->frameGeometry();
}

QMessageBox::StandardButton ShowCentredMessage(const QString& text, TMessageKind kind,
                                               QMessageBox::StandardButtons buttons, QWidget* owner) {
    QWidget* parent = owner ? owner->window() : MessageMainWindow();
    TCentredMessageBox box(OwnerFormRect(owner), parent);
    box.setWindowTitle(KindTitle(kind));
    box.setIcon(KindIcon(kind));
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(buttons);
    // Columns made with tabs line up whatever the font (the toolkit's tab stops are
    // fixed and would not).
    if (text.contains(QLatin1Char('\t'))) {
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) AlignTabColumns(label);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowErrorReport(const QString& text) {
    QWidget* over = QApplication::activeWindow();
    if (!over) over = MessageMainWindow();
    TCentredMessageBox box(over ? over->frameGeometry() : QRect(), over);
    box.setWindowTitle(QString::fromLatin1(kApplicationTitle));
    box.setIcon(QMessageBox::Critical);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QString FromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLatin1(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString DoubleAmpersands(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

std::string ToEnginePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromEnginePath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace kelmor
