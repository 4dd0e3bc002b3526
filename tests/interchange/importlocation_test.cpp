// What every import and export job shares: locations that run through a link, errors
// met while exporting, and results that a window may read while the job runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include "interchange/jobfactory.h"
#include "interchange/texporterkmt.h"
#include "interchange/texporterxml.h"
#include "tests/interchange/sampletree.h"
#include "tests/interchange/xmlhead.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/dbftable.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

class ImportLocationTest : public test::DatabaseTest {
protected:
    // Shelf (the source) and, below Links, a link to it.
    void SetUp() override {
        test::DatabaseTest::SetUp();
        shelf = AddNode("Shelf");
        engine.MarkNode(shelf);
        engine.CreateLink(AddNode("Links"));
        engine.MarkNode(0);
    }
    int RunImport(const std::string& file, const std::string& location) {
        TJobCreation creation = CreateImportJob({nullptr, location, file, engine});
        EXPECT_TRUE(creation.job) << creation.reason;
        if (!creation.job) return -100;
        creation.job->Run();
        message = creation.job->ErrorMessage();
        return creation.job->ResultCode();
    }
    int32_t shelf = 0;
    std::string message;
};

// Every importer continues at the link's source, whether the location ends at the link
// or goes on below it (creating what is missing there).
TEST_F(ImportLocationTest, ALocationThroughALinkLeadsBelowItsSource) {
    const std::string csv = dir / "rows.csv", kmt = dir / "rows.kmt", xml = dir / "rows.xml", dbf = dir / "rows.dbf";
    // (each file's node is named after its format: a .kmt section would update a node of
    // the same name instead of adding one)
    test::WriteBytes(csv, {'c', 's', 'v', '\n'});
    const std::string kmtText = "[KELMOR]\r\n[1.0]\r\n\r\n[kmt]\r\n";
    test::WriteBytes(kmt, std::vector<uint8_t>(kmtText.begin(), kmtText.end()));
    const std::string xmlText = std::string(test::kXMLDeclaration) + "\r\n" + test::kXMLDocumentTypeDefinition +
                                "<kelmor version=\"1.0\"><node description=\"xml\"></node></kelmor>\r\n";
    test::WriteBytes(xml, std::vector<uint8_t>(xmlText.begin(), xmlText.end()));
    test::WriteBytes(dbf, test::MakeTable({{"NAME", 'C', 10}}, {{' ', {"dbf"}}}));
    for (const std::string& file : {csv, kmt, xml, dbf}) {
        for (const std::string location : {"Links\\Shelf", "Links\\Shelf\\Deeper\\Still"})
            EXPECT_EQ(RunImport(file, location), 0) << file << " at " << location << ": " << message;
    }
    // Below the source: a node of each file, and Deeper\Still (made by the first file)
    // with a node of each.
    EXPECT_EQ(test::DumpTree(engine, shelf),
              "csv\nDeeper\n  Still\n    csv\n    kmt\n    xml\n    dbf\nkmt\nxml\ndbf\n")
        << test::DumpTree(engine);
    EXPECT_EQ(engine.FindNodeByPath("Links\\Shelf\\Deeper"), engine.FindNodeByPath("Shelf\\Deeper"));
}

// An export that meets a damaged record or a blob it cannot read ends with that error,
// not as if its location named no node.
TEST(ExportErrors, AnErrorWhileWalkingIsReportedAsItself) {
    struct TCase {
        const char* name;
        int damagedItemCount;  // of node 2's record; 0: as it is
        bool removeBlobFile;
        const char* expected;
    };
    const TCase cases[] = {
        {"damaged record", 9, false, "Database Damaged: the record of node 2"},
        {"missing blob file", 0, true, ".blb is missing"},
    };
    for (const TCase& c : cases) {
        for (const char* extension : {".xml", ".kmt"}) {
            SCOPED_TRACE(std::string(c.name) + ", " + extension);
            test::TTempDir dir;
            const std::string base = dir / "db";
            test::TRawDatabase raw;
            raw.blobs.push_back({1, {1, 2, 3}, 0});
            raw.nodes.push_back(
                {1, 0, 5, test::MakeRecord("holder", {{"b", ktBlob, test::BlobReference(1, 3)}}), 0, 0});
            raw.nodes.push_back({2, 1, 5, test::MakeRecord("child"), 0, 0});
            if (c.damagedItemCount) raw.nodes[1].record[2] = static_cast<uint8_t>(c.damagedItemCount);
            raw.Write(base);
            if (c.removeBlobFile) std::remove((base + ".blb").c_str());
            TKelmorClass engine;
            ASSERT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("admin", "secret")), kResultOK)
                << engine.LastErrorText();
            TJobCreation creation = CreateExportJob({nullptr, "Root", dir / (std::string("out") + extension), engine});
            ASSERT_TRUE(creation.job);
            creation.job->Run();
            EXPECT_EQ(creation.job->ResultCode(), TKelmorInOut::kError);
            EXPECT_NE(creation.job->ErrorMessage().find(c.expected), std::string::npos) << creation.job->ErrorMessage();
        }
    }
}

// A window told to stop reads the result at once while the job's thread may still set
// it: an error's code is only ever seen with its message.
TEST(JobResults, MayBeReadWhileTheJobRuns) {
    class TFailingJob : public TKelmorInOut {
    public:
        explicit TFailingJob(TKelmorClass& engine) : TKelmorInOut(nullptr, "Root", "file", engine) {}
        ~TFailingJob() override { Wait(); }

    protected:
        void Execute() override {
            for (int i = 0; i < 2000 && !AbortRequested(); ++i) {
                SetResultCode(kSuccess);
                SetError("failure number " + std::to_string(i));
            }
        }
    };
    test::TTempDir dir;
    TKelmorClass engine;
    ASSERT_EQ(engine.CreateDatabase(dir / "db", TKelmorClass::MakeLogin("admin", "")), kResultOK);
    TFailingJob job(engine);
    std::atomic<bool> done{false};
    job.SetOnCompleted([&](TKelmorInOut&) { done.store(true); });
    job.Start();
    while (!done.load()) {
        if (job.ResultCode() == TKelmorInOut::kError) {
            EXPECT_EQ(job.ErrorMessage().rfind("failure number ", 0), 0u);
        }
    }
    job.RequestAbort();
    job.Wait();
    EXPECT_EQ(job.ResultCode(), TKelmorInOut::kError);
    EXPECT_EQ(job.ErrorMessage(), "failure number 1999");
}

}  // namespace
}  // namespace kelmor
