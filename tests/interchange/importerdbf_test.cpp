#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "interchange/extended80.h"
#include "interchange/timporterdbf.h"
#include "interchange/txbasetable.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/dbftable.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

using test::Children;
using test::MakeTable;
using test::TDbfField;

void Put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

// A record of kStaff with good values.
std::pair<char, std::vector<std::string>> Staff(const std::string& name, char flag = ' ') {
    return {flag, {name, "19800215", "1.5", "T"}};
}

const std::vector<TDbfField> kStaff = {{"NAME", 'C', 10}, {"BORN", 'D', 8}, {"SALARY", 'N', 10}, {"ACTIVE", 'l', 1}};

class ImporterDBFTest : public test::DatabaseTest {
protected:
    void SetUp() override {
        test::DatabaseTest::SetUp();
        TRegionalSettings settings;
        settings.shortDateFormat = "dd/mm/yyyy";
        engine.SetRegionalSettings(settings);
    }

    void WriteTable(const std::vector<uint8_t>& bytes) { test::WriteBytes(file, bytes); }

    // Runs the job after `adjust` has changed its options; answers its result code.
    int Import(const std::string& location = "Root", const std::function<void(TImporterOptions&)>& adjust = nullptr) {
        TImporterDBF job([this](TKelmorInOut&, const std::string& text) { progress.push_back(text); }, location, file,
                         engine);
        if (adjust) adjust(job.Options());
        job.Run();
        errorMessage = job.ErrorMessage();
        startNode = job.StartNode();
        return job.ResultCode();
    }

    // The keys of a node as "Name:type=text" joined by " | ".
    std::string Keys(int32_t node) {
        EXPECT_TRUE(engine.LoadNode(node));
        std::string text;
        for (uint16_t k = 1; k <= engine.KeyCount(); ++k) {
            if (k > 1) text += " | ";
            text += engine.GetKeyName(k) + ":" + KeyTypeName(engine.KeyType(k)) + "=" + engine.KeyValueText(k);
        }
        return text;
    }

    std::string file = dir / "staff.dbf";
    std::vector<std::string> progress;
    std::string errorMessage;
    int32_t startNode = -2;
};

TEST_F(ImporterDBFTest, TheConstructorDescribesTheFieldsWithDefaultKeyTypes) {
    WriteTable(MakeTable(kStaff, {{' ', {"Alice"}}}));
    TImporterDBF job(nullptr, "Root", file, engine);
    const TImporterOptions& options = job.Options();
    EXPECT_EQ(options.Flags(), 3u);
    EXPECT_EQ(options.OptionsForm(), nullptr);
    ASSERT_EQ(options.FieldCount(), 4);
    const char* names[] = {"NAME", "BORN", "SALARY", "ACTIVE"};
    const char* sources[] = {"String", "Date", "Numeric", "Logical"};
    const uint8_t keyTypes[] = {ktString, ktDate, ktFloat, ktByte};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(options.KeyName(i), names[i]);
        EXPECT_EQ(options.SourceTypeText(i), sources[i]);
        EXPECT_EQ(options.SourceTypeCode(i), i + 1);  // the type character is read in upper case ('l')
        EXPECT_EQ(options.KeyType(i), keyTypes[i]);
    }
    EXPECT_EQ(job.Table().RecordCount(), 1);
}

TEST_F(ImporterDBFTest, DefaultOptionsDescribeByTheFirstFieldAndStopAtADeletedRecord) {
    WriteTable(MakeTable(kStaff, {{' ', {"Alice", "19800215", "   1234.50", "T"}},
                                  {'*', {"Bob", "19700101", "       1.0", "F"}},
                                  {' ', {"Carol", "19900101", "       2.0", "Y"}}}));
    ASSERT_EQ(Import(), 0) << errorMessage;
    const std::vector<int32_t> nodes = Children(engine, 0);
    ASSERT_EQ(nodes.size(), 1u);
    ASSERT_TRUE(engine.LoadNode(nodes[0]));
    EXPECT_EQ(engine.GetDescription(), "Alice");
    EXPECT_EQ(Keys(nodes[0]), "Born:datetime=15/02/1980 | Salary:float=1234.500 | Active:byte=1");
    EXPECT_EQ(progress, (std::vector<std::string>{"Parsing DBF Header...", "Importing DBF...", "Record 1"}));
}

TEST_F(ImporterDBFTest, ChangedOptionsRenameRetypeAndKeepTheFirstField) {
    WriteTable(MakeTable(kStaff, {{' ', {"Alice", "19800215", "    -2.5", "y"}}}));
    ASSERT_EQ(Import("Root",
                     [](TImporterOptions& options) {
                         options.SetFlags(0);  // names as they are, the first field is a key too
                         options.SetKeyName(0, "Full Name");
                         options.SetKeyType(1, ktString);  // the date in the short date format
                         options.SetKeyName(2, "pay");
                         options.SetKeyType(2, ktCurrency);
                         options.SetKeyType(3, ktString);
                     }),
              0)
        << errorMessage;
    const std::vector<int32_t> nodes = Children(engine, 0);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(Keys(nodes[0]),
              "Full Name:string=Alice | BORN:string=15/02/1980 | pay:currency=-2.500 | "
              "ACTIVE:string=1");
}

// A date field goes into a date key straight from its YYYYMMDD: through the text of a
// short date of two-digit years 2060 would come back as 1960, which no date key holds.
// Other key types still take the short date's text.
TEST_F(ImporterDBFTest, ADateFieldKeepsItsCenturyWhateverTheShortDate) {
    TRegionalSettings settings;
    settings.shortDateFormat = "dd/mm/yy";
    engine.SetRegionalSettings(settings);
    struct TCase {
        const char* value;
        double date;  // 0: no date
        const char* text;
    };
    const TCase cases[] = {
        {"19800101", EncodeDate(1980, 1, 1), "01/01/80"},
        {"20491231", EncodeDate(2049, 12, 31), "31/12/49"},
        {"20500101", EncodeDate(2050, 1, 1), "01/01/50"},
        {"20600506", EncodeDate(2060, 5, 6), "06/05/60"},
        {"20991231", EncodeDate(2099, 12, 31), "31/12/99"},
        {"19791231", 0, "31/12/79"},
        {"21000101", 0, "01/01/00"},
    };
    std::vector<std::pair<char, std::vector<std::string>>> records;
    for (const TCase& c : cases) records.push_back({' ', {c.value, c.value, c.value}});
    WriteTable(MakeTable({{"ID", 'C', 8}, {"WHEN", 'D', 8}, {"SHOWN", 'D', 8}}, records));
    ASSERT_EQ(Import("Root", [](TImporterOptions& o) { o.SetKeyType(2, ktString); }), 0) << errorMessage;
    const std::vector<int32_t> nodes = Children(engine, 0);
    ASSERT_EQ(nodes.size(), std::size(cases));
    for (size_t i = 0; i < nodes.size(); ++i) {
        ASSERT_TRUE(engine.LoadNode(nodes[i]));
        EXPECT_EQ(engine.GetDescription(), cases[i].value);
        EXPECT_EQ(engine.GetDateKey(1), cases[i].date) << cases[i].value;
        EXPECT_EQ(engine.GetStringKey(2), cases[i].text) << cases[i].value;
    }
}

TEST_F(ImporterDBFTest, SkippingEmptyAndZeroValuesLeavesThoseKeysOut) {
    WriteTable(MakeTable({{"NAME", 'C', 8}, {"NOTE", 'C', 8}, {"SALARY", 'N', 6}, {"ACTIVE", 'L', 1}},
                         {{' ', {"Zed", "", "0.00", "N"}}, {' ', {"Amy", "hi", "1", "T"}}}));
    ASSERT_EQ(Import("Root", [](TImporterOptions& o) { o.SetFlags(o.Flags() | TImporterOptions::kSkipEmptyValues); }),
              0);
    const std::vector<int32_t> nodes = Children(engine, 0);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(Keys(nodes[0]), "");
    EXPECT_EQ(Keys(nodes[1]), "Note:string=hi | Salary:float=1.000 | Active:byte=1");
    // Without the flag the same values give keys.
    ASSERT_EQ(Import(), 0);
    EXPECT_EQ(Keys(Children(engine, 0)[2]), "Note:string= | Salary:float=0.000 | Active:byte=0");
}

TEST_F(ImporterDBFTest, MixedCaseTitlesTreatLatin1LettersAsLetters) {
    WriteTable(MakeTable({{"NAME", 'C', 4}, {"\xC9TAT NA\xCFVE", 'C', 4}}, {{' ', {"a", "b"}}}));
    ASSERT_EQ(Import(), 0);
    EXPECT_EQ(Keys(Children(engine, 0)[0]), "\xC9tat na\xEFve:string=b");
}

// The number rule for every key type, with the values -1234.5, 300.75 and 45000.5.
TEST_F(ImporterDBFTest, TheNumberRuleConvertsToEveryKeyType) {
    WriteTable(MakeTable({{"ID", 'C', 2}, {"V", 'N', 10}},
                         {{' ', {"a", "  -1234.5"}}, {' ', {"b", "    300.75"}}, {' ', {"c", "   45000.5"}}}));
    struct TCase {
        uint8_t type;
        std::array<const char*, 3> texts;
    };
    const TCase cases[] = {
        {ktByte, {"46", "44", "200"}},  // truncated, then the low-order bytes
        {ktInteger, {"-1234", "300", "-20536"}},
        {ktLongint, {"-1234", "300", "45000"}},
        {ktFloat, {"-1234.500", "300.750", "45000.500"}},
        {ktDouble, {"-1234.5", "300.75", "45000.5"}},
        {ktString, {"-1234.5", "300.75", "45000.5"}},
        {ktCurrency, {"-1234.500", "300.750", "45000.500"}},
        // a day count; dates before 1980 are stored as no date (shown as day 0)
        {ktDate, {"30/12/1899", "30/12/1899", "15/03/2023 12:00:00"}},
    };
    for (const TCase& c : cases) {
        const int32_t top = AddNode(KeyTypeName(c.type));
        ASSERT_EQ(Import(KeyTypeName(c.type), [&](TImporterOptions& o) { o.SetKeyType(1, c.type); }), 0);
        const std::vector<int32_t> nodes = Children(engine, top);
        ASSERT_EQ(nodes.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(Keys(nodes[i]), std::string("V:") + KeyTypeName(c.type) + "=" + c.texts[i]) << int(c.type);
        }
    }
}

TEST_F(ImporterDBFTest, ANumberAsSequenceOrBlobIsItsExtendedForm) {
    WriteTable(MakeTable({{"ID", 'C', 2}, {"V", 'N', 8}, {"W", 'N', 8}}, {{' ', {"a", "1", "-0.1"}}}));
    ASSERT_EQ(Import("Root",
                     [](TImporterOptions& o) {
                         o.SetKeyType(1, ktSequence);
                         o.SetKeyType(2, ktBlob);
                     }),
              0);
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[0]));
    const std::string one = engine.GetSequenceKey(1);
    EXPECT_EQ(std::vector<uint8_t>(one.begin(), one.end()),
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    const auto expected = DoubleToExtended80(static_cast<double>(-0.1f));  // held in single precision
    const std::vector<uint8_t> blob = engine.GetBlobKey(2);
    EXPECT_EQ(blob, std::vector<uint8_t>(expected.begin(), expected.end()));
}

TEST_F(ImporterDBFTest, TheTruthRuleConvertsToEveryKeyType) {
    WriteTable(MakeTable({{"ID", 'C', 2}, {"OK", 'L', 1}}, {{' ', {"a", "t"}}, {' ', {"b", "?"}}}));
    struct TCase {
        uint8_t type;
        const char* yes;
        const char* no;
    };
    const TCase cases[] = {{ktByte, "1", "0"},          {ktInteger, "1", "0"},         {ktLongint, "1", "0"},
                           {ktFloat, "1.000", "0.000"}, {ktDouble, "1", "0"},          {ktString, "1", "0"},
                           {ktSequence, "01", "00"},    {ktCurrency, "1.000", "0.000"}};
    for (const TCase& c : cases) {
        const int32_t top = AddNode(KeyTypeName(c.type));
        ASSERT_EQ(Import(KeyTypeName(c.type), [&](TImporterOptions& o) { o.SetKeyType(1, c.type); }), 0);
        const std::vector<int32_t> nodes = Children(engine, top);
        ASSERT_EQ(nodes.size(), 2u);
        EXPECT_EQ(Keys(nodes[0]), std::string("Ok:") + KeyTypeName(c.type) + "=" + c.yes);
        EXPECT_EQ(Keys(nodes[1]), std::string("Ok:") + KeyTypeName(c.type) + "=" + c.no);
    }
}

TEST_F(ImporterDBFTest, TheDescriptionFollowsTheFirstFieldsType) {
    struct TCase {
        TDbfField field;
        const char* value;
        const char* description;
    };
    const TCase cases[] = {
        {{"D", 'D', 8}, "20240229", "29/02/2024"},
        {{"N", 'N', 12}, "  123456.789", "123456.789"},       // single precision, 11 digits, 3 decimals
        {{"N", 'N', 12}, "123456789012", "1.2345679053E11"},  // more than 11 integer digits: scientific
        {{"N", 'N', 4}, "-2", "-2.000"},
        {{"L", 'L', 1}, "Y", "1"},
        {{"C", 'C', 6}, "  ab  ", "  ab"},   // leading spaces stay, trailing ones go
        {{"M", 'M', 10}, "0000000001", ""},  // an unknown type gives an empty description
    };
    int n = 0;
    for (const TCase& c : cases) {
        const std::string top = "case" + std::to_string(++n);
        const int32_t parent = AddNode(top);
        WriteTable(MakeTable({c.field, {"X", 'C', 2}}, {{' ', {c.value, "x"}}}));
        ASSERT_EQ(Import(top), 0) << errorMessage;
        ASSERT_EQ(Children(engine, parent).size(), 1u);
        ASSERT_TRUE(engine.LoadNode(Children(engine, parent)[0]));
        EXPECT_EQ(engine.GetDescription(), c.description) << c.value;
        EXPECT_EQ(engine.KeyCount(), 1) << c.value;  // the key of field 2 stands in its place
        EXPECT_EQ(engine.GetKeyName(1), "X");
    }
}

TEST_F(ImporterDBFTest, BadValuesEndTheImportNamingRecordAndField) {
    struct TCase {
        std::vector<std::pair<char, std::vector<std::string>>> records;
        const char* message;
        size_t imported;
    };
    const TCase cases[] = {
        {{{' ', {"Alice", "19800215", "1", "T"}}, {' ', {"Bob", "", "1", "T"}}},
         "Unable to set key value.\n\n(record #2, field #2)",
         1},
        {{{' ', {"Alice", "19801315", "1", "T"}}}, "Unable to set key value.\n\n(record #1, field #2)", 0},
        {{{' ', {"Alice", "19800215", "", "T"}}}, "Unable to set key value.\n\n(record #1, field #3)", 0},
        {{{' ', {"Alice", "19800215", "1,5", "T"}}}, "Unable to set key value.\n\n(record #1, field #3)", 0},
    };
    for (const TCase& c : cases) {
        engine.Close();
        ASSERT_EQ(engine.CreateDatabase(dir / ("db" + std::to_string(&c - cases)), admin), kResultOK);
        WriteTable(MakeTable(kStaff, c.records));
        EXPECT_EQ(Import(), TKelmorInOut::kError);
        EXPECT_EQ(errorMessage, c.message);
        EXPECT_EQ(Children(engine, 0).size(), c.imported);
    }
    // A bad first field is a description error.
    WriteTable(MakeTable({{"N", 'N', 4}, {"C", 'C', 1}}, {{' ', {"1", "a"}}, {' ', {"", "b"}}}));
    EXPECT_EQ(Import(), TKelmorInOut::kError);
    EXPECT_EQ(errorMessage, "Unable to set description.\n\n(record #2)");
}

TEST_F(ImporterDBFTest, AFieldThatGivesNoKeyIsNotRead) {
    WriteTable(MakeTable(kStaff, {{' ', {"Alice", "", "", "T"}}}));
    ASSERT_EQ(Import("Root",
                     [](TImporterOptions& o) {
                         o.SetKeyType(1, TImporterOptions::kNoKey);
                         o.SetKeyType(2, TImporterOptions::kNoKey);
                     }),
              0)
        << errorMessage;
    EXPECT_EQ(Keys(Children(engine, 0)[0]), "Active:byte=1");
}

TEST_F(ImporterDBFTest, TheImportEndsAtAShortRecordOrAfterTheHeadersRecordCount) {
    std::vector<uint8_t> table = MakeTable(kStaff, {Staff("A"), Staff("B"), Staff("C")});
    table.pop_back();                // the 0x1A mark
    table.resize(table.size() - 5);  // the third record is cut short
    WriteTable(table);
    ASSERT_EQ(Import(), 0);
    EXPECT_EQ(Children(engine, 0).size(), 2u);

    // Records behind the header's count are not part of the table.
    table = MakeTable(kStaff, {Staff("D"), Staff("E")});
    table[4] = 1;
    WriteTable(table);
    ASSERT_EQ(Import(), 0);
    EXPECT_EQ(Children(engine, 0).size(), 3u);

    // No records: nothing to do.
    table[4] = 0;
    WriteTable(table);
    ASSERT_EQ(Import(), 0);
    EXPECT_EQ(Children(engine, 0).size(), 3u);
}

TEST_F(ImporterDBFTest, ALocationThatNamesNoNodeIsCreated) {
    WriteTable(MakeTable(kStaff, {Staff("Alice")}));
    ASSERT_EQ(Import("Root\\Staff\\2024"), 0) << errorMessage;
    const int32_t made = engine.FindNodeByPath("Staff\\2024");
    ASSERT_GT(made, 0);
    EXPECT_EQ(startNode, made);
    EXPECT_EQ(Children(engine, made).size(), 1u);
}

TEST_F(ImporterDBFTest, AnAbortedImportStopsBetweenRecords) {
    WriteTable(MakeTable(kStaff, {Staff("A"), Staff("B"), Staff("C")}));
    TImporterDBF job(nullptr, "Root", file, engine);
    job.RequestAbort();
    job.Run();
    EXPECT_EQ(job.ResultCode(), 0);
    EXPECT_TRUE(Children(engine, 0).empty());
}

TEST_F(ImporterDBFTest, DamagedTablesAreRefusedWithAClearMessage) {
    const std::vector<uint8_t> good = MakeTable(kStaff, {{' ', {"Alice"}}});
    struct TCase {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* message;
    };
    std::vector<TDbfField> many(256, TDbfField{"F", 'C', 1});
    const TCase cases[] = {
        {"short file", [](std::vector<uint8_t>& b) { b.resize(20); }, "shorter than a table header"},
        {"record length 0", [](std::vector<uint8_t>& b) { Put16(b, 10, 0); }, "the record length is 0"},
        {"header beyond the file", [](std::vector<uint8_t>& b) { Put16(b, 8, 60000); },
         "header length (60000 bytes) reaches beyond the end of the file"},
        {"header too small", [](std::vector<uint8_t>& b) { Put16(b, 8, 20); }, "leaves no room"},
        {"fields overrun the record", [](std::vector<uint8_t>& b) { Put16(b, 10, 12); },
         "field 2 (BORN, 8 bytes) reaches beyond the record length (12 bytes)"},
        {"field length overruns", [](std::vector<uint8_t>& b) { b[32 + 32 * 3 + 16] = 200; },
         "field 4 (ACTIVE, 200 bytes)"},
        {"no fields", [](std::vector<uint8_t>& b) { b[32] = 0x0D; }, "it has no fields"},
        {"256 fields", [&](std::vector<uint8_t>& b) { b = MakeTable(many, {}); }, "more than 255 fields"},
    };
    for (const TCase& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        WriteTable(bytes);
        try {
            TImporterDBF job(nullptr, "Root", file, engine);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.what << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find("is not a valid dBase table"), std::string::npos) << c.what;
        }
    }
    EXPECT_TRUE(Children(engine, 0).empty());
    // 255 fields are fine.
    many.pop_back();
    WriteTable(MakeTable(many, {{' ', {"a"}}}));
    TImporterDBF job(nullptr, "Root", file, engine);
    EXPECT_EQ(job.Options().FieldCount(), 255);

    // A file that cannot be opened is an error too, not an empty import.
    EXPECT_THROW(TImporterDBF(nullptr, "Root", dir / "missing.dbf", engine), std::runtime_error);
    EXPECT_THROW(TImporterDBF(nullptr, "Root", dir.Path(), engine), std::runtime_error);
}

TEST_F(ImporterDBFTest, DescriptorsEndAtTheHeaderLength) {
    // Without the 0x0D mark the descriptors end where the header length says the records
    // begin; the records are not read as descriptors.
    std::vector<uint8_t> table = MakeTable({{"NAME", 'C', 39}}, {{' ', {"Ann"}}, {' ', {"Bob"}}});
    table.erase(table.begin() + 64);  // the mark
    Put16(table, 8, 64);
    WriteTable(table);
    TImporterDBF job(nullptr, "Root", file, engine);
    EXPECT_EQ(job.Options().FieldCount(), 1);
    job.Run();
    ASSERT_EQ(job.ResultCode(), 0) << job.ErrorMessage();
    ASSERT_EQ(Children(engine, 0).size(), 2u);
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[1]));
    EXPECT_EQ(engine.GetDescription(), "Bob");
}

TEST(TXbaseTableValues, DatesNumbersAndTruthValuesConvertAsDBaseWritesThem) {
    test::TTempDir dir;
    const std::string file = dir / "v.dbf";
    test::WriteBytes(file, MakeTable({{"D", 'D', 8}, {"N", 'N', 12}, {"L", 'L', 1}}, {{' ', {"  991231", "  1,5", "t"}},
                                                                                      {' ', {"  490101", "1.25", " "}},
                                                                                      {' ', {"20230230", "x", "1"}}}));
    TXbaseTable table(file);
    TRegionalSettings comma;
    comma.decimalSeparator = ',';
    comma.thousandsSeparator = '.';
    ASSERT_EQ(table.ReadNextRecord(), 0);
    EXPECT_EQ(table.FieldDate(1), EncodeDate(1999, 12, 31));           // a two-digit year below 50 is 20yy, else 19yy
    EXPECT_THROW(table.FieldNumber(2, comma), std::invalid_argument);  // "," becomes the thousands separator
    EXPECT_TRUE(table.FieldTruth(3));
    ASSERT_EQ(table.ReadNextRecord(), 0);
    EXPECT_EQ(table.FieldDate(1), EncodeDate(2049, 1, 1));
    EXPECT_EQ(table.FieldNumber(2, comma), 1.25f);  // "." becomes the decimal separator
    EXPECT_FALSE(table.FieldTruth(3));
    ASSERT_EQ(table.ReadNextRecord(), 0);
    EXPECT_EQ(table.NextRecordNumber(), 4);
    EXPECT_THROW(table.FieldDate(1), std::invalid_argument);  // 30 February
    EXPECT_THROW(table.FieldNumber(2, comma), std::invalid_argument);
    EXPECT_TRUE(table.FieldTruth(3));
    EXPECT_EQ(table.ReadNextRecord(), -1);
}

TEST(Extended80, MatchesTheX87FormatExactly) {
    struct TCase {
        double value;
        std::array<uint8_t, 10> bytes;
    };
    const TCase cases[] = {
        {0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {-0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}},
        {1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
        {-2.5, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}},
        {0.1, {0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}},
        {4.9406564584124654e-324, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}},  // the smallest subnormal: 2^-1074
        {HUGE_VAL, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}},
        {-HUGE_VAL, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}},
    };
    for (const TCase& c : cases) EXPECT_EQ(DoubleToExtended80(c.value), c.bytes) << c.value;
    const auto nan = DoubleToExtended80(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(nan[9] & 0x7F, 0x7F);
    EXPECT_EQ(nan[8], 0xFF);
    EXPECT_EQ(nan[7] & 0xC0, 0xC0);  // integer bit and quiet bit

#if defined(__x86_64__) || defined(__i386__)
    // Where long double is the x87 format, the hardware's own conversion must agree.
    static_assert(LDBL_MANT_DIG == 64);
    for (const double value :
         {3.14159265358979, -1e300, 1e-310, 123456.789f * 1.0, DBL_MAX, -DBL_MIN, 2.2250738585072009e-308}) {
        const long double extended = value;
        std::array<uint8_t, 10> bytes{};
        std::memcpy(bytes.data(), &extended, 10);
        EXPECT_EQ(DoubleToExtended80(value), bytes) << value;
    }
#endif
}

}  // namespace
}  // namespace kelmor
