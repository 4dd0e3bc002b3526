// Commands that move data between a database and interchange files: export and import.
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <ostream>

#include "cli/clisession.h"
#include "cli/textcodec.h"
#include "engine/fileio.h"
#include "engine/regional.h"
#include "interchange/jobfactory.h"
#include "interchange/tcsvoptions.h"
#include "interchange/timportercsv.h"
#include "interchange/timporterdbf.h"
#include "interchange/timporteroptions.h"

namespace kelmor::cli {

namespace {

// Whether the bytes are well-formed UTF-8.
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// A job's message for the terminal: its texts are the database's Latin-1, except the
// file names in file errors, which come from the command line as they are.
std::string ForTerminal(const std::string& message) { return IsUtf8(message) ? message : Latin1ToUtf8(message); }

// Progress texts on a terminal: one line, rewritten at most ten times a second.
class TProgressLine {
public:
    explicit TProgressLine(TCliContext& context)
        : err_(context.err), enabled_(&context.err == &std::cerr && ::isatty(STDERR_FILENO) == 1) {}
    ~TProgressLine() {
        if (shown_) err_ << "\r\x1b[K" << std::flush;
    }
    TKelmorInOut::TProgressCallback Callback() {
        if (!enabled_) return nullptr;
        return [this](TKelmorInOut&, const std::string& text) { Show(text); };
    }

private:
    void Show(const std::string& text) {
        const auto now = std::chrono::steady_clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        shown_ = true;
        err_ << "\r\x1b[K" << Latin1ToUtf8(text.substr(0, 200)) << std::flush;
    }

    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// The program's message for a job's result; empty for success.
std::string ResultText(const TKelmorInOut& job, bool import, const std::string& fileArgument) {
    switch (job.ResultCode()) {
        case TKelmorInOut::kSuccess: return "";
        case TKelmorInOut::kUnknownLocation: return "Unknown Branch Specified.";
        case TKelmorInOut::kInvalidFile: return "File is not a valid file.";
        case TKelmorInOut::kError: return (import ? "Error importing.\n\n" : "") + ForTerminal(job.ErrorMessage());
        default: return fileArgument + ": " + ErrorText(job.ResultCode());
    }
}

// The highest field number --field takes.
constexpr int64_t kMaxFieldNumber = 255;

// The record options of a dBase or CSV import (--first-record-names, --plain, --flags,
// --field N=NAME:TYPE); false with a message when one is wrong.
bool ApplyRecordOptions(TCliContext& context, TKelmorInOut& job) {
    TImporterOptions* options = nullptr;
    if (auto* csv = dynamic_cast<TImporterCSV*>(&job)) {
        // rebuilds the field list, so it comes before the fields' names and types
        csv->CSVOptions().Apply(context.options.Has("first-record-names"), !context.options.Has("plain"));
        options = &csv->Options();
    } else if (auto* dbf = dynamic_cast<TImporterDBF*>(&job)) {
        options = &dbf->Options();
    }
    const bool hasRecordOptions = context.options.Has("first-record-names") || context.options.Has("plain") ||
                                  context.options.Value("flags") || context.options.values.count("field");
    if (!options) {
        if (hasRecordOptions) context.err << "kelmor-cli import: record options apply to .dbf and .csv files only\n";
        return !hasRecordOptions;
    }
    if (const auto flags = context.options.Value("flags")) {
        int64_t value = 0;
        if (!ParseInteger(*flags, value) || value < 0 || value > 7) {
            context.err << "kelmor-cli import: --flags takes a number from 0 to 7\n";
            return false;
        }
        options->SetFlags(static_cast<uint32_t>(value));
    }
    const auto fields = context.options.values.find("field");
    if (fields == context.options.values.end()) return true;
    for (const std::string& field : fields->second) {
        const size_t equals = field.find('='), colon = field.rfind(':');
        int64_t number = 0;
        uint8_t keyType = 0;
        std::string name;
        if (equals == std::string::npos || colon == std::string::npos || colon < equals ||
            !ParseInteger(field.substr(0, equals), number) ||
            !TImporterOptions::ParseKeyType(field.substr(colon + 1), keyType) ||
            !Utf8ToLatin1(field.substr(equals + 1, colon - equals - 1), name)) {
            context.err << "kelmor-cli import: --field takes N=NAME:TYPE (TYPE a type name or none), not \"" << field
                        << "\"\n";
            return false;
        }
        if (number < 1 || number > kMaxFieldNumber) {
            context.err << "kelmor-cli import: --field takes a field number N from 1 to " << kMaxFieldNumber
                        << ", not \"" << field << "\"\n";
            return false;
        }
        try {
            options->SetKeyName(static_cast<int>(number - 1), name);
            options->SetKeyType(static_cast<int>(number - 1), keyType);
        } catch (const std::out_of_range&) {
            context.err << "kelmor-cli import: the file has no field " << number << "\n";
            return false;
        }
    }
    return true;
}

int RunTransfer(TCliContext& context, bool import) {
    TCliSession session(context);
    std::string location = "Root";
    if (const auto value = context.options.Value("location")) {
        if (!session.ToLatin1(*value, "location", location)) return kExitUsage;
    }
    const std::string& file = context.options.positional.at(1);
    if (const int status = session.OpenAsOptionsSay()) return status;

    TProgressLine progress(context);
    const TJobArguments arguments{progress.Callback(), location, file, session.Engine()};
    TJobCreation creation = import ? CreateImportJob(arguments) : CreateExportJob(arguments);
    if (!creation.job) {
        context.err << (creation.knownFormat && import ? "Error importing.\n\n" : "") << ForTerminal(creation.reason)
                    << "\n";
        session.Finish();
        return creation.knownFormat ? kExitFailed : kExitUsage;
    }
    if (import && !ApplyRecordOptions(context, *creation.job)) {
        creation.job.reset();
        session.Finish();
        return kExitUsage;
    }
    creation.job->Run();
    std::string message = ResultText(*creation.job, import, file);
    const auto* csv = dynamic_cast<const TImporterCSV*>(creation.job.get());
    if (message.empty() && csv && csv->FieldsMismatch())
        context.err << "One or more records contained too few,\nor too many fields than expected.\n\n"
                       "Please check data for correct format.\n";
    creation.job.reset();
    const int finished = session.Finish();  // after a failed import too: what it made stays
    if (!message.empty()) {
        context.err << message << "\n";
        return kExitFailed;
    }
    return finished;
}

int RunExport(TCliContext& context) { return RunTransfer(context, false); }
int RunImport(TCliContext& context) { return RunTransfer(context, true); }

std::vector<TCommand> MakeCommands() {
    const char* const exportLocationHelp =
        "  --location PATH   the branch: \"Root\" (the default) or empty for the whole tree,\n"
        "                    else a path of descriptions (\"Root\\Shop\\Fruit\" or \"Shop\\Fruit\")\n";
    const char* const importLocationHelp =
        "  --location PATH   where the nodes go: \"Root\" (the default) or a path of descriptions,\n"
        "                    made when it does not exist yet\n"
        "Record options (.dbf and .csv):\n"
        "  --flags N         1 mixed-case titles, 2 first field not a key, 4 skip empty or zero\n"
        "                    values; add them up (default 3)\n"
        "  --field N=NAME:TYPE  field N (1 to 255) becomes key NAME of TYPE (byte, integer, longint,\n"
        "                    float, string, sequence, blob, currency, double, datetime or none)\n"
        "  --first-record-names  CSV: the first line names the fields\n"
        "  --plain           CSV: plain comma rules (spaces belong to the fields)\n";
    std::vector<TCommand> commands;
    commands.push_back({"export",
                        "BASE FILE",
                        "writes the tree or a branch to FILE: XML (.xml) or text interchange (.kmt) by its extension",
                        {{"location", true, false}},
                        exportLocationHelp,
                        2,
                        2,
                        RunExport});
    commands.push_back({"import",
                        "BASE FILE",
                        "reads FILE (.xml, .kmt, .dbf or .csv) into the database below the location",
                        {{"location", true, false},
                         {"flags", true, false},
                         {"field", true, true},
                         {"first-record-names", false, false},
                         {"plain", false, false}},
                        importLocationHelp,
                        2,
                        2,
                        RunImport});
    return commands;
}

const TCommandRegistration registration(40, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
