// Every export of the XML exporter imports back: a database exported whole and imported
// into a fresh database gives the same nodes and keys, byte for byte; dates keep their
// day, as the format carries no time of day.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "interchange/texporterxml.h"
#include "interchange/timporterxml.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

using test::Children;

// The bytes of a key's value as the engine hands it out; a date only with its day.
std::string ValueBytes(TKelmorClass& engine, uint16_t key) {
    const auto bytesOf = [](const auto& value) {
        std::string bytes(sizeof value, '\0');
        std::memcpy(bytes.data(), &value, sizeof value);
        return bytes;
    };
    switch (engine.KeyType(key)) {
        case ktByte: return bytesOf(engine.GetByteKey(key));
        case ktInteger: return bytesOf(engine.GetIntegerKey(key));
        case ktLongint: return bytesOf(engine.GetLongintKey(key));
        case ktFloat: return bytesOf(engine.GetFloatKey(key));
        case ktString: return engine.GetStringKey(key);
        case ktSequence: return engine.GetSequenceKey(key);
        case ktBlob: {
            const std::vector<uint8_t> bytes = engine.GetBlobKey(key);
            return std::string(bytes.begin(), bytes.end());
        }
        case ktCurrency: return bytesOf(engine.GetCurrencyKey(key));
        case ktDouble: return bytesOf(engine.GetDoubleKey(key));
        case ktDate: return bytesOf(std::floor(engine.GetDateKey(key)));
        default: return "?";
    }
}

// Where the branches below two nodes of two databases first differ, by child order and
// key order; empty when they are the same.
std::string FirstDifference(TKelmorClass& a, int32_t parentA, TKelmorClass& b, int32_t parentB,
                            const std::string& path) {
    const std::vector<int32_t> childrenA = Children(a, parentA), childrenB = Children(b, parentB);
    if (childrenA.size() != childrenB.size()) {
        return path + ": " + std::to_string(childrenA.size()) + " children, " + std::to_string(childrenB.size()) +
               " imported";
    }
    for (size_t i = 0; i < childrenA.size(); ++i) {
        const std::string where = path + "\\" + std::to_string(i + 1);
        if (a.IsLink(childrenA[i]) != b.IsLink(childrenB[i])) return where + ": link and node";
        if (a.IsLink(childrenA[i])) {
            if (a.GetNodePath(a.GetLinkSource(childrenA[i])) != b.GetNodePath(b.GetLinkSource(childrenB[i])))
                return where + ": link source";
            continue;
        }
        a.LoadNode(childrenA[i]);
        b.LoadNode(childrenB[i]);
        if (a.GetDescription() != b.GetDescription()) return where + ": description";
        if (a.KeyCount() != b.KeyCount()) {
            return where + ": " + std::to_string(a.KeyCount()) + " keys, " + std::to_string(b.KeyCount()) + " imported";
        }
        for (uint16_t key = 1; key <= a.KeyCount(); ++key) {
            const std::string which = where + " key " + std::to_string(key) + ": ";
            if (a.GetKeyName(key) != b.GetKeyName(key)) return which + "name";
            if (a.KeyType(key) != b.KeyType(key)) return which + "type";
            if (ValueBytes(a, key) != ValueBytes(b, key)) return which + "value " + a.KeyValueText(key);
        }
        const std::string below = FirstDifference(a, childrenA[i], b, childrenB[i], where);
        if (!below.empty()) return below;
    }
    return "";
}

std::string Bytes(int from, int to) {
    std::string text;
    for (int byte = from; byte <= to; ++byte) text += static_cast<char>(byte);
    return text;
}

int32_t Node(TKelmorClass& engine, const std::string& description, int32_t parent,
             const std::function<void()>& addKeys = {}) {
    engine.ClearNode();
    engine.SetDescription(description);
    if (addKeys) addKeys();
    return engine.CreateNode(parent);
}

double DateTime(int year, int month, int day, int hour, int minute, int second) {
    double when = 0;
    EXPECT_TRUE(TryEncodeDateTime(year, month, day, hour, minute, second, 0, when));
    return when;
}

TEST(RoundTripXML, EveryExportImportsBackKeyByKeyAndByteForByte) {
    test::TTempDir dir;
    const TKelmorLogin admin = TKelmorClass::MakeLogin("admin", "secret");
    // A two-digit year in the short date, and a comma as the decimal separator.
    TRegionalSettings settings;
    settings.decimalSeparator = ',';
    settings.thousandsSeparator = '.';
    settings.shortDateFormat = "dd/mm/yy";
    TKelmorClass original;
    ASSERT_EQ(original.CreateDatabase(dir / "original", admin), kResultOK);
    original.SetRegionalSettings(settings);

    const float floatInfinity = std::numeric_limits<float>::infinity();
    const double doubleInfinity = std::numeric_limits<double>::infinity();
    struct TBranch {
        const char* what;
        std::function<void(TKelmorClass& engine, int32_t top)> fill;
    };
    const TBranch branches[] = {
        {"dates under a two-digit-year short date",
         [&](TKelmorClass& engine, int32_t top) {
             Node(engine, "dates", top, [&] {
                 engine.AddDateKey("empty", 0);
                 engine.AddDateKey("1980", DateTime(1980, 1, 1, 0, 0, 0));
                 engine.AddDateKey("2049", DateTime(2049, 12, 31, 23, 59, 58));
                 engine.AddDateKey("2050", DateTime(2050, 1, 1, 12, 0, 0));
                 engine.AddDateKey("2060", DateTime(2060, 5, 6, 7, 8, 10));
                 engine.AddDateKey("2099", DateTime(2099, 12, 31, 23, 59, 58));
             });
         }},
        {"every byte in descriptions, key names, strings and sequences",
         [&](TKelmorClass& engine, int32_t top) {
             const std::string all = Bytes(1, 255);
             const int32_t node = Node(engine, all, top, [&] {
                 engine.AddStringKey(all, all);
                 engine.AddStringKey("with a zero byte", std::string("a\0b", 3));
                 engine.AddSequenceKey(all, reinterpret_cast<const uint8_t*>(all.data()), all.size());
                 const std::string fromZero = Bytes(0, 254);
                 engine.AddSequenceKey("from 0", reinterpret_cast<const uint8_t*>(fromZero.data()), fromZero.size());
                 engine.AddBlobKey("blob", reinterpret_cast<const uint8_t*>(all.data()), all.size());
             });
             Node(engine, Bytes(1, 0x1F) + "<&>\"'\x7F", node);
         }},
        {"special and extreme numbers",
         [&](TKelmorClass& engine, int32_t top) {
             Node(engine, "numbers", top, [&] {
                 engine.AddFloatKey("float nan", std::numeric_limits<float>::quiet_NaN());
                 engine.AddFloatKey("float inf", floatInfinity);
                 engine.AddFloatKey("float -inf", -floatInfinity);
                 engine.AddFloatKey("float", -1234.5f);
                 engine.AddDoubleKey("double nan", std::numeric_limits<double>::quiet_NaN());
                 engine.AddDoubleKey("double inf", doubleInfinity);
                 engine.AddDoubleKey("double -inf", -doubleInfinity);
                 engine.AddDoubleKey("double", -2.5e-7);
                 engine.AddByteKey("byte", 255);
                 engine.AddIntegerKey("integer", std::numeric_limits<int16_t>::min());
                 engine.AddLongintKey("longint min", std::numeric_limits<int32_t>::min());
                 engine.AddLongintKey("longint max", std::numeric_limits<int32_t>::max());
                 engine.AddCurrencyKey("currency", -922337203685477580);
             });
         }},
        {"empty descriptions with children",
         [&](TKelmorClass& engine, int32_t top) {
             const int32_t outer = Node(engine, "", top);
             const int32_t inner = Node(engine, "", outer, [&] { engine.AddStringKey("", ""); });
             Node(engine, "leaf", inner);
             Node(engine, "", outer);
         }},
        {"30,000 nodes with 255 characters \xE9 each",
         [&](TKelmorClass& engine, int32_t top) {
             const std::string text(255, '\xE9');
             for (int group = 0; group < 30; ++group) {
                 const int32_t parent = Node(engine, "group " + std::to_string(group), top);
                 for (int i = 0; i < 1000; ++i) {
                     engine.ClearNode();
                     engine.SetDescription(std::to_string(i));
                     engine.AddStringKey("s", text);
                     ASSERT_GT(engine.CreateNode(parent), 0);
                 }
             }
         }},
    };
    for (const TBranch& branch : branches) branch.fill(original, Node(original, branch.what, 0));
    if (HasFatalFailure()) return;

    const std::string file = dir / "export.xml";
    TExporterXML exporter(nullptr, "Root", file, original);
    exporter.Run();
    ASSERT_EQ(exporter.ResultCode(), 0) << exporter.ErrorMessage();
    EXPECT_GT(test::FileSize(file), 45'000'000u);  // the 30,000 strings are written as references

    TKelmorClass imported;
    ASSERT_EQ(imported.CreateDatabase(dir / "imported", admin), kResultOK);
    imported.SetRegionalSettings(settings);
    TImporterXML importer(nullptr, "Root", file, imported);
    importer.Run();
    ASSERT_EQ(importer.ResultCode(), 0) << importer.ErrorMessage();

    EXPECT_EQ(FirstDifference(original, 0, imported, 0, ""), "");
}

}  // namespace
}  // namespace kelmor
