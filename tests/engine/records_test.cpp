#include <gtest/gtest.h>

#include <cmath>

#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

#include <map>

namespace kelmor {
namespace {

using RecordTest = test::DatabaseTest;

std::string Names(TKelmorClass& engine) {
    std::string names;
    for (uint16_t k = 1; k <= engine.KeyCount(); ++k) names += engine.GetKeyName(k) + " ";
    return names;
}

TEST_F(RecordTest, AnEmptyRecordHasNoDescriptionUntilOneIsSet) {
    engine.ClearNode();
    EXPECT_EQ(engine.RecordLength(), 4);
    EXPECT_EQ(engine.KeyCount(), 0);
    EXPECT_EQ(engine.NodeSpaceFree(), 100);
    EXPECT_EQ(engine.GetDescription(), "");
    engine.SetDescription("Shelf");
    EXPECT_EQ(engine.GetDescription(), "Shelf");
    EXPECT_EQ(engine.RecordLength(), 4 + 2 + 5);
    engine.AddByteKey("n", 1);
    engine.SetDescription("Top shelf");  // replaces item 1, keeps the key behind it
    EXPECT_EQ(engine.GetDescription(), "Top shelf");
    EXPECT_EQ(engine.GetKeyName(1), "n");
    engine.SetDescription(std::string(300, 'x'));
    EXPECT_EQ(engine.GetDescription().size(), 255u);
}

// Fills the record with keys of empty names and sequences until exactly `free` bytes are left.
void FillLeaving(TKelmorClass& engine, uint32_t free) {
    engine.ClearNode();
    engine.SetDescription("");
    const std::vector<uint8_t> bytes(255, 0xEE);
    while (65510 - engine.RecordLength() - free >= 259 + 4) engine.AddSequenceKey("", bytes.data(), 255);
    const uint32_t rest = 65510 - engine.RecordLength() - free;
    ASSERT_GE(rest, 4u);
    engine.AddSequenceKey("", bytes.data(), rest - 4);
    ASSERT_EQ(65510u - engine.RecordLength(), free);
}

TEST_F(RecordTest, AKeyThatExactlyFillsTheBufferFitsAndOneByteMoreIsRefusedWithoutAChange) {
    const std::string value(255, 'v');
    FillLeaving(engine, 259);
    engine.AddStringKey("", value);
    EXPECT_EQ(engine.RecordLength(), 65510);
    EXPECT_EQ(engine.NodeSpaceFree(), 0);
    const int32_t full = engine.CreateNode(0);
    ASSERT_TRUE(engine.LoadNode(full));
    EXPECT_EQ(engine.RecordLength(), 65510);
    EXPECT_EQ(engine.GetStringKey(engine.KeyCount()), value);

    FillLeaving(engine, 258);
    const uint16_t keys = engine.KeyCount();
    EXPECT_THROW(engine.AddStringKey("", value), EKelmorKeyListFullError);
    EXPECT_EQ(engine.RecordLength(), 65510 - 258);  // no name without a value
    EXPECT_EQ(engine.KeyCount(), keys);
    EXPECT_THROW(engine.InsertByteKey(std::string(255, 'n'), 1, 1), EKelmorKeyListFullError);
    EXPECT_EQ(engine.RecordLength(), 65510 - 258);

    FillLeaving(engine, 100);  // a longer name or description than the room left
    EXPECT_THROW(engine.RenameKey(1, std::string(255, 'n')), EKelmorKeyListFullError);
    EXPECT_THROW(engine.SetDescription(std::string(255, 'd')), EKelmorKeyListFullError);
    EXPECT_EQ(engine.GetDescription(), "");
    EXPECT_EQ(engine.GetKeyName(1), "");
    EXPECT_EQ(engine.RecordLength(), 65510 - 100);
}

TEST_F(RecordTest, InsertingDeletingSwappingAndRenamingKeepTheOrderTheyPromise) {
    engine.ClearNode();
    engine.SetDescription("d");
    engine.AddByteKey("a", 1);
    engine.AddByteKey("b", 2);
    engine.AddByteKey("c", 3);
    engine.InsertStringKey("new", 1, "s");
    EXPECT_EQ(Names(engine), "new a b c ");
    engine.InsertLongintKey("end", 5, 9);
    EXPECT_EQ(Names(engine), "new a b c end ");
    EXPECT_THROW(engine.InsertByteKey("x", 7, 1), EKelmorInvalidKeyIndexError);
    EXPECT_THROW(engine.InsertByteKey("x", 0, 1), EKelmorInvalidKeyIndexError);
    engine.SwapKeys(2);
    EXPECT_EQ(Names(engine), "new b a c end ");
    EXPECT_EQ(engine.GetByteKey(3), 1);
    EXPECT_THROW(engine.SwapKeys(5), EKelmorInvalidKeyIndexError);
    EXPECT_THROW(engine.SwapKeys(0), EKelmorInvalidKeyIndexError);
    engine.DeleteKey(1);
    EXPECT_EQ(Names(engine), "b a c end ");
    EXPECT_THROW(engine.DeleteKey(5), EKelmorInvalidKeyIndexError);
    engine.RenameKey(4, "last");
    EXPECT_EQ(Names(engine), "b a c last ");
    EXPECT_EQ(engine.GetLongintKey(4), 9);
    EXPECT_EQ(engine.GetDescription(), "d");
}

TEST_F(RecordTest, GettersCheckTheIndexAndTheType) {
    engine.ClearNode();
    engine.SetDescription("d");
    engine.AddIntegerKey("i", -5);
    EXPECT_EQ(engine.GetIntegerKey(1), -5);
    EXPECT_THROW(engine.GetLongintKey(1), EKelmorWrongKeyType);
    EXPECT_THROW(engine.GetStringKey(1), EKelmorWrongKeyType);
    EXPECT_THROW(engine.GetIntegerKey(2), EKelmorInvalidKeyIndexError);
    EXPECT_THROW(engine.GetIntegerKey(0), EKelmorInvalidKeyIndexError);
    EXPECT_THROW(engine.KeyType(2), EKelmorInvalidKeyIndexError);
    EXPECT_THROW(engine.KeyValueText(2), EKelmorInvalidKeyIndexError);
}

TEST_F(RecordTest, FindKeyIgnoresLetterCaseAndReturnsTheLowestIndex) {
    engine.ClearNode();
    engine.SetDescription("d");
    engine.AddByteKey("Colour", 1);
    engine.AddByteKey("Price", 2);
    engine.AddByteKey("PRICE", 3);
    EXPECT_EQ(engine.FindKey("PRICE"), 2);
    EXPECT_EQ(engine.FindKey("colour"), 1);
    EXPECT_EQ(engine.FindKey("weight"), 0);
}

TEST_F(RecordTest, KeyClipboardCopiesBetweenNodesAndRefusesBlobsAndAnEmptyClipboard) {
    EXPECT_FALSE(engine.KeyMarked());
    engine.ClearNode();
    engine.SetDescription("first");
    EXPECT_THROW(engine.PasteKey(), EKelmorNoKeyMarkedError);
    engine.AddStringKey("colour", "red");
    const uint8_t data[3] = {1, 2, 3};
    engine.AddBlobKey("picture", data, 3);
    EXPECT_THROW(engine.MarkKey(2), EKelmorInvalidOpOnBlob);
    EXPECT_THROW(engine.CutKey(2), EKelmorInvalidOpOnBlob);
    EXPECT_EQ(engine.KeyCount(), 2);
    engine.CutKey(1);
    EXPECT_EQ(Names(engine), "picture ");
    const int32_t first = engine.CreateNode(0);
    const int32_t second = AddNode("second");
    ASSERT_TRUE(engine.LoadNode(second));
    engine.PasteKey();
    engine.PasteKey();
    EXPECT_EQ(Names(engine), "colour colour ");
    EXPECT_EQ(engine.GetStringKey(2), "red");
    engine.SaveNode(second);
    ASSERT_TRUE(engine.LoadNode(first));
    EXPECT_EQ(Names(engine), "picture ");
}

TEST_F(RecordTest, ChangesOnAReadOnlyDatabaseAreRefused) {
    engine.ClearNode();
    engine.SetDescription("node");
    engine.AddByteKey("b", 1);
    const int32_t id = engine.CreateNode(0);
    Reopen(true);
    ASSERT_TRUE(engine.LoadNode(id));
    const uint8_t data[1] = {0};
    EXPECT_THROW(engine.SetDescription("x"), EKelmorReadOnly);
    EXPECT_THROW(engine.AddByteKey("x", 1), EKelmorReadOnly);
    EXPECT_THROW(engine.InsertDoubleKey("x", 1, 1.0), EKelmorReadOnly);
    EXPECT_THROW(engine.AddBlobKey("x", data, 1), EKelmorReadOnly);
    EXPECT_THROW(engine.RenameKey(1, "x"), EKelmorReadOnly);
    EXPECT_THROW(engine.DeleteKey(1), EKelmorReadOnly);
    EXPECT_THROW(engine.MarkKey(1), EKelmorReadOnly);
    EXPECT_THROW(engine.PasteKey(), EKelmorReadOnly);
    EXPECT_THROW(engine.SaveNode(id), EKelmorReadOnly);
    EXPECT_THROW(engine.CreateNode(0), EKelmorReadOnly);
    EXPECT_EQ(engine.GetByteKey(1), 1);
}

// Every type's value and display text, in two regional settings.
TEST_F(RecordTest, ValuesAndTheirTextsInTwoRegionalSettings) {
    TRegionalSettings dotted;  // ".", yyyy-mm-dd, hh:nn:ss
    TRegionalSettings european;
    european.decimalSeparator = ',';
    european.thousandsSeparator = '.';
    european.shortDateFormat = "dd.mm.yyyy";
    european.longTimeFormat = "hh:nn:ss";

    engine.ClearNode();
    engine.SetDescription("values");
    const std::vector<uint8_t> sequence = {0x00, 0xAB, 0x7F};
    const uint8_t blob[4] = {9, 8, 7, 6};
    engine.AddByteKey("byte", 255);
    engine.AddIntegerKey("integer", -32768);
    engine.AddLongintKey("longint", -2147483647 - 1);
    engine.AddFloatKey("float", 1.5f);
    engine.AddStringKey("string", "Caf\xE9");
    engine.AddSequenceKey("sequence", sequence.data(), sequence.size());
    engine.AddBlobKey("blob", blob, 4);
    engine.AddCurrencyKey("currency", -123456789);  // -12345.6789
    engine.AddDoubleKey("double", 1.0 / 3.0);
    engine.AddDateKey("date", EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 7, 0));
    engine.AddDateKey("midnight", EncodeDate(1999, 12, 31));
    engine.AddSequenceKey("empty", nullptr, 0);
    engine.AddDoubleKey("big", 1e20);
    engine.AddFloatKey("negative zero", -0.0001f);
    const int32_t id = engine.CreateNode(0);
    Reopen();
    ASSERT_TRUE(engine.LoadNode(id));

    struct TCase {
        const char* name;
        const char* dotted;
        const char* european;
    };
    const TCase cases[] = {
        {"byte", "255", "255"},
        {"integer", "-32768", "-32768"},
        {"longint", "-2147483648", "-2147483648"},
        {"float", "1.500", "1,500"},
        {"string", "Caf\xE9", "Caf\xE9"},
        {"sequence", "00 AB 7F", "00 AB 7F"},
        {"blob", "DATA: 4 bytes", "DATA: 4 bytes"},
        {"currency", "-12345.679", "-12345,679"},
        {"double", "0.333333333333333", "0,333333333333333"},
        {"date", "2024-02-29 13:05:06", "29.02.2024 13:05:06"},  // two-second steps
        {"midnight", "1999-12-31", "31.12.1999"},
        {"empty", "(zero length value)", "(zero length value)"},
        {"big", "1E20", "1E20"},
        {"negative zero", "0.000", "0,000"},
    };
    for (const TCase& c : cases) {
        const uint16_t k = engine.FindKey(c.name);
        ASSERT_NE(k, 0) << c.name;
        engine.SetRegionalSettings(dotted);
        EXPECT_EQ(engine.KeyValueText(k), c.dotted) << c.name;
        engine.SetRegionalSettings(european);
        EXPECT_EQ(engine.KeyValueText(k), c.european) << c.name;
    }
    EXPECT_EQ(engine.KeyType(engine.FindKey("blob")), ktBlob);
    EXPECT_EQ(engine.GetBlobKey(engine.FindKey("blob")), std::vector<uint8_t>(blob, blob + 4));
    EXPECT_EQ(engine.GetCurrencyKey(engine.FindKey("currency")), -123456789);
    EXPECT_EQ(engine.GetSequenceKey(engine.FindKey("sequence")), std::string("\x00\xAB\x7F", 3));
    uint8_t buffer[255];
    EXPECT_EQ(engine.GetSequenceKey(engine.FindKey("empty"), buffer), 0);
}

TEST_F(RecordTest, LongSequencesShowTheirFirst84BytesAndDatesOutsideTheRangeReadAsNoDate) {
    engine.ClearNode();
    engine.SetDescription("d");
    const std::vector<uint8_t> bytes(100, 0x5A);
    engine.AddSequenceKey("s", bytes.data(), bytes.size());
    engine.AddDateKey("old", EncodeDate(1979, 12, 31));
    engine.AddDateKey("late", EncodeDate(2100, 1, 1));
    engine.AddDateKey("first", EncodeDate(1980, 1, 1));
    const std::string text = engine.KeyValueText(1);
    EXPECT_EQ(text.size(), 251u);
    EXPECT_EQ(text.substr(text.size() - 3), " 5A");
    EXPECT_EQ(engine.GetDateKey(2), 0.0);
    EXPECT_EQ(engine.GetDateKey(3), 0.0);
    EXPECT_EQ(engine.GetDateKey(4), EncodeDate(1980, 1, 1));
}

TEST_F(RecordTest, ANodeStoredWithoutItemsReadsAsAnEmptyDescriptionWithNoKeysAndCanBeNamed) {
    engine.ClearNode();
    const int32_t bare = engine.CreateNode(0);
    Reopen();
    ASSERT_TRUE(engine.LoadNode(bare));
    EXPECT_EQ(engine.RecordLength(), 4);
    EXPECT_EQ(engine.GetDescription(), "");
    EXPECT_EQ(engine.KeyCount(), 0);
    EXPECT_EQ(engine.FindKey(""), 0);
    EXPECT_THROW(engine.GetKeyName(1), EKelmorInvalidKeyIndexError);

    engine.SetDescription("named");
    engine.AddByteKey("k", 7);
    engine.SaveNode(bare);
    Reopen();
    ASSERT_TRUE(engine.LoadNode(bare));
    EXPECT_EQ(engine.GetDescription(), "named");
    EXPECT_EQ(engine.FindKey("K"), 1);
    EXPECT_EQ(engine.GetByteKey(1), 7);
}

TEST_F(RecordTest, SavingARecordOfTheSameLengthKeepsItsPlaceAndAnotherLengthMovesItToTheEnd) {
    const int32_t a = AddNode("aaa");
    const int32_t b = AddNode("bbb");
    const int32_t c = AddNode("ccc");
    ASSERT_EQ(engine.Flush(), kResultOK);
    ASSERT_TRUE(engine.LoadNode(b));
    engine.SetDescription("BBB");
    engine.SaveNode(b);
    ASSERT_TRUE(engine.LoadNode(a));
    engine.SetDescription("a longer description");
    engine.SaveNode(a);
    ASSERT_EQ(engine.Flush(), kResultOK);
    const auto index = test::DecodeIndex(test::ReadBytes(base + ".idx"));
    std::map<int32_t, int32_t> position;
    for (const auto& entry : index.nodes) position[entry.id] = entry.position;
    EXPECT_EQ(position[b], 49);
    EXPECT_EQ(position[c], 49 + 9);
    EXPECT_EQ(position[a], 49 + 9 + 9);
    const std::vector<uint8_t> data = test::ReadBytes(base + ".dat");
    EXPECT_EQ(data.size(), 49u + 9 + 9 + 26);
    EXPECT_EQ(test::RecordAt(data, 49), test::MakeRecord("BBB"));
    EXPECT_EQ(test::RecordAt(data, 67), test::MakeRecord("a longer description"));
}

}  // namespace
}  // namespace kelmor
