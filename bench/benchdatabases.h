// The databases the benchmark builds for itself.
#pragma once

#include <cstdint>
#include <string>

#include "engine/tkelmor.h"

namespace kelmor::bench {

// The shape of a "full" database: a big branch (to delete), a smaller one (to copy), the
// rest in branches of 100; five keys of mixed types on every node and a 200-byte blob on
// every 20th.
struct TFullShape {
    int32_t bigBranch = 0;   // the branch to delete
    int32_t copyBranch = 0;  // the branch to copy
    int32_t copyTarget = 0;  // where copies go
    int32_t firstNode = 0;
    size_t bigBranchSize = 0;
    size_t copyBranchSize = 0;
};

TKelmorLogin BenchLogin();
// Creates the database at `base` (replacing what is there) and closes it.
TFullShape BuildFull(const std::string& base, size_t nodes, size_t bigBranch, size_t copyBranch);
void BuildFlat(const std::string& base, size_t nodes);
void BuildDeep(const std::string& base, size_t nodes);
// The CSV file of `lines` records that the import benchmark reads.
void WriteCsv(const std::string& path, size_t lines);

}  // namespace kelmor::bench
