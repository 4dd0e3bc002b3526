// The prepared search text: matching in place, and the knowledge of which key types can
// show a text. A type ruled out must never hold a value whose display text matches: every
// value below is formatted and compared against every text, in every mode and under
// several regional settings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/searchpattern.h"
#include "engine/userblock.h"
#include "tests/testsupport/dbfixture.h"

namespace kelmor {
namespace {

struct TSettingsCase {
    const char* name;
    char decimal;
    const char* shortDate;
    const char* longTime;
    bool datesFiltered;  // the date formats spell no words
};

const TSettingsCase kSettings[] = {
    {"iso", '.', "yyyy-mm-dd", "hh:nn:ss", true},
    {"comma and slashes", ',', "dd/mm/yy", "h.nn", true},
    {"month names", '.', "d mmm yyyy", "hh:nn:ss", false},
    {"am and pm", '.', "m/d/yyyy", "h:nn:ss ampm", false},
};

const char* const kTexts[] = {
    "12",    "-1",    "0.5",   "0,5",   "E",       "1E300", "NAN", "nan", "INF",          "-INF", "2024",
    "-03-",  "/03/",  ":20",   "10.20", "MAR",     "Mar",   "PM",  "AB",  "AB CD",        "ab",   "(zero",
    "value", "DATA:", "bytes", "BYTES", "DATA: 3", "x",     " ",   "",    "no such text", "00",   "+",
};

class SearchPatternTest : public test::DatabaseTest, public testing::WithParamInterface<TSettingsCase> {
protected:
    void AddValues() {
        engine.ClearNode();
        engine.SetDescription("values");
        engine.AddByteKey("b", 12);
        engine.AddIntegerKey("i", -12);
        engine.AddLongintKey("l", 2024);
        for (float f :
             {0.5f, -1.25f, 1e30f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()})
            engine.AddFloatKey("f", f);
        for (double d : {0.5, 1e300, -2.5e-7, std::numeric_limits<double>::infinity()}) engine.AddDoubleKey("d", d);
        engine.AddCurrencyKey("c", -125000);
        engine.AddDateKey("t", EncodeDate(2024, 3, 1) + EncodeTime(22, 20, 30, 0));
        engine.AddDateKey("t", EncodeDate(2001, 12, 31));
        const uint8_t bytes[] = {0xAB, 0xCD, 0x05};
        engine.AddSequenceKey("s", bytes, sizeof bytes);
        engine.AddSequenceKey("s", bytes, 0);
        engine.AddBlobKey("o", bytes, sizeof bytes);
    }
};

TEST_P(SearchPatternTest, ATypeRuledOutNeverShowsAMatchingValue) {
    const TSettingsCase& settingsCase = GetParam();
    TRegionalSettings settings;
    settings.decimalSeparator = settingsCase.decimal;
    settings.shortDateFormat = settingsCase.shortDate;
    settings.longTimeFormat = settingsCase.longTime;
    engine.SetRegionalSettings(settings);
    AddValues();
    int ruledOut = 0;
    for (uint16_t flags : {uint16_t(0), sfCaseSensitive, sfWholeValue, uint16_t(sfWholeValue | sfCaseSensitive)}) {
        for (const char* text : kTexts) {
            const TSearchPattern pattern(text, flags, settings);
            for (uint16_t k = 1; k <= engine.KeyCount(); ++k) {
                const std::string shown = engine.KeyValueText(k);
                if (pattern.ValueMayMatch(engine.KeyType(k))) continue;
                ++ruledOut;
                EXPECT_FALSE(pattern.Matches(shown))
                    << "\"" << text << "\" ruled out \"" << shown << "\" (flags " << flags << ")";
            }
        }
    }
    EXPECT_GT(ruledOut, 100);  // the filter does rule out
    const TSearchPattern words("no such text", 0, settings);
    EXPECT_EQ(words.ValueMayMatch(ktDate), !settingsCase.datesFiltered);
    for (uint8_t type : {ktByte, ktInteger, ktLongint, ktFloat, ktCurrency, ktDouble, ktSequence, ktBlob})
        EXPECT_FALSE(words.ValueMayMatch(type)) << int(type);
}

INSTANTIATE_TEST_SUITE_P(Settings, SearchPatternTest, testing::ValuesIn(kSettings),
                         [](const testing::TestParamInfo<TSettingsCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(SearchPatternMatching, InPlaceAsTheTextsWouldBeCompared) {
    const TRegionalSettings settings;
    struct TCase {
        const char* text;
        uint16_t flags;
        const char* examined;
        bool matches;
    } cases[] = {
        {"abc", 0, "xxABCxx", true},
        {"abc", sfCaseSensitive, "xxABCxx", false},
        {"ABC", sfCaseSensitive, "xxABCxx", true},
        {"aab", 0, "aaab", true},  // a restart inside a partial match
        {"abc", 0, "ab", false},
        {"", 0, "", true},
        {"abc", sfWholeValue, "ABC", true},
        {"abc", sfWholeValue, "ABCD", false},
        {"a*.txt", sfWildcards, "ABC.TXT", true},
        {"a*.txt", sfWildcards, "abc.doc", false},
        {"ab?", sfWildcards, "ab", true},
        {"caf\xe9", 0, "CAF\xe9", true},  // only ASCII letters change case
        {"caf\xe9", 0, "CAF\xc9", false},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(TSearchPattern(c.text, c.flags, settings).Matches(c.examined), c.matches)
            << c.text << " in " << c.examined;
    }
}

}  // namespace
}  // namespace kelmor
