// Writes seed inputs for the fuzz targets, made by the program's own code:
//   kelmor_fuzz_seeds FOLDER   (creates FOLDER/<target>/seed-N)
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <tuple>
#include <vector>

#include "engine/tkelmor.h"
#include "fuzz/fuzzinput.h"
#include "interchange/base64.h"
#include "interchange/texporterkmt.h"
#include "interchange/texporterxml.h"
#include "interchange/txmlwriter.h"
#include "tests/testsupport/dbftable.h"
#include "tests/testsupport/rawdatabase.h"

using namespace kelmor;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Save(const fs::path& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A database made by `fill`, as one framed database input.
template <typename Fill>
std::vector<uint8_t> MakeDatabase(Fill fill) {
    const std::string base = fuzz::ScratchFolder() + "/seed";
    {
        TKelmorClass engine;
        if (engine.CreateDatabase(base, TKelmorClass::MakeLogin("fuzz", "fuzz")) != kResultOK) std::abort();
        fill(engine);
    }
    fuzz::TDatabaseFiles files{ReadFile(base + ".idx"), ReadFile(base + ".dat"), ReadFile(base + ".blb")};
    return fuzz::JoinDatabaseInput(files);
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A database whose blob file holds what another program's writer may leave: blobs of size
// 0 inside the head, at the position of an older blob, and inside another blob's bytes.
// `blobs` are (ID, size, position or 0 for "after the blob before").
std::vector<uint8_t> ForeignBlobLayout(const std::vector<std::tuple<int32_t, size_t, int32_t>>& blobs) {
    test::TRawDatabase raw;
    raw.users = {{"FUZZ", "FUZZ"}};
    int32_t node = 0;
    for (const auto& [id, size, position] : blobs) {
        raw.blobs.push_back({id, std::vector<uint8_t>(size, static_cast<uint8_t>(id)), position});
        const auto reference = test::BlobReference(id, static_cast<int32_t>(size));
        raw.nodes.push_back({++node, 0, 5, test::MakeRecord("holder", {{"blob", ktBlob, reference}}), 0, 0});
    }
    fuzz::TDatabaseFiles files{raw.IndexBytes(), raw.DataBytes(), raw.BlobBytes()};
    return fuzz::JoinDatabaseInput(files);
}

// The database of a framed seed exported to a file of the given extension.
template <typename TExporter>
std::vector<uint8_t> Exported(const std::vector<uint8_t>& framed, const std::string& extension) {
    fuzz::TDatabaseFiles files;
    fuzz::SplitDatabaseInput(framed.data(), framed.size(), files);
    const std::string base = fuzz::ScratchFolder() + "/export";
    fuzz::WriteFile(base + ".idx", files.index.data(), files.index.size());
    fuzz::WriteFile(base + ".dat", files.data.data(), files.data.size());
    fuzz::WriteFile(base + ".blb", files.blob.data(), files.blob.size());
    TKelmorClass engine;
    if (engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("fuzz", "fuzz")) != kResultOK) std::abort();
    const std::string file = base + extension;
    TExporter job(nullptr, "Root", file, engine);
    job.Run();
    return ReadFile(file);
}

int32_t Node(TKelmorClass& engine, const std::string& description, int32_t parent) {
    engine.ClearNode();
    engine.SetDescription(description);
    return engine.CreateNode(parent);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kelmor_fuzz_seeds FOLDER\n";
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path databases = root / "fuzz_database";
    Save(databases, "empty", MakeDatabase([](TKelmorClass&) {}));
    Save(databases, "tree", MakeDatabase([](TKelmorClass& engine) {
             const int32_t a = Node(engine, "A.TXT", 0);
             const int32_t b = Node(engine, "B", a);
             Node(engine, "C", b);
             engine.MarkNode(b);
             engine.CreateLink(0);
             engine.MarkNode(Node(engine, "gone", 0));
             engine.CreateLink(a);
             engine.DeleteNode(engine.MarkedNode());
             engine.SetNodeSecurity(b, 3, true);
         }));
    Save(databases, "keys", MakeDatabase([](TKelmorClass& engine) {
             engine.ClearNode();
             engine.SetDescription("every type");
             engine.AddByteKey("byte", 200);
             engine.AddIntegerKey("integer", -300);
             engine.AddLongintKey("longint", 70000);
             engine.AddFloatKey("float", 1.25f);
             engine.AddStringKey("string", "text");
             const uint8_t bytes[6] = {0, 1, 2, 0xFE, 0xFF, 0x41};
             engine.AddSequenceKey("sequence", bytes, sizeof bytes);
             engine.AddBlobKey("blob", bytes, sizeof bytes);
             engine.AddBlobKey("empty blob", nullptr, 0);
             engine.AddCurrencyKey("currency", 123456789);
             engine.AddDoubleKey("double", 1e-7);
             engine.AddDateKey("date", 45000.75);
             const int32_t id = engine.CreateNode(0);
             Node(engine, "child", id);
         }));
    Save(databases, "empty blob inside the head", ForeignBlobLayout({{1, 0, 39}, {3, 10, 0}}));
    Save(databases, "empty blob beside an older one", ForeignBlobLayout({{1, 10, 0}, {2, 0, 49}, {4, 5, 0}}));
    Save(databases, "empty blob inside another", ForeignBlobLayout({{1, 10, 0}, {2, 0, 54}, {4, 6, 0}}));

    // What exports must bring back: empty descriptions with children, dates past 2049 under
    // a two-digit-year short date, control bytes, special numbers.
    Save(databases, "round trip", MakeDatabase([](TKelmorClass& engine) {
             TRegionalSettings settings = engine.RegionalSettings();
             settings.shortDateFormat = "dd/mm/yy";
             engine.SetRegionalSettings(settings);
             const int32_t top = Node(engine, "", 0);
             const int32_t empty = Node(engine, "", top);
             engine.ClearNode();
             engine.SetDescription(std::string("\x01\x1F\x7F\xE9 C"));
             engine.AddDateKey("born", 58851.5);  // 2061-02-14 12:00
             engine.AddFloatKey("nan", std::numeric_limits<float>::quiet_NaN());
             engine.AddDoubleKey("inf", -std::numeric_limits<double>::infinity());
             engine.AddStringKey("bytes", std::string("\x01\x08\x0B\x0C\x0E\x1F&<>\"", 11));
             engine.CreateNode(empty);
         }));

    for (const char* name : {"tree", "keys", "round trip"}) {
        const std::vector<uint8_t> framed = ReadFile((databases / name).string());
        Save(root / "fuzz_import_kmt", name, Exported<TExporterKMT>(framed, ".kmt"));
        Save(root / "fuzz_import_xml", name, Exported<TExporterXML>(framed, ".xml"));
    }
    // What the XML import once refused or lost: control characters written as character
    // references, float keys of NAN and INF, an integer beyond 32 bits.
    const std::vector<uint8_t> special = MakeDatabase([](TKelmorClass& engine) {
        engine.ClearNode();
        engine.SetDescription(std::string("control \x01\x1F\0", 11));
        engine.AddStringKey("\x0B\x0C", std::string("\0\x08\x0E\x7F", 4));
        engine.AddFloatKey("nan", std::numeric_limits<float>::quiet_NaN());
        engine.AddFloatKey("inf", std::numeric_limits<float>::infinity());
        engine.AddFloatKey("-inf", -std::numeric_limits<float>::infinity());
        engine.CreateNode(0);
    });
    Save(root / "fuzz_import_xml", "control characters and special floats", Exported<TExporterXML>(special, ".xml"));
    Save(root / "fuzz_import_xml", "integer beyond 32 bits",
         Bytes(TXMLWriter::Declaration() + TXMLWriter::DocumentTypeDefinition() +
               "\r\n<kelmor version=\"1.0\" filename=\"SEED\" date=\"20240506\" dp=\".\"><node description=\"n\">"
               "<value description=\"l\" type=\"longint\">4294967297</value>\r\n</node>\r\n</kelmor>\r\n"));
    Save(root / "fuzz_import_csv", "plain", Bytes("Name,Age,Town\r\nAnn,31, \"Lyon, FR\"\r\nBob,40,,\r\n\r\nCy,1\r\n"));
    Save(root / "fuzz_import_csv", "quotes", Bytes("\"a \"\"b\"\" c\",x,,y\nz,\"unclosed\n"));
    Save(root / "fuzz_import_dbf", "staff",
         test::MakeTable({{"NAME", 'C', 10}, {"BORN", 'D', 8}, {"SALARY", 'N', 10}, {"ACTIVE", 'L', 1}},
                         {{' ', {"Alice", "19800215", "1234.50", "T"}},
                          {'*', {"Bob", "19790101", "2", "F"}},
                          {' ', {"Cy", "20001231", "-0.5", "?"}}}));
    Save(root / "fuzz_kmt_hex", "lines", Bytes("  00FF10ab\r\n  0102\r\n }\r\n"));
    Save(root / "fuzz_kmt_hex", "empty", Bytes("  \r\n }\r\n"));
    const uint8_t sample[7] = {0, 1, 2, 250, 251, 252, 253};
    Save(root / "fuzz_base64", "text", Bytes(Base64Encode(sample, sizeof sample, 80)));
    std::cout << "seeds written to " << root << "\n";
    return 0;
}
