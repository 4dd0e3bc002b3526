// TXbaseTable: reads a dBase table record by record: the 32-byte header (record count,
// header length, record length), the 32-byte field descriptors up to the 0x0D mark, and
// the records, each a deletion flag followed by the fields in descriptor order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/regional.h"

namespace kelmor {

class TXbaseTable {
public:
    static constexpr int kMaxFields = 255;

    // Source type codes of the fields.
    static constexpr uint8_t kUnknownField = 0;
    static constexpr uint8_t kCharacterField = 1;  // "C"
    static constexpr uint8_t kDateField = 2;       // "D"
    static constexpr uint8_t kNumericField = 3;    // "N"
    static constexpr uint8_t kLogicalField = 4;    // "L"

    // Opens the table and reads its header and field descriptors. Raises
    // std::runtime_error naming the problem when the file cannot be opened or its header
    // cannot be right (a record length of 0, a header beyond the end of the file, fields
    // that overrun the record, no fields or more than 255).
    explicit TXbaseTable(const std::string& fileName);

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    // Fields are counted from 1.
    const std::string& FieldName(int field) const { return fields_.at(static_cast<size_t>(field - 1)).name; }
    uint8_t FieldTypeCode(int field) const { return fields_.at(static_cast<size_t>(field - 1)).typeCode; }
    int32_t RecordCount() const { return recordCount_; }
    uint16_t HeaderLength() const { return headerLength_; }
    uint16_t RecordLength() const { return recordLength_; }
    // The number of the record that ReadNextRecord reads next (from 1).
    int32_t NextRecordNumber() const { return nextRecord_; }

    // Reads the next record into the record buffer: 0, or -1 at the end of the table (all
    // records of the header's count read, fewer bytes left than a record, or a record
    // whose deletion flag is not a space).
    int ReadNextRecord();

    // The values of the current record. The text is the field's bytes up to the first NUL
    // byte without trailing spaces; the others raise std::invalid_argument for a value that
    // does not convert (a blank date or number included).
    std::string FieldText(int field) const;
    double FieldDate(int field) const;
    float FieldNumber(int field, const TRegionalSettings& settings) const;
    bool FieldTruth(int field) const;

    static uint8_t TypeCodeOf(char typeCharacter);
    static const char* SourceTypeText(uint8_t typeCode);
    static uint8_t DefaultKeyType(uint8_t typeCode);

private:
    struct TField {
        std::string name;
        uint8_t typeCode = kUnknownField;
        uint8_t length = 0;
        uint32_t offset = 0;  // from the record's start, after the deletion flag
    };
    struct TFileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    void ReadHeader(const std::string& fileName, uint64_t fileSize);

    std::unique_ptr<std::FILE, TFileCloser> file_;
    std::vector<char> fileBuffer_;
    int32_t recordCount_ = 0;
    uint16_t headerLength_ = 0;
    uint16_t recordLength_ = 0;
    std::vector<TField> fields_;
    std::vector<uint8_t> record_;
    int32_t nextRecord_ = 1;
};

}  // namespace kelmor
