// The ".idx" file type on the desktop: once per user, and only while nothing claims
// "*.idx" yet, a shared-mime-info package for it and a desktop entry that opens such a
// file with this program (the file as one argument). Errors are ignored.
#pragma once

#include <QString>

namespace kelmor {

// The MIME type this program registers for database index files.
inline constexpr const char* kDatabaseMimeType = "application/x-kelmor-database";

// True when it wrote the files.
bool RegisterIdxFileType();

// The contents it writes (for a given program path).
QString MimePackageText();
QString DesktopEntryText(const QString& executable);

}  // namespace kelmor
