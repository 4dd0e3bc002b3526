// The comparison as users make it: whole processes side by side, started the way they
// are started from a shell, timed from start to exit, alternating, with their peak memory.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kelmor::bench {

struct TProcessRun {
    double milliseconds = 0;
    double peakMiB = 0;  // the largest resident size the process reached
};

// Runs a program with arguments (and extra environment variables) and waits for it;
// throws when it cannot run or fails.
TProcessRun RunProcess(const std::vector<std::string>& arguments,
                       const std::vector<std::pair<std::string, std::string>>& environment = {});

// kelmor-cli's CSV import against sqlite3's (plain text and typed fields) and the XML
// import of `xmlExport` (the export of a full database): prints one table.
void CompareWholeProcesses(const std::string& folder, const std::string& cli, const std::string& xmlExport, int runs);

}  // namespace kelmor::bench
