#include "interchange/recordkeyrules.h"

#include <cmath>
#include <stdexcept>

#include "engine/tkelmor.h"
#include "interchange/extended80.h"
#include "interchange/interchangeerrors.h"
#include "interchange/timporteroptions.h"

namespace kelmor {

namespace {

// Latin-1: A-Z and the accented capitals 0xC0..0xDE (without the multiplication sign
// 0xD7) have their small letters 0x20 higher.
char LowerLatin1(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return static_cast<char>(b + 0x20);
    return c;
}

char UpperLatin1(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) return static_cast<char>(b - 0x20);
    return c;
}

const uint8_t* BytesOf(std::string_view text) { return reinterpret_cast<const uint8_t*>(text.data()); }

// A truncated or rounded number as the 64-bit integer it stands for; refuses values
// outside that range (the key is then left out).
int64_t ToInt64(double value) {
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) {
        throw std::range_error("number out of range");
    }
    return static_cast<int64_t>(value);
}

// The integer kinds keep the low-order bytes of the value.
void AddInteger(TKelmorClass& engine, const TKeyTarget& target, int64_t value) {
    switch (target.type) {
        case ktByte: engine.AddByteKey(target.name, static_cast<uint8_t>(value)); break;
        case ktInteger: engine.AddIntegerKey(target.name, static_cast<int16_t>(value)); break;
        case ktLongint: engine.AddLongintKey(target.name, static_cast<int32_t>(value)); break;
        default: break;
    }
}

void CheckLength(uint8_t type, size_t length) {
    if (type == ktSequence && length > kMaxSequenceSize)
        throw EValueTooLarge("A byte sequence holds at most 255 bytes; the value has " + std::to_string(length) + ".");
    if (type == ktBlob && length > kMaxBlobSize)
        throw EValueTooLarge("A blob holds at most 65535 bytes; the value has " + std::to_string(length) + ".");
}

bool IsIntegerType(uint8_t type) { return type == ktByte || type == ktInteger || type == ktLongint; }

template <typename TAdd>
void Swallowing(TAdd add) {
    try {
        add();
    } catch (const std::exception&) {
        // the key is left out; the import goes on
    }
}

}  // namespace

std::string MixedCaseTitle(const std::string& name) {
    std::string title = name;
    for (char& c : title) c = LowerLatin1(c);
    if (!title.empty()) title[0] = UpperLatin1(title[0]);
    return title;
}

std::vector<TKeyTarget> KeyTargetsOf(const TImporterOptions& options) {
    std::vector<TKeyTarget> targets;
    targets.reserve(static_cast<size_t>(options.FieldCount()));
    const bool mixedCase = options.HasFlag(TImporterOptions::kMixedCaseTitles);
    for (int field = 0; field < options.FieldCount(); ++field) {
        const std::string& name = options.KeyName(field);
        targets.push_back(TKeyTarget{mixedCase ? MixedCaseTitle(name) : name, options.KeyType(field)});
    }
    return targets;
}

void AddKeyFromText(TKelmorClass& engine, const TKeyTarget& target, std::string_view text, bool skipEmpty,
                    const TRegionalSettings& settings) {
    if (target.type == TImporterOptions::kNoKey || (skipEmpty && text.empty())) return;
    CheckLength(target.type, text.size());
    Swallowing([&] {
        if (target.type == ktString) {  // the common case, without a copy of the text
            engine.AddStringKey(target.name, text);
            return;
        }
        const std::string value(text);
        if (IsIntegerType(target.type)) {
            int64_t number = 0;
            if (!ParseInteger(value, number)) number = 0;
            AddInteger(engine, target, number);
            return;
        }
        switch (target.type) {
            case ktFloat: {
                float number = 0;
                if (!ParseSingle(value, settings, number)) number = 0;
                engine.AddFloatKey(target.name, number);
                break;
            }
            case ktSequence: engine.AddSequenceKey(target.name, BytesOf(text), text.size()); break;
            case ktBlob: engine.AddBlobKey(target.name, BytesOf(text), text.size()); break;
            case ktCurrency: {
                int64_t amount = 0;
                if (!ParseCurrency(value, settings, amount)) amount = 0;
                engine.AddCurrencyKey(target.name, amount);
                break;
            }
            case ktDouble: {
                double number = 0;
                if (!ParseDouble(value, settings, number)) number = 0;
                engine.AddDoubleKey(target.name, number);
                break;
            }
            case ktDate: {
                double dateTime = 0;
                if (!ParseDateTime(value, settings, dateTime)) dateTime = 0;
                engine.AddDateKey(target.name, dateTime);
                break;
            }
            default: break;
        }
    });
}

void AddKeyFromNumber(TKelmorClass& engine, const TKeyTarget& target, float value, bool skipEmpty,
                      const TRegionalSettings& settings) {
    if (target.type == TImporterOptions::kNoKey || (skipEmpty && value == 0)) return;
    Swallowing([&] {
        const double number = value;  // exact
        if (IsIntegerType(target.type)) {
            AddInteger(engine, target, ToInt64(std::trunc(number)));
            return;
        }
        switch (target.type) {
            case ktFloat: engine.AddFloatKey(target.name, value); break;
            case ktDouble: engine.AddDoubleKey(target.name, number); break;
            case ktString: engine.AddStringKey(target.name, FormatGeneral(number, 9, settings)); break;
            case ktSequence:
            case ktBlob: {
                const auto bytes = DoubleToExtended80(number);
                if (target.type == ktSequence) {
                    engine.AddSequenceKey(target.name, bytes.data(), bytes.size());
                } else {
                    engine.AddBlobKey(target.name, bytes.data(), bytes.size());
                }
                break;
            }
            case ktCurrency:
                // A single times 10000 is exact in a double; nearbyint rounds a half to even.
                engine.AddCurrencyKey(target.name, ToInt64(std::nearbyint(number * 10000.0)));
                break;
            case ktDate: engine.AddDateKey(target.name, number); break;
            default: break;
        }
    });
}

void AddKeyFromTruth(TKelmorClass& engine, const TKeyTarget& target, bool value, bool skipEmpty) {
    if (target.type == TImporterOptions::kNoKey || (skipEmpty && !value)) return;
    const uint8_t b = value ? 1 : 0;
    Swallowing([&] {
        if (IsIntegerType(target.type)) {
            AddInteger(engine, target, b);
            return;
        }
        switch (target.type) {
            case ktFloat: engine.AddFloatKey(target.name, b); break;
            case ktDouble: engine.AddDoubleKey(target.name, b); break;
            case ktString: engine.AddStringKey(target.name, value ? "1" : "0"); break;
            case ktSequence: engine.AddSequenceKey(target.name, &b, 1); break;
            case ktBlob: engine.AddBlobKey(target.name, &b, 1); break;
            case ktCurrency: engine.AddCurrencyKey(target.name, int64_t{b} * 10000); break;
            case ktDate: engine.AddDateKey(target.name, b); break;
            default: break;
        }
    });
}

}  // namespace kelmor
