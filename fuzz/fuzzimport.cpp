#include "fuzz/fuzzimport.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/tkelmor.h"
#include "fuzz/fuzzinput.h"
#include "interchange/tcsvoptions.h"
#include "interchange/timportercsv.h"
#include "interchange/timporterdbf.h"
#include "interchange/timporterkmt.h"
#include "interchange/timporterxml.h"

namespace kelmor::fuzz {

namespace {

TKelmorClass& Database() {
    static TKelmorClass* engine = [] {
        auto* created = new TKelmorClass;
        if (created->CreateDatabase(ScratchFolder() + "/target", TKelmorClass::MakeLogin("fuzz", "fuzz")) != kResultOK)
            std::abort();
        return created;
    }();
    return *engine;
}

const char* Extension(TImportFormat format) {
    switch (format) {
        case TImportFormat::Kmt: return ".kmt";
        case TImportFormat::Xml: return ".xml";
        case TImportFormat::Dbf: return ".dbf";
        case TImportFormat::Csv: return ".csv";
    }
    return "";
}

std::unique_ptr<TKelmorInOut> MakeJob(TImportFormat format, const std::string& file, TKelmorClass& engine) {
    const std::string location = "Fuzz";
    switch (format) {
        case TImportFormat::Kmt: return std::make_unique<TImporterKMT>(nullptr, location, file, engine);
        case TImportFormat::Xml: return std::make_unique<TImporterXML>(nullptr, location, file, engine);
        case TImportFormat::Dbf: return std::make_unique<TImporterDBF>(nullptr, location, file, engine);
        case TImportFormat::Csv: {
            auto job = std::make_unique<TImporterCSV>(nullptr, location, file, engine);
            job->CSVOptions().Apply(file.size() % 2 == 0, file.size() % 3 != 0);
            return job;
        }
    }
    return nullptr;
}

}  // namespace

void ImportFuzzedFile(TImportFormat format, const uint8_t* data, size_t size, const std::string& prefix) {
    static int runs = 0;
    TKelmorClass& engine = Database();
    const std::string file = ScratchFolder() + "/input" + Extension(format);
    std::vector<uint8_t> bytes(prefix.begin(), prefix.end());
    bytes.insert(bytes.end(), data, data + size);
    WriteFile(file, bytes.data(), bytes.size());
    try {
        std::unique_ptr<TKelmorInOut> job = MakeJob(format, file, engine);
        job->Run();
    } catch (const std::exception&) {
        // the record importers refuse damaged tables in their constructors
    }
    const int32_t branch = engine.FindNodeByPath("Fuzz");
    if (branch > 0) engine.DeleteNode(branch);
    TKelmorNodeRec rec;
    while (engine.FindFirstChild(rec, 0)) engine.DeleteNode(rec.currentID);  // links made at the top
    if (++runs % 500 == 0) engine.Flush();  // drops what the deleted nodes left in the scratch data
}

}  // namespace kelmor::fuzz
