#include "interchange/jobfactory.h"

#include "engine/userblock.h"
#include "interchange/texporterkmt.h"
#include "interchange/texporterxml.h"
#include "interchange/timportercsv.h"
#include "interchange/timporterdbf.h"
#include "interchange/timporterkmt.h"
#include "interchange/timporterxml.h"

namespace kelmor {

namespace {

using TJobMaker = std::unique_ptr<TKelmorInOut> (*)(const TJobArguments&);

struct TFormat {
    const char* extension;  // upper case, with the "."
    TJobMaker make;
};

template <typename TJob>
std::unique_ptr<TKelmorInOut> Make(const TJobArguments& arguments) {
    return std::make_unique<TJob>(arguments.onProgress, arguments.location, arguments.fileName, arguments.database);
}

const TFormat kExportFormats[] = {
    {".XML", Make<TExporterXML>},
    {".KMT", Make<TExporterKMT>},
};

const TFormat kImportFormats[] = {
    {".XML", Make<TImporterXML>},
    {".KMT", Make<TImporterKMT>},
    {".DBF", Make<TImporterDBF>},
    {".CSV", Make<TImporterCSV>},
};

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return text;
}

template <size_t N>
TJobCreation CreateJob(const TFormat (&formats)[N], const TJobArguments& arguments, const char* verb) {
    const std::string extension = UpperCaseExtension(arguments.fileName);
    TJobCreation creation;
    for (const TFormat& format : formats) {
        if (extension != format.extension) continue;
        creation.knownFormat = true;
        try {
            creation.job = format.make(arguments);
        } catch (const std::exception& error) {  // the record importers read the file's structure at once
            creation.reason = error.what();
        }
        return creation;
    }
    std::string known;
    for (size_t i = 0; i < N; ++i)
        known += (i == 0 ? "" : i + 1 == N ? " and " : ", ") + LowerCase(formats[i].extension);
    creation.reason = (extension.empty() ? std::string("The file name has no extension")
                                         : "Unknown file type \"" + LowerCase(extension) + "\"") +
                      ": " + verb + " " + known + " files.";
    return creation;
}

}  // namespace

std::string UpperCaseExtension(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return UpperCaseAscii(fileName.substr(dot));
}

TJobCreation CreateExportJob(const TJobArguments& arguments) {
    return CreateJob(kExportFormats, arguments, "export writes");
}

TJobCreation CreateImportJob(const TJobArguments& arguments) {
    return CreateJob(kImportFormats, arguments, "import reads");
}

}  // namespace kelmor
