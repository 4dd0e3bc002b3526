#include "dbfixture.h"

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

std::string DumpDatabase(TKelmorClass& engine) {
    std::ostringstream out;
    for (int32_t id = 1; id <= engine.Header().lastNodeID; ++id) {
        uint8_t security = 0;
        try {
            security = engine.GetNodeSecurity(id);
        } catch (const EKelmorNodeIDInvalidError&) {
            continue;
        }
        out << "#" << id << " sec " << int(security);
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
    return out.str();
}

}  // namespace kelmor::test
