#include "interchange/timporterdbf.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "engine/tkelmor.h"

namespace kelmor {

namespace {

// Fixed notation with precision 11 and three decimals: the value rounded to 11
// significant digits, shown with three decimals; scientific when the integer part has
// more than 11 digits.
std::string NumberDescription(float value, const TRegionalSettings& settings) {
    constexpr int kPrecision = 11;
    constexpr int kDecimals = 3;
    const double number = value;
    if (!std::isfinite(number)) return FormatFixed(number, kDecimals, settings);
    const double magnitude = std::fabs(number);
    const int integerDigits = magnitude < 1 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    if (integerDigits > kPrecision) return FormatGeneral(number, kPrecision, settings);
    const int kept = std::min(kDecimals, kPrecision - integerDigits);
    std::string text = FormatFixed(number, kept, settings);
    if (kept < kDecimals) {
        if (kept == 0) text += settings.decimalSeparator;
        text.append(static_cast<size_t>(kDecimals - kept), '0');
    }
    return text;
}

}  // namespace

TImporterDBF::TImporterDBF(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                           TKelmorClass& database)
    : TKelmorInOut(std::move(onProgress), location, fileName, database) {
    SetResultCode(kSuccess);  // a location that names no node is created when the job runs
    Progress("Parsing DBF Header...");
    table_ = std::make_unique<TXbaseTable>(fileName);
    options_.SetFlags(TImporterOptions::kDefaultFlags);
    for (int field = 1; field <= table_->FieldCount(); ++field) {
        const uint8_t code = table_->FieldTypeCode(field);
        options_.AddField(TXbaseTable::SourceTypeText(code), table_->FieldName(field),
                          TXbaseTable::DefaultKeyType(code), code);
    }
}

TImporterDBF::~TImporterDBF() { Wait(); }

std::string TImporterDBF::DescriptionOf(int field, const TRegionalSettings& settings) const {
    switch (table_->FieldTypeCode(field)) {
        case TXbaseTable::kCharacterField: return table_->FieldText(field);
        case TXbaseTable::kDateField: return FormatDateTime("ddddd", table_->FieldDate(field), settings);
        case TXbaseTable::kNumericField: return NumberDescription(table_->FieldNumber(field, settings), settings);
        case TXbaseTable::kLogicalField: return table_->FieldTruth(field) ? "1" : "0";
        default: return "";  // an empty description keeps the record's items in their places
    }
}

void TImporterDBF::AddFieldKey(int field, const TKeyTarget& target, bool skipEmpty, const TRegionalSettings& settings) {
    TKelmorClass& engine = Database();
    switch (table_->FieldTypeCode(field)) {
        case TXbaseTable::kCharacterField:
            AddKeyFromText(engine, target, table_->FieldText(field), skipEmpty, settings);
            break;
        case TXbaseTable::kDateField: {
            const double date = table_->FieldDate(field);
            if (target.type != ktDate) {
                AddKeyFromText(engine, target, FormatDateTime("ddddd", date, settings), skipEmpty, settings);
                break;
            }
            // Straight from YYYYMMDD: a short date of two-digit years would lose the century.
            // As by the text rule, a key the engine refuses is left out.
            try {
                engine.AddDateKey(target.name, date);
            } catch (const std::exception&) {}
            break;
        }
        case TXbaseTable::kNumericField:
            AddKeyFromNumber(engine, target, table_->FieldNumber(field, settings), skipEmpty, settings);
            break;
        case TXbaseTable::kLogicalField: AddKeyFromTruth(engine, target, table_->FieldTruth(field), skipEmpty); break;
        default: break;
    }
}

void TImporterDBF::Execute() {
    Progress("Importing DBF...");
    if (table_->RecordCount() < 1) return;
    if (StartNode() == -1) SetStartNode(FindOrCreatePath(Location()));

    TKelmorClass& engine = Database();
    const TRegionalSettings settings = engine.RegionalSettings();
    const std::vector<TKeyTarget> targets = KeyTargetsOf(options_);
    const bool firstFieldIsKey = !options_.HasFlag(TImporterOptions::kFirstFieldNotKey);
    const bool skipEmpty = options_.HasFlag(TImporterOptions::kSkipEmptyValues);
    const int fieldCount = table_->FieldCount();

    while (!AbortRequested()) {
        engine.ClearNode();
        if (table_->ReadNextRecord() != 0) break;
        const std::string record = std::to_string(table_->NextRecordNumber() - 1);
        try {
            engine.SetDescription(DescriptionOf(1, settings));
        } catch (const std::exception&) {
            throw std::runtime_error("Unable to set description.\n\n(record #" + record + ")");
        }
        for (int field = 1; field <= fieldCount; ++field) {
            if (field == 1 && !firstFieldIsKey) continue;
            if (field > static_cast<int>(targets.size())) break;
            // A field that gives no key is not read, so its value cannot end the import.
            if (targets[static_cast<size_t>(field - 1)].type == TImporterOptions::kNoKey) continue;
            try {
                AddFieldKey(field, targets[static_cast<size_t>(field - 1)], skipEmpty, settings);
            } catch (const std::exception&) {
                throw std::runtime_error("Unable to set key value.\n\n(record #" + record + ", field #" +
                                         std::to_string(field) + ")");
            }
        }
        engine.CreateNode(StartNode());
        Progress("Record " + record);
    }
}

}  // namespace kelmor
