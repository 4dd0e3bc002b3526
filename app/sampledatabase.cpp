#include "app/sampledatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "engine/tkelmor.h"
#include "engine/userblock.h"
#include "interchange/timporterkmt.h"
#include "ui/common.h"

namespace kelmor {

namespace {
const char* const kDatabaseExtensions[] = {".idx", ".dat", ".blb", ".kmj"};
}

QString SampleDatabaseBasePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/sample");
}

bool BuildDatabaseFromKmt(const QString& basePath, const QString& kmtFile, QString& problem) {
    TKelmorClass engine;
    // The sample is written in the neutral notation: "." and yyyy-mm-dd.
    engine.SetRegionalSettings(TRegionalSettings{});
    const int result =
        engine.CreateDatabase(ToEnginePath(basePath), TKelmorClass::MakeLogin(kBuiltInUserWord, std::string()));
    if (result != kResultOK) {
        problem = QStringLiteral("Cannot create the sample database:\n") + FromEnginePath(engine.LastErrorText());
        return false;
    }
    TImporterKMT importer({}, std::string(), ToEnginePath(kmtFile), engine);
    importer.Run();
    const bool imported = importer.ResultCode() == TKelmorInOut::kSuccess;
    if (!imported) {
        problem = QStringLiteral("Cannot import the sample database:\n") +
                  (importer.ErrorMessage().empty() ? QStringLiteral("error %1").arg(importer.ResultCode())
                                                   : FromLatin1(importer.ErrorMessage()));
    }
    engine.Close();
    if (!imported) {
        for (const char* extension : kDatabaseExtensions) QFile::remove(basePath + QString::fromLatin1(extension));
    }
    return imported;
}

QString EnsureSampleDatabase(QString& problem) {
    const QString base = SampleDatabaseBasePath();
    if (QFileInfo::exists(base + QStringLiteral(".idx")) && QFileInfo::exists(base + QStringLiteral(".dat")))
        return base;
    if (!QDir().mkpath(QFileInfo(base).absolutePath())) {
        problem = QStringLiteral("Cannot create the folder ") + QFileInfo(base).absolutePath();
        return QString();
    }
    // The importer reads a file: the resource is copied out first.
    QTemporaryDir scratch;
    const QString kmt = scratch.filePath(QStringLiteral("sample.kmt"));
    if (!scratch.isValid() || !QFile::copy(QStringLiteral(":/sample.kmt"), kmt)) {
        problem = QStringLiteral("Cannot prepare the sample database.");
        return QString();
    }
    return BuildDatabaseFromKmt(base, kmt, problem) ? base : QString();
}

}  // namespace kelmor
