// Commands that move data between a database and interchange files: export and import.
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <ostream>

#include "clisession.h"
#include "fileio.h"
#include "jobfactory.h"
#include "textcodec.h"

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
        case TKelmorInOut::kError:
            return (import ? "Error importing.\n\n" : "") + ForTerminal(job.ErrorMessage());
        default: return fileArgument + ": " + ErrorText(job.ResultCode());
    }
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
        context.err << creation.reason << "\n";
        session.Finish();
        return creation.knownFormat ? kExitFailed : kExitUsage;
    }
    creation.job->Run();
    const std::string message = ResultText(*creation.job, import, file);
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
        "                    made when it does not exist yet\n";
    std::vector<TCommand> commands;
    commands.push_back({"export", "BASE FILE",
                        "writes the tree or a branch to FILE: XML (.xml) or text interchange (.kmt) by its extension",
                        {{"location", true, false}}, exportLocationHelp, 2, 2, RunExport});
    commands.push_back({"import", "BASE FILE",
                        "reads FILE (.kmt) into the database below the location, which is created when missing",
                        {{"location", true, false}}, importLocationHelp, 2, 2, RunImport});
    return commands;
}

const TCommandRegistration registration(40, MakeCommands);

}  // namespace

}  // namespace kelmor::cli
