// Fuzz target: a database from fuzzed index, data and blob files, opened read-only and
// read/write, then walked: every node loaded with every key's value and blob, paths,
// searches for text and broken links, and the checker; read/write, a blob key of some
// nodes is deleted and the database flushed and walked again; closing compacts.
#include <cstddef>
#include <cstdint>

#include "engine/kelmorcheck.h"
#include "engine/tkelmor.h"
#include "fuzz/fuzzinput.h"

using namespace kelmor;

namespace {

// Returns the nodes reached.
std::vector<int32_t> Walk(TKelmorClass& engine) {
    std::vector<int32_t> reached;
    int visited = 0;
    std::vector<int32_t> pending{0};
    while (!pending.empty() && visited < 5000) {
        const int32_t parent = pending.back();
        pending.pop_back();
        TKelmorNodeRec rec;
        for (bool found = engine.FindFirstChild(rec, parent); found && visited < 5000;
             found = engine.FindNextChild(rec)) {
            ++visited;
            const int32_t id = rec.currentID;
            reached.push_back(id);
            try {
                if (!engine.IsLink(id)) pending.push_back(id);
                engine.GetNodePath(id);
                if (!engine.LoadNode(id)) continue;
                engine.GetDescription();
                for (uint16_t k = 1; k <= engine.KeyCount(); ++k) {
                    engine.GetKeyName(k);
                    engine.KeyValueText(k);
                    if (engine.KeyType(k) == ktBlob) engine.GetBlobKey(k);
                }
            } catch (const EKelmorError&) {}
        }
    }
    for (uint16_t flags : {uint16_t(sfNodeDescriptions | sfKeyNames | sfKeyValues), uint16_t(sfBrokenLinks),
                           uint16_t(sfNodeDescriptions | sfScanLinks | sfSubNodesOnly | sfWildcards)}) {
        TKelmorSearch search;
        search.searchText = "A*.?";
        search.flags = flags;
        try {
            for (int32_t id = engine.SearchFirst(search), n = 0; id > 0 && n < 200;
                 id = engine.SearchNext(search), ++n) {}
        } catch (const EKelmorError&) {}
    }
    return reached;
}

// Deletes the last blob key of each of the first nodes that have one.
void DeleteSomeBlobs(TKelmorClass& engine, const std::vector<int32_t>& nodes) {
    int deleted = 0;
    for (const int32_t id : nodes) {
        if (deleted == 20) return;
        try {
            if (engine.IsLink(id) || !engine.LoadNode(id)) continue;
            for (uint16_t k = engine.KeyCount(); k >= 1; --k) {
                if (engine.KeyType(k) != ktBlob) continue;
                engine.DeleteKey(k);
                engine.SaveNode(id);
                ++deleted;
                break;
            }
        } catch (const EKelmorError&) {}
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TDatabaseFiles files;
    if (!fuzz::SplitDatabaseInput(data, size, files)) return 0;
    const std::string base = fuzz::ScratchFolder() + "/db";
    fuzz::WriteFile(base + ".idx", files.index.data(), files.index.size());
    fuzz::WriteFile(base + ".dat", files.data.data(), files.data.size());
    fuzz::WriteFile(base + ".blb", files.blob.data(), files.blob.size());
    CheckDatabase(base);
    const TKelmorLogin login = TKelmorClass::MakeLogin("fuzz", "fuzz");
    for (bool readOnly : {true, false}) {
        TKelmorClass engine;
        try {
            if (engine.OpenDatabase(base, readOnly, login) != kResultOK) continue;
        } catch (const EKelmorCheckSumFailed&) {}
        const std::vector<int32_t> nodes = Walk(engine);
        if (!readOnly) {
            try {
                engine.MarkNode(0);
                DeleteSomeBlobs(engine, nodes);
                if (engine.Flush() == kResultOK) Walk(engine);
            } catch (const EKelmorError&) {}
        }
    }
    return 0;
}
