#include "app/fileassociation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace kelmor {

namespace {

bool WriteText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text.toUtf8()) >= 0;
}

void CopyResource(const QString& resource, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    QFile::copy(resource, path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

// A desktop-entry argument in double quotes, with its special characters escaped.
QString QuotedExec(const QString& executable) {
    QString quoted = executable;
    for (const char* special : {"\\", "\"", "`", "$"})
        quoted.replace(QString::fromLatin1(special), QStringLiteral("\\") + QString::fromLatin1(special));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString MimePackageText() {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"%1\">\n"
               "    <comment>Kelmor File</comment>\n"
               "    <icon name=\"application-x-kelmor-database\"/>\n"
               "    <glob pattern=\"*.idx\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n")
        .arg(QString::fromLatin1(kDatabaseMimeType));
}

QString DesktopEntryText(const QString& executable) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Kelmor - Database Manager\n"
               "Comment=Hierarchical database manager\n"
               "Exec=%1 %f\n"
               "Icon=kelmor\n"
               "Terminal=false\n"
               "Categories=Office;Database;\n"
               "MimeType=%2;\n")
        .arg(QuotedExec(executable), QString::fromLatin1(kDatabaseMimeType));
}

bool RegisterIdxFileType() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return false;
    const QString package = data + QStringLiteral("/mime/packages/kelmor-database.xml");
    if (QFile::exists(package)) return false;  // done before
    // Something else already claims the extension: leave it alone.
    const QMimeDatabase mimes;
    for (const QMimeType& type : mimes.mimeTypesForFileName(QStringLiteral("database.idx"))) {
        if (type.name() != QLatin1String(kDatabaseMimeType)) return false;
    }
    const QString executable = QCoreApplication::applicationFilePath();
    if (!WriteText(package, MimePackageText())) return false;
    WriteText(data + QStringLiteral("/applications/kelmor.desktop"), DesktopEntryText(executable));
    CopyResource(QStringLiteral(":/images/kelmor.png"), data + QStringLiteral("/icons/hicolor/48x48/apps/kelmor.png"));
    CopyResource(QStringLiteral(":/images/kelmordoc.png"),
                 data + QStringLiteral("/icons/hicolor/48x48/mimetypes/application-x-kelmor-database.png"));
    QThread::msleep(50);
    // Tell the desktop; either tool may be missing, which only delays the change.
    QProcess::startDetached(QStringLiteral("update-mime-database"), {data + QStringLiteral("/mime")});
    QProcess::startDetached(QStringLiteral("update-desktop-database"), {data + QStringLiteral("/applications")});
    return true;
}

}  // namespace kelmor
