#include "bench/benchdatabases.h"

#include <fstream>
#include <stdexcept>
#include <vector>

namespace kelmor::bench {

namespace {

void Open(TKelmorClass& engine, const std::string& base) {
    if (engine.CreateDatabase(base, BenchLogin()) != kResultOK)
        throw std::runtime_error("cannot create " + base + ": " + engine.LastErrorText());
}

int32_t AddKeyedNode(TKelmorClass& engine, int32_t parent, size_t number) {
    engine.ClearNode();
    engine.SetDescription("Node " + std::to_string(number));
    engine.AddStringKey("Name", "Item number " + std::to_string(number));
    engine.AddLongintKey("Count", static_cast<int32_t>(number));
    engine.AddDoubleKey("Weight", static_cast<double>(number) / 7.0);
    engine.AddDateKey("Changed", 45000.0 + static_cast<double>(number % 3000));
    const uint8_t code[8] = {1, 2, 3, 4, 5, 6, 7, static_cast<uint8_t>(number)};
    engine.AddSequenceKey("Code", code, sizeof code);
    if (number % 20 == 0) {
        std::vector<uint8_t> blob(200, static_cast<uint8_t>(number));
        engine.AddBlobKey("Picture", blob.data(), blob.size());
    }
    return engine.CreateNode(parent);
}

// A branch of `count` nodes under `parent`: a top node with children in groups of 100.
int32_t AddBranch(TKelmorClass& engine, int32_t parent, size_t count, size_t& number) {
    const int32_t top = AddKeyedNode(engine, parent, number++);
    int32_t group = top;
    for (size_t i = 1; i < count; ++i) {
        if ((i - 1) % 100 == 0) {
            group = AddKeyedNode(engine, top, number++);
            continue;
        }
        AddKeyedNode(engine, group, number++);
    }
    return top;
}

}  // namespace

TKelmorLogin BenchLogin() { return TKelmorClass::MakeLogin("bench", "bench"); }

TFullShape BuildFull(const std::string& base, size_t nodes, size_t bigBranch, size_t copyBranch) {
    TKelmorClass engine;
    Open(engine, base);
    TFullShape shape;
    size_t number = 1;
    shape.bigBranchSize = bigBranch;
    shape.copyBranchSize = copyBranch;
    shape.firstNode = 1;
    shape.bigBranch = AddBranch(engine, 0, shape.bigBranchSize, number);
    shape.copyBranch = AddBranch(engine, 0, shape.copyBranchSize, number);
    shape.copyTarget = AddKeyedNode(engine, 0, number++);
    while (number <= nodes) AddBranch(engine, 0, std::min<size_t>(100, nodes - number + 1), number);
    engine.Close();
    return shape;
}

void BuildFlat(const std::string& base, size_t nodes) {
    TKelmorClass engine;
    Open(engine, base);
    for (size_t i = 0; i < nodes; ++i) {
        engine.ClearNode();
        // descriptions in a scrambled order, so that sorting has work to do
        engine.SetDescription("Entry " + std::to_string((i * 7919) % nodes));
        engine.CreateNode(0);
    }
    engine.Close();
}

void BuildDeep(const std::string& base, size_t nodes) {
    TKelmorClass engine;
    Open(engine, base);
    int32_t parent = 0;
    for (size_t i = 0; i < nodes; ++i) {
        engine.ClearNode();
        engine.SetDescription("Level " + std::to_string(i));
        engine.AddLongintKey("Depth", static_cast<int32_t>(i));
        const int32_t id = engine.CreateNode(parent);
        if (i % 100 == 0) parent = id;  // 100 children a level
    }
    engine.Close();
}

void WriteCsv(const std::string& path, size_t lines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t i = 1; i <= lines; ++i) {
        out << "Node " << i << ",Item number " << i << "," << i << "," << (i % 977) << ".25,"
            << "\"Street " << i % 300 << ", Town\"\r\n";
    }
}

}  // namespace kelmor::bench
