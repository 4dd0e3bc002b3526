#include <gtest/gtest.h>

#include <sstream>

#include "interchange/tcsvoptions.h"
#include "interchange/tcsvreader.h"
#include "interchange/timportercsv.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

using test::Children;

std::vector<std::string> FieldsOf(const TCSVReader& reader) {
    std::vector<std::string> fields;
    for (int i = 1; i <= reader.FieldCount(); ++i) fields.emplace_back(reader.Field(i));
    return fields;
}

// Every record the reader delivers, each as its fields.
std::vector<std::vector<std::string>> ReadAll(const std::string& text, bool sdf, size_t bufferSize = 4096) {
    std::istringstream stream(text);
    TCSVReader reader(stream, bufferSize);
    reader.SetSDFMode(sdf);
    std::vector<std::vector<std::string>> records;
    while (reader.NextRecord()) records.push_back(FieldsOf(reader));
    EXPECT_FALSE(reader.NextRecord());  // the end stays the end
    return records;
}

using TRecords = std::vector<std::vector<std::string>>;

TEST(TCSVReader, SplitsLinesByBothRuleSets) {
    struct TCase {
        const char* line;
        TRecords sdf;
        TRecords plain;
    };
    const TCase cases[] = {
        {"a b,\"c, d\"", {{"a", "b", "c, d"}}, {{"a b", "c, d"}}},
        {"x,,y", {{"x", "", "y"}}, {{"x", "", "y"}}},
        {"x,y,", {{"x", "y"}}, {{"x", "y"}}},
        {",a", {{"", "a"}}, {{"", "a"}}},
        {"\"say \"\"hi\"\"\",\"\"\"\"", {{"say \"hi\"", "\""}}, {{"say \"hi\"", "\""}}},
        {"  lead , trail  ", {{"lead", "trail"}}, {{"  lead ", " trail  "}}},
        {"a\tb", {{"a", "b"}}, {{"a", "b"}}},  // a tab is blank under both
        {"\"unclosed, to the end", {{"unclosed, to the end"}}, {{"unclosed, to the end"}}},
        {"\"q\"tail,z", {{"q", "tail", "z"}}, {{"q", "tail", "z"}}},
        {"   ", {{}}, {{"   "}}},  // a line of spaces has no field under the SDF rules
        {"\xE9t\xE9,\x7F", {{"\xE9t\xE9", "\x7F"}}, {{"\xE9t\xE9", "\x7F"}}},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ReadAll(c.line, true), c.sdf) << c.line;
        EXPECT_EQ(ReadAll(c.line, false), c.plain) << c.line;
    }
}

TEST(TCSVReader, LineEndsAndBlankLinesWhateverTheBlockSize) {
    struct TCase {
        const char* text;
        TRecords records;
    };
    const TCase cases[] = {
        {"a\r\nb\r\n\r\nc\r\n", {{"a"}, {"b"}}},  // a blank line in a CR LF file ends the data
        {"a\nb\n\nc\n", {{"a"}, {"b"}, {"c"}}},   // LF LF is one line end
        {"a\n\n\nc\n", {{"a"}}},                  // two blank lines in an LF file end it
        {"a\rb\n\rc\r\rd", {{"a"}, {"b"}, {"c"}, {"d"}}},
        {"a\nlast", {{"a"}, {"last"}}},
        {"\r\na", {}},
        {"", {}},
    };
    for (const size_t block : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{4096}}) {
        for (const TCase& c : cases) EXPECT_EQ(ReadAll(c.text, true, block), c.records) << c.text << " / " << block;
    }
}

TEST(TCSVReader, LongLinesAreReadWholeUpToTheLimit) {
    const std::string longField(100000, 'x');
    EXPECT_EQ(ReadAll("a\r\n" + longField + ",\"" + longField + "\"\r\nb", true),
              (TRecords{{"a"}, {longField, longField}, {"b"}}));

    std::istringstream tooLong("ok\n" + std::string(TCSVReader::kMaxLineLength + 1, 'y'));
    TCSVReader reader(tooLong, 4096);
    ASSERT_TRUE(reader.NextRecord());
    try {
        reader.NextRecord();
        ADD_FAILURE() << "an overlong line was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Line 2 is longer than 1048576 bytes.");
    }
}

TEST(TCSVReader, ResetGoesBackToTheFirstLine) {
    std::istringstream stream("one,1\ntwo,2\n");
    TCSVReader reader(stream, 4);
    ASSERT_TRUE(reader.NextRecord());
    ASSERT_TRUE(reader.NextRecord());
    EXPECT_EQ(reader.LineCount(), 2);
    EXPECT_FALSE(reader.NextRecord());
    reader.Reset();
    EXPECT_EQ(reader.LineCount(), 0);
    EXPECT_EQ(reader.FieldCount(), 0);
    ASSERT_TRUE(reader.NextRecord());
    EXPECT_EQ(FieldsOf(reader), (std::vector<std::string>{"one", "1"}));
}

TEST(TCSVOptions, RebuildsTheFieldListFromTheFirstLine) {
    std::istringstream stream("Name,Home Town,Age\nAnn Lee,Oslo,30\n");
    TCSVReader reader(stream, 4096);
    TImporterOptions options;
    options.SetFlags(7);
    TCSVOptions csv(options, reader, false);
    EXPECT_FALSE(csv.UseFirstRecord());
    EXPECT_TRUE(csv.UseSDF());
    ASSERT_EQ(options.FieldCount(), 4);  // SDF: "Home Town" is two fields
    EXPECT_EQ(options.KeyName(1), "Field 2");
    EXPECT_EQ(options.SourceTypeText(1), "CSV Field");
    EXPECT_EQ(options.SourceTypeCode(1), 0);
    EXPECT_EQ(options.KeyType(1), ktString);
    EXPECT_EQ(reader.LineCount(), 0);  // the first line will be imported

    options.SetKeyType(2, ktInteger);
    options.SetKeyName(2, "renamed");
    csv.Apply(true, true);
    EXPECT_TRUE(csv.UseFirstRecord());
    ASSERT_EQ(options.FieldCount(), 4);
    EXPECT_EQ(options.KeyName(1), "Home");
    EXPECT_EQ(options.KeyName(2), "Town");  // choices made before are discarded
    EXPECT_EQ(options.KeyType(2), ktString);
    EXPECT_EQ(reader.LineCount(), 1);  // the first line will not be imported
    EXPECT_EQ(options.Flags(), 7u);    // the flags stay

    csv.Apply(true, false);
    EXPECT_FALSE(csv.UseSDF());
    EXPECT_FALSE(reader.SDFMode());
    ASSERT_EQ(options.FieldCount(), 3);
    EXPECT_EQ(options.KeyName(1), "Home Town");
    ASSERT_TRUE(reader.NextRecord());
    EXPECT_EQ(FieldsOf(reader), (std::vector<std::string>{"Ann Lee", "Oslo", "30"}));

    // An empty file has no fields.
    std::istringstream empty("");
    TCSVReader emptyReader(empty, 16);
    TCSVOptions none(options, emptyReader, true);
    EXPECT_EQ(options.FieldCount(), 0);
}

class ImporterCSVTest : public test::DatabaseTest {
protected:
    void Write(const std::string& text) { test::WriteBytes(file, std::vector<uint8_t>(text.begin(), text.end())); }

    // Runs the job after `adjust` has changed its options; answers its result code.
    int Import(const std::function<void(TImporterCSV&)>& adjust = nullptr, const std::string& location = "Root") {
        progress.clear();
        TImporterCSV job([this](TKelmorInOut&, const std::string& text) { progress.push_back(text); }, location, file,
                         engine);
        if (adjust) adjust(job);
        job.Run();
        errorMessage = job.ErrorMessage();
        mismatch = job.FieldsMismatch();
        return job.ResultCode();
    }

    // Every node below `parent` as "description: Name:type=text | ...", one per line.
    std::string Dump(int32_t parent = 0) {
        std::string text;
        for (const int32_t node : Children(engine, parent)) {
            EXPECT_TRUE(engine.LoadNode(node));
            text += engine.GetDescription() + ":";
            for (uint16_t k = 1; k <= engine.KeyCount(); ++k) {
                text += (k > 1 ? " | " : " ") + engine.GetKeyName(k) + ":" + KeyTypeName(engine.KeyType(k)) + "=" +
                        engine.KeyValueText(k);
            }
            text += "\n";
        }
        return text;
    }

    std::string file = dir / "people.csv";
    std::vector<std::string> progress;
    std::string errorMessage;
    bool mismatch = false;
};

TEST_F(ImporterCSVTest, DefaultOptionsImportEveryLineWithTheFirstFieldAsDescription) {
    Write("Ann,30,Oslo\r\nBob,25,\"Rome, Italy\"\r\n");
    ASSERT_EQ(Import(), 0) << errorMessage;
    EXPECT_EQ(Dump(),
              "Ann: Field 2:string=30 | Field 3:string=Oslo\n"
              "Bob: Field 2:string=25 | Field 3:string=Rome, Italy\n");
    EXPECT_FALSE(mismatch);
    EXPECT_EQ(progress, (std::vector<std::string>{"Parsing CSV File...", "Importing CSV...", "Record 1", "Record 2"}));
}

TEST_F(ImporterCSVTest, AHeaderLineNamesTheKeysAndIsNotImported) {
    Write("NAME,AGE,HOME TOWN\nAnn,30,Oslo\nBob,25,Rome\n");
    ASSERT_EQ(Import([](TImporterCSV& job) {
                  job.CSVOptions().Apply(true, false);
                  job.Options().SetKeyType(1, ktInteger);
              }),
              0);
    EXPECT_EQ(Dump(), "Ann: Age:integer=30 | Home town:string=Oslo\nBob: Age:integer=25 | Home town:string=Rome\n");
    EXPECT_EQ(progress, (std::vector<std::string>{"Parsing CSV File...", "Importing CSV...", "Record 2", "Record 3"}));
}

TEST_F(ImporterCSVTest, ClearingTheFirstFieldFlagAddsItAsAKey) {
    Write("Ann,30\n");
    ASSERT_EQ(Import([](TImporterCSV& job) { job.Options().SetFlags(TImporterOptions::kMixedCaseTitles); }), 0);
    EXPECT_EQ(Dump(), "Ann: Field 1:string=Ann | Field 2:string=30\n");
}

TEST_F(ImporterCSVTest, TheTextRuleConvertsToEveryKeyType) {
    TRegionalSettings settings;
    settings.decimalSeparator = ',';
    settings.thousandsSeparator = '.';
    settings.shortDateFormat = "dd/mm/yyyy";
    engine.SetRegionalSettings(settings);
    struct TCase {
        uint8_t type;
        const char* text;
        const char* shown;
    };
    const TCase cases[] = {
        {ktByte, "300", "44"},
        {ktByte, "abc", "0"},
        {ktInteger, "-70000", "-4464"},
        {ktLongint, "2147483648", "-2147483648"},
        {ktFloat, "1,25", "1,250"},
        {ktFloat, "1.25", "0,000"},
        {ktDouble, "0,1", "0,1"},
        {ktCurrency, "1,23455", "1,235"},
        {ktString, "text", "text"},
        {ktSequence, "AB", "41 42"},
        {ktDate, "05/03/2024 10:20:30", "05/03/2024 10:20:30"},
        {ktDate, "junk", "30/12/1899"},
    };
    int n = 0;
    for (const TCase& c : cases) {
        Write(std::string("row,\"") + c.text + "\"\n");
        const std::string top = "case" + std::to_string(++n);
        const int32_t parent = AddNode(top);
        ASSERT_EQ(Import([&](TImporterCSV& job) { job.Options().SetKeyType(1, c.type); }, top), 0);
        EXPECT_EQ(Dump(parent), std::string("row: Field 2:") + KeyTypeName(c.type) + "=" + c.shown + "\n") << c.text;
    }
    // A currency half goes to the even neighbour: 12345,5 and 12346,5 units both give 12346.
    const int32_t parent = AddNode("currency");
    Write("row,\"1,23455\",\"1,23465\",\"3000000000\"\n");
    ASSERT_EQ(Import(
                  [](TImporterCSV& job) {
                      for (int i = 1; i <= 2; ++i) job.Options().SetKeyType(i, ktCurrency);
                      job.Options().SetKeyType(3, ktBlob);
                  },
                  "currency"),
              0);
    ASSERT_TRUE(engine.LoadNode(Children(engine, parent)[0]));
    EXPECT_EQ(engine.GetCurrencyKey(1), 12346);
    EXPECT_EQ(engine.GetCurrencyKey(2), 12346);
    EXPECT_EQ(engine.GetBlobKey(3), (std::vector<uint8_t>{'3', '0', '0', '0', '0', '0', '0', '0', '0', '0'}));
}

// A value that a sequence or blob cannot hold whole ends the import with a message that
// says why, and where; the lines before stay imported.
TEST_F(ImporterCSVTest, AValueTooLongForItsKeyEndsTheImport) {
    struct TCase {
        uint8_t type;
        size_t fits, tooLong;
        const char* reason;
    };
    for (const TCase& c : {TCase{ktSequence, 255, 256, "A byte sequence holds at most 255 bytes; the value has 256."},
                           TCase{ktBlob, 65535, 65536, "A blob holds at most 65535 bytes; the value has 65536."}}) {
        const std::string top = KeyTypeName(c.type);
        const int32_t parent = AddNode(top);
        Write("ok," + std::string(c.fits, 'v') + "\nlong," + std::string(c.tooLong, 'v') + "\n");
        ASSERT_EQ(Import([&](TImporterCSV& job) { job.Options().SetKeyType(1, c.type); }, top), TKelmorInOut::kError);
        EXPECT_EQ(errorMessage, std::string("Unable to set key value.\n\n") + c.reason + "\n\n(line #2, field #2)");
        ASSERT_EQ(Children(engine, parent).size(), 1u);
        ASSERT_TRUE(engine.LoadNode(Children(engine, parent)[0]));
        EXPECT_EQ(engine.KeyCount(), 1);
    }
}

TEST_F(ImporterCSVTest, SkippingEmptyValuesLeavesEmptyFieldsOut) {
    Write("a,,x\nb,y,\n");
    ASSERT_EQ(Import([](TImporterCSV& job) { job.Options().SetFlags(7); }), 0);
    EXPECT_EQ(Dump(), "a: Field 3:string=x\nb: Field 2:string=y\n");
    EXPECT_TRUE(mismatch);  // "b,y," has two fields, the list three
}

TEST_F(ImporterCSVTest, LinesWithOtherFieldCountsSetFieldsMismatch) {
    Write("a,1,2\nb,1,2,3,4\nc\n");
    ASSERT_EQ(Import(), 0);
    EXPECT_TRUE(mismatch);
    EXPECT_EQ(Dump(), "a: Field 2:string=1 | Field 3:string=2\nb: Field 2:string=1 | Field 3:string=2\nc:\n");
    Write("a,1\nb,2\n");
    ASSERT_EQ(Import(), 0);
    EXPECT_FALSE(mismatch);
}

TEST_F(ImporterCSVTest, ABlankLineEndsTheImport) {
    Write("a\r\nb\r\n\r\nc\r\nd\r\n");
    ASSERT_EQ(Import(), 0);
    EXPECT_EQ(Dump(), "a:\nb:\n");
}

TEST_F(ImporterCSVTest, ALineWithoutFieldsGetsAnEmptyDescription) {
    Write("a,1\n   \nb,2\n");
    ASSERT_EQ(Import(), 0);
    EXPECT_EQ(Dump(), "a: Field 2:string=1\n:\nb: Field 2:string=2\n");
}

TEST_F(ImporterCSVTest, DescriptionsAreCutTo255Characters) {
    Write(std::string(300, 'd') + ",v\n");
    ASSERT_EQ(Import(), 0);
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[0]));
    EXPECT_EQ(engine.GetDescription(), std::string(255, 'd'));
}

TEST_F(ImporterCSVTest, ALocationThatNamesNoNodeIsCreatedAndAnAbortStopsAtOnce) {
    Write("a\nb\n");
    ASSERT_EQ(Import(nullptr, "\\Root\\New\\Place"), 0);
    const int32_t place = engine.FindNodeByPath("New\\Place");
    ASSERT_GT(place, 0);
    EXPECT_EQ(Children(engine, place).size(), 2u);

    ASSERT_EQ(Import([](TImporterCSV& job) { job.RequestAbort(); }, "New\\Place"), 0);
    EXPECT_EQ(Children(engine, place).size(), 2u);
}

TEST_F(ImporterCSVTest, FilesThatAreNoTextEndWithAClearMessage) {
    std::string junk;
    for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 7919 + 13) % 256);
    const size_t nul = junk.find('\0') + 1;
    struct TCase {
        std::string text;
        std::string message;  // in the constructor's error or the job's message
    };
    const TCase cases[] = {
        {junk, "The file holds a NUL byte (at byte " + std::to_string(nul) + "): it is not a text file."},
        {"fine,1\n" + junk, "The file holds a NUL byte (at byte " + std::to_string(nul + 7) + ")"},
        {"fine,1\n" + std::string(200000, 'x') + std::string("\n\x01\x02\0more\n", 10),
         "The file holds a NUL byte (at byte 200011): it is not a text file."},
        {std::string(TCSVReader::kMaxLineLength + 10, '\x01'), "Line 1 is longer than 1048576 bytes."},
    };
    for (const TCase& c : cases) {
        Write(c.text);
        std::string message;
        try {
            TImporterCSV job(nullptr, "Root", file, engine);
            job.Run();
            EXPECT_EQ(job.ResultCode(), TKelmorInOut::kError);
            message = job.ErrorMessage();
        } catch (const std::runtime_error& error) {
            message = error.what();
        }
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
    EXPECT_THROW(TImporterCSV(nullptr, "Root", dir / "missing.csv", engine), std::runtime_error);
    EXPECT_THROW(TImporterCSV(nullptr, "Root", dir.Path(), engine), std::runtime_error);
}

}  // namespace
}  // namespace kelmor
