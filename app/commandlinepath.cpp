#include "app/commandlinepath.h"

#include <QDir>

namespace kelmor {

QString GetCommandLinePath(const QStringList& arguments, const QString& currentDirectory) {
    const QString joined = arguments.join(QLatin1Char(' '));
    if (joined.isEmpty()) return QString();
    return QDir(currentDirectory).absoluteFilePath(joined);
}

}  // namespace kelmor
