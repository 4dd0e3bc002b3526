// The benchmark: builds its own databases and times the engine's and the interchange
// formats' main operations at 8,192 and at 65,535 nodes, then compares whole processes of the
// command-line tool with sqlite3's (the way users compare them). Prints the tables.
//
//   build/bench/kelmor_bench [--runs N] [--quick]
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/benchdatabases.h"
#include "bench/processbench.h"
#include "engine/tkelmor.h"
#include "interchange/tcsvoptions.h"
#include "interchange/texporterkmt.h"
#include "interchange/texporterxml.h"
#include "interchange/timportercsv.h"
#include "interchange/timporterkmt.h"
#include "interchange/timporterxml.h"

namespace kelmor::bench {
namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

struct TTiming {
    double minimum = 0;
    double median = 0;
};

struct TRow {
    std::string operation;
    size_t nodes;
    TTiming timing;
};

int gRuns = 5;

// Runs `prepare` (not timed) and then `operation` (timed) `runs` times.
TTiming Measure(const std::function<void()>& prepare, const std::function<void()>& operation) {
    std::vector<double> times;
    for (int run = 0; run < gRuns; ++run) {
        if (prepare) prepare();
        const auto start = TClock::now();
        operation();
        times.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

void CopyDatabase(const std::string& from, const std::string& to) {
    for (const char* extension : {".idx", ".dat", ".blb"}) {
        fs::remove(to + extension);
        if (fs::exists(from + extension)) fs::copy_file(from + extension, to + extension);
    }
}

void OpenOrThrow(TKelmorClass& engine, const std::string& base) {
    if (engine.OpenDatabase(base, false, BenchLogin()) != kResultOK)
        throw std::runtime_error("cannot open " + base + ": " + engine.LastErrorText());
}

size_t AllocatedBytes() { return mallinfo2().uordblks; }

// Runs a job on the calling thread; throws when it fails.
void RunJob(TKelmorInOut& job) {
    job.Run();
    if (job.ResultCode() != TKelmorInOut::kSuccess)
        throw std::runtime_error(job.FileName() + ": result " + std::to_string(job.ResultCode()) + " " +
                                 job.ErrorMessage());
}

void CreateOrThrow(TKelmorClass& engine, const std::string& base) {
    if (engine.CreateDatabase(base, BenchLogin()) != kResultOK)
        throw std::runtime_error("cannot create " + base + ": " + engine.LastErrorText());
}

// sqlite3's command-line shell importing the same CSV file into a table of a new database.
void SqliteImport(const std::string& csv, const std::string& database) {
    fs::remove(database);
    const std::string command =
        "sqlite3 '" + database + "' '.mode csv' 'CREATE TABLE t(a,b,c,d,e);' '.import " + csv + " t' > /dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("sqlite3 failed (is the sqlite3 package installed?)");
}

class TBench {
public:
    explicit TBench(std::string folder) : folder_(std::move(folder)) {}

    void RunAll(size_t nodes);
    void Print() const;

private:
    std::string Path(const std::string& name, size_t nodes) const {
        return folder_ + "/" + name + std::to_string(nodes);
    }
    void Add(const std::string& operation, size_t nodes, TTiming timing) {
        rows_.push_back({operation, nodes, timing});
        std::cerr << "  " << operation << " (" << nodes << "): " << timing.median << " ms\n";
    }

    std::string folder_;
    std::vector<TRow> rows_;
    std::map<std::string, double> memory_;
};

void TBench::RunAll(size_t nodes) {
    std::cerr << "Building databases of " << nodes << " nodes...\n";
    const std::string full = Path("full", nodes), flat = Path("flat", nodes), deep = Path("deep", nodes);
    const std::string work = Path("work", nodes), roomy = Path("roomy", nodes);
    // 30,000 and 10,000 of 65,535 nodes, and the same share of fewer nodes
    const size_t bigBranch = nodes * 30000 / 65535, copyBranch = nodes * 10000 / 65535;
    const TFullShape shape = BuildFull(full, nodes, bigBranch, copyBranch);
    // the same shape, with room left for a copy of the branch
    const TFullShape roomyShape = BuildFull(roomy, nodes - copyBranch, bigBranch, copyBranch);
    BuildFlat(flat, nodes);
    BuildDeep(deep, nodes);

    TKelmorClass engine;
    auto openWork = [&](const std::string& source) {
        return [&, source] {
            engine.Close();
            CopyDatabase(source, work);
            OpenOrThrow(engine, work);
        };
    };

    const std::string csv = Path("records", nodes) + ".csv";
    WriteCsv(csv, nodes);
    Add("CSV import (create, import, close)", nodes,
        Measure([&] { engine.Close(); },
                [&] {
                    CreateOrThrow(engine, work);
                    TImporterCSV job(nullptr, "Root", csv, engine);
                    RunJob(job);
                    engine.Close();
                }));
    Add("sqlite3 import of the same CSV", nodes,
        Measure(nullptr, [&] { SqliteImport(csv, Path("sqlite", nodes) + ".db"); }));

    Add("open", nodes, Measure([&] { engine.Close(); }, [&] { OpenOrThrow(engine, full); }));
    {
        engine.Close();
        const size_t before = AllocatedBytes();
        OpenOrThrow(engine, full);
        memory_[std::to_string(nodes)] = static_cast<double>(AllocatedBytes() - before) / (1 << 20);
        engine.Close();
    }
    Add("flush after one change", nodes, Measure(openWork(full), [&] {
            engine.LoadNode(shape.firstNode);
            engine.SetDescription("Changed");
            engine.SaveNode(shape.firstNode);
            engine.Flush();
        }));
    Add("close", nodes, Measure(openWork(full), [&] { engine.Close(); }));

    const std::string xml = Path("export", nodes) + ".xml", kmt = Path("export", nodes) + ".kmt";
    Add("export to .xml", nodes, Measure(openWork(full), [&] {
            TExporterXML job(nullptr, "Root", xml, engine);
            RunJob(job);
        }));
    Add("export to .kmt", nodes, Measure(openWork(full), [&] {
            TExporterKMT job(nullptr, "Root", kmt, engine);
            RunJob(job);
        }));
    auto emptyWork = [&] {
        engine.Close();
        CreateOrThrow(engine, work);
    };
    Add("import the .xml export (and close)", nodes, Measure(emptyWork, [&] {
            TImporterXML job(nullptr, "Root", xml, engine);
            RunJob(job);
            engine.Close();
        }));
    Add("import the .kmt export (and close)", nodes, Measure(emptyWork, [&] {
            TImporterKMT job(nullptr, "Root", kmt, engine);
            RunJob(job);
            engine.Close();
        }));

    Add("search text (none found)", nodes, Measure(openWork(full), [&] {
            TKelmorSearch search;
            search.searchText = "no such text";
            search.flags = sfNodeDescriptions | sfKeyNames | sfKeyValues;
            if (engine.SearchFirst(search) != -1) throw std::runtime_error("search found something");
        }));
    Add("search broken links", nodes, Measure(openWork(full), [&] {
            TKelmorSearch search;
            search.flags = sfBrokenLinks;
            engine.SearchFirst(search);
        }));
    Add("delete branch (" + std::to_string(shape.bigBranchSize) + " nodes)", nodes,
        Measure(openWork(full), [&] { engine.DeleteNode(shape.bigBranch); }));
    Add("copy branch (" + std::to_string(roomyShape.copyBranchSize) + " nodes)", nodes, Measure(openWork(roomy), [&] {
            engine.MarkNode(roomyShape.copyBranch);
            engine.CopyMarkedNode(roomyShape.copyTarget);
        }));
    Add("sort siblings (flat)", nodes, Measure(openWork(flat), [&] { engine.SortChildren(0); }));
    Add("delete all (deep)", nodes, Measure(openWork(deep), [&] { engine.DeleteNode(1); }));
    Add("1000 edits, flush every 100", nodes, Measure(openWork(full), [&] {
            for (int edit = 1; edit <= 1000; ++edit) {
                engine.LoadNode(shape.firstNode);
                const uint16_t key = engine.FindKey("Name");
                engine.DeleteKey(key);
                engine.InsertStringKey("Name", key, std::string(static_cast<size_t>(edit % 50), 'e'));
                engine.SaveNode(shape.firstNode);
                if (edit % 100 == 0) engine.Flush();
            }
        }));
    engine.Close();
}

void TBench::Print() const {
    std::printf("\n%-40s %8s %12s %12s %8s\n", "operation", "nodes", "min ms", "median ms", "ratio");
    // the headline: our CSV import against sqlite3's, at each size
    std::map<size_t, double> ours, theirs;
    for (const TRow& row : rows_) {
        if (row.operation.rfind("CSV import", 0) == 0) ours[row.nodes] = row.timing.median;
        if (row.operation.rfind("sqlite3", 0) == 0) theirs[row.nodes] = row.timing.median;
    }
    std::map<std::string, double> small;
    for (const TRow& row : rows_)
        if (row.nodes != 65535) small[row.operation] = row.timing.median;
    for (const TRow& row : rows_) {
        std::string ratio;
        if (row.nodes == 65535) {
            // the name of a sized operation differs between the two sizes: match by prefix
            for (const auto& [name, time] : small) {
                if (name.substr(0, name.find(" (")) == row.operation.substr(0, row.operation.find(" (")) && time > 0) {
                    char text[32];
                    std::snprintf(text, sizeof text, "%.1f", row.timing.median / time);
                    ratio = text;
                }
            }
        }
        std::printf("%-40s %8zu %12.2f %12.2f %8s\n", row.operation.c_str(), row.nodes, row.timing.minimum,
                    row.timing.median, ratio.c_str());
    }
    for (const auto& [nodes, time] : ours)
        if (theirs.count(nodes) && theirs[nodes] > 0)
            std::printf("CSV import against sqlite3 (%zu lines): ratio %.2f\n", nodes, time / theirs[nodes]);
    for (const auto& [nodes, mib] : memory_)
        std::printf("memory of the open full database (%s nodes): %.1f MiB\n", nodes.c_str(), mib);
}

}  // namespace
}  // namespace kelmor::bench

int main(int argc, char** argv) {
    using namespace kelmor::bench;
    std::vector<size_t> sizes = {8192, 65535};
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc) gRuns = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--quick") sizes = {8192};
        else {
            std::cerr << "usage: kelmor_bench [--runs N] [--quick]\n";
            return 2;
        }
    }
    std::string folder = (fs::temp_directory_path() / "kelmorbenchXXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    int status = 0;
    try {
        TBench bench(folder);
        for (size_t nodes : sizes) bench.RunAll(nodes);
        bench.Print();
        if (sizes.back() == 65535) CompareWholeProcesses(folder, KELMOR_CLI, folder + "/export65535.xml", gRuns);
    } catch (const std::exception& error) {
        std::cerr << "kelmor_bench: " << error.what() << "\n";
        status = 1;
    }
    fs::remove_all(folder);
    return status;
}
