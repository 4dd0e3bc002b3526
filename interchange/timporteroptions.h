// TImporterOptions: how a record import (dBase table, CSV file) turns the fields of each
// record into keys: one entry per field with its destination key name, its key type
// (0 = none, the field gives no key) and its source type, plus three flags.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelmor {

class TAdvancedImportOptions;

class TImporterOptions {
public:
    // Flags.
    static constexpr uint32_t kMixedCaseTitles = 1;   // key names in lower case with an upper-case first letter
    static constexpr uint32_t kFirstFieldNotKey = 2;  // the first field only gives the description
    static constexpr uint32_t kSkipEmptyValues = 4;   // empty texts and zero values give no key
    static constexpr uint32_t kDefaultFlags = kMixedCaseTitles | kFirstFieldNotKey;

    static constexpr uint8_t kNoKey = 0;

    // Fields are counted from 0 here.
    void AddField(const std::string& sourceTypeText, const std::string& keyName, uint8_t keyType,
                  uint8_t sourceTypeCode);
    void Clear() { fields_.clear(); }
    int FieldCount() const { return static_cast<int>(fields_.size()); }

    const std::string& KeyName(int field) const;
    uint8_t KeyType(int field) const;
    const std::string& SourceTypeText(int field) const;
    uint8_t SourceTypeCode(int field) const;
    // Both raise std::out_of_range for a field that does not exist; SetKeyType raises
    // std::invalid_argument for a code that is neither 0 nor a key type.
    void SetKeyName(int field, const std::string& name);
    void SetKeyType(int field, uint8_t keyType);

    uint32_t Flags() const { return flags_; }
    void SetFlags(uint32_t flags) { flags_ = flags; }
    bool HasFlag(uint32_t flag) const { return (flags_ & flag) != 0; }

    // The CSV options behind the "Advanced..." button; none for a dBase table. Not owned.
    TAdvancedImportOptions* OptionsForm() const { return optionsForm_; }
    void SetOptionsForm(TAdvancedImportOptions* optionsForm) { optionsForm_ = optionsForm; }

    // The key type a name gives: one of the ten type names of the interchange formats
    // (exact letter case) or "none" for 0. False for any other name.
    static bool ParseKeyType(const std::string& name, uint8_t& keyType);

private:
    struct TField {
        std::string keyName;
        uint8_t keyType = kNoKey;
        std::string sourceTypeText;
        uint8_t sourceTypeCode = 0;
    };
    const TField& At(int field) const;
    TField& At(int field);

    std::vector<TField> fields_;
    uint32_t flags_ = kDefaultFlags;
    TAdvancedImportOptions* optionsForm_ = nullptr;
};

}  // namespace kelmor
