#include "engine/keyvaluefromtext.h"

#include <limits>

#include "engine/keytypes.h"
#include "engine/regional.h"
#include "engine/tkelmor.h"

namespace kelmor {

namespace {

constexpr size_t kMaxStringValue = 255;

bool ReadInteger(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    return ParseInteger(text, value) && value >= low && value <= high;
}

}  // namespace

bool InsertKeyFromText(TKelmorClass& engine, const std::string& name, uint16_t index, uint8_t type,
                       const std::string& text) {
    const TRegionalSettings& settings = engine.RegionalSettings();
    int64_t whole = 0;
    switch (type) {
        case ktByte:
            if (!ReadInteger(text, 0, std::numeric_limits<uint8_t>::max(), whole)) return false;
            engine.InsertByteKey(name, index, static_cast<uint8_t>(whole));
            return true;
        case ktInteger:
            if (!ReadInteger(text, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max(), whole))
                return false;
            engine.InsertIntegerKey(name, index, static_cast<int16_t>(whole));
            return true;
        case ktLongint:
            if (!ReadInteger(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), whole))
                return false;
            engine.InsertLongintKey(name, index, static_cast<int32_t>(whole));
            return true;
        case ktFloat: {
            float value = 0;
            if (!ParseSingle(text, settings, value)) return false;
            engine.InsertFloatKey(name, index, value);
            return true;
        }
        case ktDouble: {
            double value = 0;
            if (!ParseDouble(text, settings, value)) return false;
            engine.InsertDoubleKey(name, index, value);
            return true;
        }
        case ktCurrency: {
            int64_t scaled = 0;
            if (!ParseCurrency(text, settings, scaled)) return false;
            engine.InsertCurrencyKey(name, index, scaled);
            return true;
        }
        case ktString: engine.InsertStringKey(name, index, text.substr(0, kMaxStringValue)); return true;
        case ktDate: {
            double dateTime = 0;
            if (!ParseDateTime(text, settings, dateTime)) return false;
            // A date key holds the years 1980 to 2107 in two-second steps; 0 is the empty date.
            if (dateTime != 0 && DateTimeToPacked(dateTime) == 0) return false;
            engine.InsertDateKey(name, index, dateTime);
            return true;
        }
        default: return false;  // sequences and blobs are bytes, not text
    }
}

}  // namespace kelmor
