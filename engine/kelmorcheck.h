// Checks a database's file set for every inconsistency it can find, reading the three
// files whole and changing nothing: gaps and overlaps in the data and blob files,
// positions, lengths and counts, record structure, blob references, stamps.
#pragma once

#include <string>
#include <vector>

namespace kelmor {

// One finding: the file it concerns, and what is wrong there (with offsets, entries
// and node or blob IDs).
struct TCheckFinding {
    std::string file;
    std::string problem;
};

// An empty list means the database is sound.
std::vector<TCheckFinding> CheckDatabase(const std::string& baseName);

}  // namespace kelmor
