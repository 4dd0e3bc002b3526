#include "interchange/timporteroptions.h"

#include <stdexcept>

#include "engine/keytypes.h"
#include "interchange/keytypefromname.h"

namespace kelmor {

void TImporterOptions::AddField(const std::string& sourceTypeText, const std::string& keyName, uint8_t keyType,
                                uint8_t sourceTypeCode) {
    fields_.push_back(TField{keyName, keyType, sourceTypeText, sourceTypeCode});
}

const TImporterOptions::TField& TImporterOptions::At(int field) const {
    if (field < 0 || field >= FieldCount()) {
        throw std::out_of_range("There is no field " + std::to_string(field + 1) + "; the import has " +
                                std::to_string(FieldCount()) + " field(s).");
    }
    return fields_[static_cast<size_t>(field)];
}

TImporterOptions::TField& TImporterOptions::At(int field) {
    return const_cast<TField&>(static_cast<const TImporterOptions*>(this)->At(field));
}

const std::string& TImporterOptions::KeyName(int field) const { return At(field).keyName; }
uint8_t TImporterOptions::KeyType(int field) const { return At(field).keyType; }
const std::string& TImporterOptions::SourceTypeText(int field) const { return At(field).sourceTypeText; }
uint8_t TImporterOptions::SourceTypeCode(int field) const { return At(field).sourceTypeCode; }

void TImporterOptions::SetKeyName(int field, const std::string& name) { At(field).keyName = name; }

void TImporterOptions::SetKeyType(int field, uint8_t keyType) {
    TField& entry = At(field);
    if (keyType != kNoKey && (keyType < kFirstKeyType || keyType > kLastKeyType)) {
        throw std::invalid_argument("Invalid key type " + std::to_string(keyType) + ".");
    }
    entry.keyType = keyType;
}

bool TImporterOptions::ParseKeyType(const std::string& name, uint8_t& keyType) {
    if (name == "none") {
        keyType = kNoKey;
        return true;
    }
    const uint8_t type = KeyTypeFromName(name);
    if (type == 0) return false;
    keyType = type;
    return true;
}

}  // namespace kelmor
