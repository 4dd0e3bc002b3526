// The command-line path text: the arguments joined with one blank (so an unquoted path
// with blanks arrives whole), made absolute against the current folder; empty without
// arguments.
#pragma once

#include <QString>
#include <QStringList>

namespace kelmor {

QString GetCommandLinePath(const QStringList& arguments, const QString& currentDirectory);

}  // namespace kelmor
