#include "cli/nodeview.h"

#include <cstdio>
#include <vector>

#include "cli/textcodec.h"
#include "engine/keytypes.h"
#include "engine/regional.h"
#include "engine/tkelmor.h"

namespace kelmor::cli {

namespace {

constexpr uint8_t kLevelBits = 0x7F;
constexpr uint8_t kReadOnlyBit = 0x80;

std::string HexText(const uint8_t* bytes, size_t length) {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * length);
    for (size_t i = 0; i < length; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return hex;
}

// The amount of a currency value as exact JSON number text (four decimals at most).
std::string CurrencyNumberText(int64_t scaledBy10000) {
    const bool negative = scaledBy10000 < 0;
    const uint64_t magnitude =
        negative ? uint64_t{0} - static_cast<uint64_t>(scaledBy10000) : static_cast<uint64_t>(scaledBy10000);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    if (const uint64_t fraction = magnitude % 10000) {
        char digits[8];
        std::snprintf(digits, sizeof digits, ".%04u", static_cast<unsigned>(fraction));
        text += digits;
        while (text.back() == '0') text.pop_back();
    }
    return text;
}

// A date-time as ISO 8601 local time ("2024-05-01T10:30:00"); null for the empty date.
void WriteDateJson(TJsonWriter& json, double dateTime) {
    if (dateTime == 0) return json.Null();
    int year, month, day, hour, minute, second, msec;
    DecodeDateTime(dateTime, year, month, day, hour, minute, second, msec);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute, second);
    json.String(text);
}

void WriteValueJson(TJsonWriter& json, const TKelmorClass& engine, uint16_t index) {
    switch (engine.KeyType(index)) {
        case ktByte: return json.Integer(engine.GetByteKey(index));
        case ktInteger: return json.Integer(engine.GetIntegerKey(index));
        case ktLongint: return json.Integer(engine.GetLongintKey(index));
        case ktFloat: return json.Float(engine.GetFloatKey(index));
        case ktDouble: return json.Double(engine.GetDoubleKey(index));
        case ktCurrency: return json.NumberText(CurrencyNumberText(engine.GetCurrencyKey(index)));
        case ktString: return json.Latin1String(engine.GetStringKey(index));
        case ktSequence: {
            const std::string bytes = engine.GetSequenceKey(index);
            return json.String(HexText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        }
        case ktBlob:
            json.BeginObject();
            json.Key("size");
            json.Integer(engine.GetBlobKey(index, nullptr));
            return json.EndObject();
        case ktDate: return WriteDateJson(json, engine.GetDateKey(index));
        default: return json.Null();
    }
}

}  // namespace

std::string LocationText(TKelmorClass& engine, int32_t node) {
    if (node == TKelmorClass::RootNode()) return "Root";
    try {
        return Latin1ToUtf8(engine.GetNodePath(node));
    } catch (const EKelmorError&) {
        return "(a path the user may not see)";
    }
}

TLinkTarget LinkTargetOf(TKelmorClass& engine, int32_t link) {
    try {
        return {engine.GetLinkSource(link), false};
    } catch (const EKelmorSourceNodeBrokenError&) {}
    // The source is gone: its ID is still in the link's entry, which the parent's
    // children carry.
    TKelmorNodeRec rec;
    for (bool more = engine.FindFirstChild(rec, engine.GetParent(link)); more; more = engine.FindNextChild(rec))
        if (rec.currentID == link) return {-rec.entry.dataPosition, true};
    return {-1, true};
}

std::string KeyLine(const TKelmorClass& engine, uint16_t index) {
    return Latin1ToUtf8(engine.GetKeyName(index)) + " (" + KeyTypeName(engine.KeyType(index)) +
           ") = " + Latin1ToUtf8(engine.KeyValueText(index));
}

void WriteKeyJson(TJsonWriter& json, const TKelmorClass& engine, uint16_t index) {
    json.BeginObject();
    json.Key("name");
    json.Latin1String(engine.GetKeyName(index));
    json.Key("type");
    json.String(KeyTypeName(engine.KeyType(index)));
    json.Key("value");
    WriteValueJson(json, engine, index);
    json.EndObject();
}

void WriteNodeMembers(TJsonWriter& json, TKelmorClass& engine, int32_t node) {
    const bool isRoot = node == TKelmorClass::RootNode();
    const bool isLink = engine.IsLink(node);
    const TLinkTarget target = isLink ? LinkTargetOf(engine, node) : TLinkTarget{};
    const bool loaded = !isRoot && engine.LoadNode(node);
    json.Key("id");
    json.Integer(node);
    json.Key("description");
    if (isRoot) json.String("Root");
    else json.Latin1String(loaded ? engine.GetDescription() : "");
    json.Key("level");
    const uint8_t security = isRoot ? 0 : engine.GetNodeSecurity(node);
    if (isRoot) json.Null();
    else json.Integer(security & kLevelBits);
    json.Key("readOnly");
    json.Bool((security & kReadOnlyBit) != 0);
    json.Key("link");
    if (isLink) json.Integer(target.source);
    else json.Null();
    json.Key("broken");
    json.Bool(target.broken);
    json.Key("keys");
    json.BeginArray();
    if (loaded)
        for (uint16_t k = 1; k <= engine.KeyCount(); ++k) WriteKeyJson(json, engine, k);
    json.EndArray();
}

}  // namespace kelmor::cli
