#include "bench/processbench.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "bench/benchdatabases.h"

namespace kelmor::bench {

namespace fs = std::filesystem;

namespace {

constexpr size_t kLines = 65535;
const char* const kTimeProgram = "/usr/bin/time";
const std::vector<std::pair<std::string, std::string>> kLogon = {{"KELMOR_USER", "bench"},
                                                                 {"KELMOR_PASSWORD", "bench"}};

// A CSV file whose fields after the first are a longint, a currency amount and a date.
void WriteTypedCsv(const std::string& path, size_t lines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t i = 1; i <= lines; ++i)
        out << "Node_" << i << "," << i << "," << (i % 977) << ".25,2024-" << (i % 12 + 1 < 10 ? "0" : "")
            << (i % 12 + 1) << "-" << (i % 28 + 1 < 10 ? "0" : "") << (i % 28 + 1) << "\r\n";
}

struct TSeries {
    std::vector<double> times;
    std::vector<double> peaks;
    double Min() const { return *std::min_element(times.begin(), times.end()); }
    double Median() const {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
    double Peak() const { return *std::max_element(peaks.begin(), peaks.end()); }
    void Add(const TProcessRun& run) {
        times.push_back(run.milliseconds);
        peaks.push_back(run.peakMiB);
    }
};

void PrintRow(const std::string& what, const TSeries& series) {
    std::printf("%-62s %10.1f %10.1f %10.1f\n", what.c_str(), series.Min(), series.Median(), series.Peak());
}

// An empty database (made outside the timing) for each import.
void FreshDatabase(const std::string& cli, const std::string& base) {
    for (const char* extension : {".idx", ".dat", ".blb"}) fs::remove(base + extension);
    RunProcess({cli, "create", base}, kLogon);
}

// Our CSV import and sqlite3's of the same file, alternating; prints both and the ratio.
void CompareCsv(const std::string& folder, const std::string& cli, const std::string& csv,
                const std::vector<std::string>& options, const std::string& label, int runs) {
    TSeries ours, theirs;
    const std::string base = folder + "/process", sqlite = folder + "/process.db";
    for (int run = 0; run < runs; ++run) {
        FreshDatabase(cli, base);
        std::vector<std::string> import = {cli, "import", base, csv};
        import.insert(import.end(), options.begin(), options.end());
        ours.Add(RunProcess(import, kLogon));
        fs::remove(sqlite);
        theirs.Add(RunProcess({"sqlite3", sqlite, ".import --csv " + csv + " t"}));
    }
    PrintRow("kelmor-cli import, " + label, ours);
    PrintRow("sqlite3 .import --csv, the same file", theirs);
    std::printf("  ratio of the medians: %.2f\n", ours.Median() / theirs.Median());
}

}  // namespace

TProcessRun RunProcess(const std::vector<std::string>& command,
                       const std::vector<std::pair<std::string, std::string>>& environment) {
    // A child forked from this process counts this process's memory as its own until it
    // starts the program; a small process in between (time(1)) measures the program alone.
    const std::string peakFile = fs::temp_directory_path() / ("kelmorbench-peak-" + std::to_string(getpid()));
    std::vector<std::string> arguments = {kTimeProgram, "-f", "%M", "-o", peakFile};
    arguments.insert(arguments.end(), command.begin(), command.end());
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("cannot start " + arguments.front());
    if (child == 0) {
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        // The program's output is not wanted.
        if (FILE* null = std::fopen("/dev/null", "w")) dup2(fileno(null), STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) throw std::runtime_error("lost " + command.front());
    TProcessRun run;
    run.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::ifstream peak(peakFile);
    double kilobytes = 0;
    peak >> kilobytes;
    fs::remove(peakFile);
    run.peakMiB = kilobytes / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(command.front() + " " + command.at(1) + " failed (are sqlite3 and time installed?)");
    return run;
}

void CompareWholeProcesses(const std::string& folder, const std::string& cli, const std::string& xmlExport, int runs) {
    std::printf("\n%-62s %10s %10s %10s\n", "whole processes (65,535 lines or nodes)", "min ms", "median ms",
                "peak MiB");
    const std::string plain = folder + "/process-plain.csv", typed = folder + "/process-typed.csv";
    WriteCsv(plain, kLines);
    WriteTypedCsv(typed, kLines);
    CompareCsv(folder, cli, plain, {}, "plain CSV", runs);
    CompareCsv(folder, cli, typed,
               {"--short-date", "yyyy-mm-dd", "--field", "2=Count:longint", "--field", "3=Price:currency", "--field",
                "4=Changed:datetime"},
               "longint, currency and date fields", runs);
    TSeries xml;
    const std::string base = folder + "/process-xml";
    for (int run = 0; run < runs; ++run) {
        FreshDatabase(cli, base);
        xml.Add(RunProcess({cli, "import", base, xmlExport}, kLogon));
    }
    PrintRow("kelmor-cli import of the full database's XML export", xml);
}

}  // namespace kelmor::bench
