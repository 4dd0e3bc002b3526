// The sample database that ships with the program: a text interchange file among the
// program's resources, turned into a database in the user's data folder the first time
// it is needed.
#pragma once

#include <QString>

namespace kelmor {

// The sample's base path in the user's data folder.
QString SampleDatabaseBasePath();
// The sample's base path, created first when it does not exist yet; empty with `problem`
// set when it cannot be created.
QString EnsureSampleDatabase(QString& problem);
// Builds a database at `basePath` from interchange text; false with `problem` set.
bool BuildDatabaseFromKmt(const QString& basePath, const QString& kmtFile, QString& problem);

}  // namespace kelmor
