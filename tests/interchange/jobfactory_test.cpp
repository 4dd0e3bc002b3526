#include <gtest/gtest.h>

#include "interchange/jobfactory.h"
#include "interchange/texporterkmt.h"
#include "interchange/texporterxml.h"
#include "interchange/timportercsv.h"
#include "interchange/timporterkmt.h"
#include "interchange/timporterxml.h"
#include "tests/testsupport/dbfixture.h"

namespace kelmor {
namespace {

using JobFactoryTest = test::DatabaseTest;

TEST_F(JobFactoryTest, TheExtensionChoosesTheJobInAnyLetterCase) {
    auto exportJob = [&](const std::string& file) { return CreateExportJob({nullptr, "Root", file, engine}); };
    auto importJob = [&](const std::string& file) { return CreateImportJob({nullptr, "Root", file, engine}); };
    EXPECT_NE(dynamic_cast<TExporterXML*>(exportJob("a/b.Xml").job.get()), nullptr);
    EXPECT_NE(dynamic_cast<TExporterKMT*>(exportJob("b.KMT").job.get()), nullptr);
    EXPECT_NE(dynamic_cast<TImporterKMT*>(importJob("dir.xml/b.kmt").job.get()), nullptr);

    EXPECT_NE(dynamic_cast<TImporterXML*>(importJob("b.XML").job.get()), nullptr);
    test::WriteBytes(dir / "table.Csv", {'a', ',', 'b', '\n'});
    const TJobCreation csv = importJob(dir / "table.Csv");
    EXPECT_NE(dynamic_cast<TImporterCSV*>(csv.job.get()), nullptr) << csv.reason;

    const TJobCreation unreadable = importJob(dir / "missing.dbf");  // a table is read at once
    EXPECT_EQ(unreadable.job, nullptr);
    EXPECT_TRUE(unreadable.knownFormat);
    EXPECT_NE(unreadable.reason.find("missing.dbf"), std::string::npos) << unreadable.reason;

    const TJobCreation unknown = exportJob("b.csv");
    EXPECT_EQ(unknown.job, nullptr);
    EXPECT_FALSE(unknown.knownFormat);
    EXPECT_EQ(unknown.reason, "Unknown file type \".csv\": export writes .xml and .kmt files.");
    EXPECT_EQ(importJob("dir.kmt/noextension").reason,
              "The file name has no extension: import reads .xml, .kmt, .dbf and .csv files.");
}

TEST(UpperCaseExtension, IsTheFileNamesOwn) {
    EXPECT_EQ(UpperCaseExtension("stock.kmt"), ".KMT");
    EXPECT_EQ(UpperCaseExtension("/a.b/stock.tar.Xml"), ".XML");
    EXPECT_EQ(UpperCaseExtension("/a.b/stock"), "");
    EXPECT_EQ(UpperCaseExtension("stock."), ".");
}

}  // namespace
}  // namespace kelmor
