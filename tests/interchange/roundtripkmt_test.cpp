// The whole tree exported to a .kmt file and imported into a fresh database comes back
// exactly: the same tree, every record byte for byte, every link with its source; and
// exporting the copy writes the same file again.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "interchange/tbranchwalker.h"
#include "interchange/texporterkmt.h"
#include "interchange/timportercsv.h"
#include "interchange/timporterdbf.h"
#include "interchange/timporterkmt.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/dbftable.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

double When(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    double dt = 0;
    EXPECT_TRUE(TryEncodeDateTime(y, mo, d, h, mi, s, 0, dt));
    return dt;
}

std::string Hex(const uint8_t* bytes, size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

// Every node below `parent`, depth first, one line each: its depth, then for a node its
// description, its keys as the program shows them and its whole record in hexadecimal,
// for a link the path of its source.
void DumpBranch(TKelmorClass& engine, int32_t parent, int depth, std::string& out) {
    for (const int32_t child : test::Children(engine, parent)) {
        out += std::to_string(depth) + " ";
        if (engine.IsLink(child)) {
            out += "-> \\" + FullNodePath(engine, engine.GetLinkSource(child)) + "\n";
            continue;
        }
        EXPECT_TRUE(engine.LoadNode(child));
        out += "[" + engine.GetDescription() + "]";
        for (uint16_t k = 1; k <= engine.KeyCount(); ++k)
            out += " " + engine.GetKeyName(k) + "=" + engine.KeyValueText(k);
        out += " {" + Hex(engine.RecordBytes(), engine.RecordLength()) + "}\n";
        DumpBranch(engine, child, depth + 1, out);
    }
}

std::string Dump(TKelmorClass& engine) {
    std::string out;
    DumpBranch(engine, TKelmorClass::RootNode(), 0, out);
    return out;
}

// The file's text without the name of the database it came from.
std::string ExportedText(const std::string& file) {
    const std::vector<uint8_t> bytes = test::ReadBytes(file);
    std::string text(bytes.begin(), bytes.end());
    const size_t name = text.find("; Exported from ");
    if (name != std::string::npos) text.erase(name, text.find("\r\n", name) - name);
    return text;
}

class RoundTripKMTTest : public test::DatabaseTest {
protected:
    // The whole tree exported under the settings, imported into a new database with the
    // same settings, and exported from there again; answers the dump of the copy and
    // checks that the second file is the first.
    std::string RoundTrip(const TRegionalSettings& settings) {
        engine.SetRegionalSettings(settings);
        const std::string first = Export("first.kmt");
        engine.Close();
        EXPECT_EQ(engine.CreateDatabase(dir / ("copy" + std::to_string(++copies_)), admin), kResultOK);
        engine.SetRegionalSettings(settings);
        {
            TImporterKMT job(nullptr, "Root", dir / "first.kmt", engine);
            job.Run();
            EXPECT_EQ(job.ResultCode(), 0) << job.ErrorMessage();
        }
        EXPECT_EQ(Export("second.kmt"), first);
        return Dump(engine);
    }

    std::string Export(const std::string& name) {
        TExporterKMT job(nullptr, "Root", dir / name, engine);
        job.SetExportDate(When(2060, 1, 2));
        job.Run();
        EXPECT_EQ(job.ResultCode(), 0);
        return ExportedText(dir / name);
    }

    int copies_ = 0;
};

// Short dates of two-digit years in several shapes, long times with every token the
// formatter writes; the last setting is written without any separators.
struct TSettingsCase {
    const char* shortDate;
    const char* longTime;
    const char* am;
    const char* pm;
    char decimalSeparator;
};

const TSettingsCase kSettings[] = {
    {"dd/mm/yy", "hh:nn:ss", "AM", "PM", '.'},
    {"m/d/yy", "h:nn:ss AM/PM", "AM", "PM", '.'},
    {"yy-mm-dd", "hh:nn:ss.zzz", "AM", "PM", '.'},
    {"dd-mmm-yy", "hhnnss", "AM", "PM", '.'},
    {"d mmmm yy", "h:nn:ss ampm", "vorm.", "nachm.", ','},
    {"ddd d.m.y", "h:nn:ss a/p", "", "", ','},
    {"yymmdd", "hhnnss", "AM", "PM", '.'},
};

TRegionalSettings SettingsOf(const TSettingsCase& c) {
    TRegionalSettings settings;
    settings.shortDateFormat = c.shortDate;
    settings.longTimeFormat = c.longTime;
    settings.timeAMString = c.am;
    settings.timePMString = c.pm;
    settings.decimalSeparator = c.decimalSeparator;
    settings.thousandsSeparator = c.decimalSeparator == ',' ? '.' : ',';
    return settings;
}

// Below the root:
//   Dates          the empty date, dates at the ends of the two-digit centuries, also with
//                  times of day
//   P
//     ""           an empty description (section "[\P\]"), with a child C ("[\P\\C]")
//     -> \""       a link to the top-level node with the empty description
//   ""             a top-level node with an empty description (section "[\]"), with a
//                  child of an empty description too, and a link ("LINK:[]")
//   L\L\...\L      300 levels, the deepest with a date
//   -> \P\""\C     a link held by the root ("LINK:[\]")
void BuildTree(TKelmorClass& engine) {
    engine.ClearNode();
    engine.SetDescription("Dates");
    engine.AddDateKey("empty", 0);
    const std::pair<const char*, double> dates[] = {
        {"1980", When(1980, 1, 1)},
        {"2049", When(2049, 12, 31)},
        {"2050", When(2050, 1, 1)},
        {"2060", When(2060, 5, 6)},
        {"2099", When(2099, 12, 31)},
        {"1980 time", When(1980, 1, 1, 0, 0, 2)},
        {"2049 time", When(2049, 12, 31, 23, 59, 58)},
        {"2050 time", When(2050, 1, 1, 12, 0, 0)},
        {"2060 time", When(2060, 5, 6, 13, 45, 58)},
        {"2099 time", When(2099, 12, 31, 0, 30, 0)},
    };
    for (const auto& [name, when] : dates) engine.AddDateKey(name, when);
    engine.AddDoubleKey("double", 0.1);
    engine.CreateNode(0);

    engine.ClearNode();
    engine.SetDescription("P");
    engine.AddByteKey("p", 1);
    const int32_t p = engine.CreateNode(0);
    engine.ClearNode();
    engine.SetDescription("");
    engine.AddDateKey("when", When(2060, 5, 6, 7, 8, 10));
    const int32_t pEmpty = engine.CreateNode(p);
    engine.ClearNode();
    engine.SetDescription("C");
    engine.AddStringKey("c", "child of the empty one");
    const int32_t c = engine.CreateNode(pEmpty);

    engine.ClearNode();
    engine.SetDescription("");
    engine.AddStringKey("top", "empty");
    const int32_t top = engine.CreateNode(0);
    engine.ClearNode();
    engine.SetDescription("");
    engine.AddByteKey("below", 2);
    engine.CreateNode(top);
    engine.MarkNode(c);
    engine.CreateLink(top);
    engine.MarkNode(top);
    engine.CreateLink(p);

    int32_t deep = 0;
    for (int level = 1; level <= 300; ++level) {
        engine.ClearNode();
        engine.SetDescription("L");
        if (level == 300) engine.AddDateKey("deepest", When(2099, 12, 31, 23, 59, 58));
        deep = engine.CreateNode(deep);
    }
    engine.MarkNode(c);
    engine.CreateLink(0);
}

TEST_F(RoundTripKMTTest, DatesEmptyDescriptionsAndDeepNodesComeBackExactly) {
    for (const TSettingsCase& c : kSettings) {
        SCOPED_TRACE(std::string(c.shortDate) + " " + c.longTime);
        engine.Close();
        ASSERT_EQ(engine.CreateDatabase(dir / ("original" + std::to_string(&c - kSettings)), admin), kResultOK);
        engine.SetRegionalSettings(SettingsOf(c));
        BuildTree(engine);
        const std::string original = Dump(engine);
        EXPECT_EQ(RoundTrip(SettingsOf(c)), original);
    }
}

// The .kmt file written under a two-digit-year short date still holds every century.
TEST_F(RoundTripKMTTest, TheFileHoldsFourDigitYears) {
    BuildTree(engine);
    engine.SetRegionalSettings(SettingsOf(kSettings[0]));
    const std::string text = Export("dates.kmt");
    EXPECT_NE(text.find("; 02/01/2060\r\n"), std::string::npos);
    EXPECT_NE(text.find(" \"empty\"=datetime:\"30/12/1899\"\r\n"), std::string::npos);
    EXPECT_NE(text.find(" \"2060 time\"=datetime:\"06/05/2060 13:45:58\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("[\\P\\]\r\n"), std::string::npos);
    EXPECT_NE(text.find("[\\P\\\\C]\r\n"), std::string::npos);
    EXPECT_NE(text.find("[\\]\r\n"), std::string::npos);
    EXPECT_NE(text.find("LINK:[]\r\n \"\\P\\\\C\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("LINK:[\\]\r\n \"\\P\\\\C\"\r\n"), std::string::npos);
}

// dBase dates go into date keys with their centuries, and records with an empty first
// field become nodes with empty descriptions; both survive a .kmt round trip.
TEST_F(RoundTripKMTTest, ADBaseImportSurvivesTheTextFormat) {
    TRegionalSettings settings;
    settings.shortDateFormat = "dd/mm/yy";
    engine.SetRegionalSettings(settings);
    const std::pair<const char*, double> records[] = {
        {"19800101", When(1980, 1, 1)}, {"20491231", When(2049, 12, 31)}, {"20500101", When(2050, 1, 1)},
        {"20600506", When(2060, 5, 6)}, {"20991231", When(2099, 12, 31)}, {"19791231", 0},
    };
    std::vector<std::pair<char, std::vector<std::string>>> rows;
    // (the record of 2060 has no name: its node has an empty description, section [\Staff\])
    const auto nameOf = [](const std::string& born) { return born == "20600506" ? std::string() : born; };
    for (const auto& [born, when] : records) rows.push_back({' ', {nameOf(born), born}});
    test::WriteBytes(dir / "staff.dbf", test::MakeTable({{"NAME", 'C', 8}, {"BORN", 'D', 8}}, rows));
    {
        TImporterDBF job(nullptr, "Root\\Staff", dir / "staff.dbf", engine);
        job.Run();
        ASSERT_EQ(job.ResultCode(), 0) << job.ErrorMessage();
    }
    const auto checkDates = [&] {
        const int32_t staff = engine.FindNodeByPath("Staff");
        ASSERT_GT(staff, 0);
        TKelmorNodeRec rec;
        bool more = engine.FindFirstChild(rec, staff);
        for (const auto& [born, when] : records) {
            ASSERT_TRUE(more) << born;
            ASSERT_TRUE(engine.LoadNode(rec.currentID));
            EXPECT_EQ(engine.GetDescription(), nameOf(born));
            EXPECT_EQ(engine.GetDateKey(1), when) << born;
            more = engine.FindNextChild(rec);
        }
        EXPECT_FALSE(more);
    };
    checkDates();
    const std::string original = Dump(engine);
    EXPECT_EQ(RoundTrip(settings), original);
    checkDates();
}

// A CSV import of every key type, dates of two-digit years read by the century rule and
// lines without a first field (empty descriptions) survives a .kmt round trip.
TEST_F(RoundTripKMTTest, ACSVImportSurvivesTheTextFormat) {
    TRegionalSettings settings;
    settings.shortDateFormat = "dd/mm/yy";
    settings.decimalSeparator = ',';
    settings.thousandsSeparator = '.';
    engine.SetRegionalSettings(settings);
    const std::string text =
        "name,born,count,ratio,price,mass,bytes\n"
        "Ann,01/01/80,300,\"1,5\",\"12,345\",\"0,1\",AB\n"
        ",31/12/49 23:59:58,-70000,INF,\"-0,5\",NAN,\n"  // no name: an empty description
        "Cy,06/05/2060,2147483648,\"-1,25E2\",0,\"1E300\",\x01\x7F\xE9\n";
    test::WriteBytes(dir / "people.csv", std::vector<uint8_t>(text.begin(), text.end()));
    {
        TImporterCSV job(nullptr, "Root\\People", dir / "people.csv", engine);
        job.CSVOptions().Apply(true, false);  // names from the first line, plain comma rules
        const uint8_t types[] = {ktDate, ktLongint, ktFloat, ktCurrency, ktDouble, ktSequence};
        for (int field = 1; field <= 6; ++field) job.Options().SetKeyType(field, types[field - 1]);
        job.Run();
        ASSERT_EQ(job.ResultCode(), 0) << job.ErrorMessage();
    }
    const int32_t people = engine.FindNodeByPath("People");
    ASSERT_GT(people, 0);
    TKelmorNodeRec rec;
    ASSERT_TRUE(engine.FindFirstChild(rec, people));
    ASSERT_TRUE(engine.FindNextChild(rec));
    ASSERT_TRUE(engine.LoadNode(rec.currentID));
    EXPECT_EQ(engine.GetDescription(), "");
    EXPECT_EQ(engine.GetDateKey(1), When(2049, 12, 31, 23, 59, 58));  // (dates keep even seconds)
    ASSERT_TRUE(engine.FindNextChild(rec));
    ASSERT_TRUE(engine.LoadNode(rec.currentID));
    EXPECT_EQ(engine.GetDateKey(1), When(2060, 5, 6));
    const std::string original = Dump(engine);
    EXPECT_EQ(RoundTrip(settings), original);
}

}  // namespace
}  // namespace kelmor
