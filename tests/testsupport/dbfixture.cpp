#include "tests/testsupport/dbfixture.h"

#include <sstream>

namespace kelmor::test {

void DatabaseTest::SetUp() {
    base = dir / "db";
    ASSERT_EQ(engine.CreateDatabase(base, admin), kResultOK);
}

void DatabaseTest::Reopen(bool readOnly) {
    engine.Close();
    ASSERT_EQ(engine.OpenDatabase(base, readOnly, admin), kResultOK);
}

int32_t DatabaseTest::AddNode(const std::string& description, int32_t parent) {
    engine.ClearNode();
    engine.SetDescription(description);
    return engine.CreateNode(parent);
}

std::vector<int32_t> Children(TKelmorClass& engine, int32_t parent) {
    std::vector<int32_t> ids;
    TKelmorNodeRec rec;
    for (bool more = engine.FindFirstChild(rec, parent); more; more = engine.FindNextChild(rec))
        ids.push_back(rec.currentID);
    return ids;
}

std::string DumpDatabase(TKelmorClass& engine) {
    std::ostringstream out;
    // the tree's shape: every parent's children in their order
    for (int32_t parent = 0; parent <= engine.Header().lastNodeID; ++parent) {
        if (!engine.NodeExists(parent) || engine.IsLink(parent)) continue;
        const std::vector<int32_t> children = Children(engine, parent);
        if (children.empty()) continue;
        out << "children of " << parent << ":";
        for (const int32_t child : children) out << " " << child;
        out << "\n";
    }
    for (int32_t id = 1; id <= engine.Header().lastNodeID; ++id) {
        uint8_t security = 0;
        try {
            security = engine.GetNodeSecurity(id);
        } catch (const EKelmorNodeIDInvalidError&) {
            continue;
        }
        out << "#" << id << " sec " << int(security);
        if (engine.IsLink(id)) out << " link";
        if (!engine.LoadNode(id)) {
            out << " (no record)\n";
            continue;
        }
        out << " \"" << engine.GetDescription() << "\"";
        for (uint16_t k = 1; k <= engine.KeyCount(); ++k) {
            out << " | " << engine.GetKeyName(k) << ":" << int(engine.KeyType(k)) << "=" << engine.KeyValueText(k);
            if (engine.KeyType(k) == ktBlob) {
                for (uint8_t b : engine.GetBlobKey(k)) out << " " << int(b);
            }
        }
        out << "\n";
    }
    for (int user = 1; user <= 5; ++user) out << "user " << user << " " << engine.GetUserName(user) << "\n";
    return out.str();
}

}  // namespace kelmor::test
