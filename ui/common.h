// Helpers shared by every window and dialog of the desktop program: the centred message
// box, the application's error report, and the conversions between the engine's 8-bit
// Latin-1 text and Qt's strings.
#pragma once

#include <QMessageBox>
#include <QRect>
#include <QString>
#include <string>

class QWidget;

namespace kelmor {

// The program's name as the title bar and the About box show it.
inline constexpr const char* kApplicationTitle = "Kelmor - Database Manager";

enum class TMessageKind { Warning, Error, Information, Confirmation, Plain };

// The window that messages without an owner are centred on (the main window).
void SetMessageMainWindow(QWidget* mainWindow);
QWidget* MessageMainWindow();

// Where a dialog of the given size goes to be centred over `form` (global coordinates).
QPoint CentredPosition(const QRect& form, const QSize& dialog);
// The rectangle, in global coordinates, of the form that owns `owner`: its document
// window when it sits in one, otherwise its top-level window; the main window without
// an owner.
QRect OwnerFormRect(QWidget* owner);

// The standard message dialog of the given kind and buttons, centred over the owner's
// form (or the main window), shown modally. Returns the button pressed.
QMessageBox::StandardButton ShowCentredMessage(const QString& text, TMessageKind kind,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                               QWidget* owner = nullptr);

// The application's standard error report: an error box with the text of an error that
// no window handled, centred on the active window.
void ShowErrorReport(const QString& text);

// Engine text (Latin-1 bytes) to and from Qt strings. ToLatin1 maps characters outside
// Latin-1 to "?", but the text fields refuse them before they get that far.
QString FromLatin1(const std::string& text);
std::string ToLatin1(const QString& text);
// A name placed into a message or caption, with each "&" doubled to show literally.
QString DoubleAmpersands(QString text);
// File paths for the engine: the bytes of the local file-name encoding.
std::string ToEnginePath(const QString& path);
QString FromEnginePath(const std::string& path);

}  // namespace kelmor
