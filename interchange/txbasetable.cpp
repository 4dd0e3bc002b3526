#include "interchange/txbasetable.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "engine/keytypes.h"

namespace kelmor {

namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kDescriptorSize = 32;
constexpr uint8_t kDescriptorsEnd = 0x0D;
constexpr size_t kReadBufferSize = 64 * 1024;

uint16_t Get16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }
int32_t Get32(const uint8_t* in) {
    return static_cast<int32_t>(static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
                                static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24);
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// A part of a date text as a number; false when it is missing or no integer.
bool DatePart(const std::string& text, size_t from, size_t count, int& out) {
    if (from >= text.size()) return false;
    int64_t value = 0;
    if (!ParseInteger(text.substr(from, count), value) || value < -100000 || value > 100000) return false;
    out = static_cast<int>(value);
    return true;
}

}  // namespace

TXbaseTable::TXbaseTable(const std::string& fileName) {
    file_.reset(std::fopen(fileName.c_str(), "rb"));
    if (!file_) throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
    fileBuffer_.resize(kReadBufferSize);
    std::setvbuf(file_.get(), fileBuffer_.data(), _IOFBF, fileBuffer_.size());
    struct stat info {};
    if (fstat(fileno(file_.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw std::runtime_error("\"" + fileName + "\" is not a file that can be read.");
    }
    ReadHeader(fileName, static_cast<uint64_t>(info.st_size));
}

void TXbaseTable::ReadHeader(const std::string& fileName, uint64_t fileSize) {
    const std::string damaged = "\"" + fileName + "\" is not a valid dBase table: ";
    uint8_t header[kHeaderSize];
    if (std::fread(header, 1, kHeaderSize, file_.get()) != kHeaderSize) {
        throw std::runtime_error(damaged + "the file is shorter than a table header (32 bytes).");
    }
    recordCount_ = Get32(header + 4);
    headerLength_ = Get16(header + 8);
    recordLength_ = Get16(header + 10);
    if (recordLength_ == 0) throw std::runtime_error(damaged + "the record length is 0.");
    if (headerLength_ > fileSize) {
        throw std::runtime_error(damaged + "the header length (" + std::to_string(headerLength_) +
                                 " bytes) reaches beyond the end of the file (" + std::to_string(fileSize) +
                                 " bytes).");
    }
    if (headerLength_ < kHeaderSize + 1) {
        throw std::runtime_error(damaged + "the header length (" + std::to_string(headerLength_) +
                                 " bytes) leaves no room for field descriptors.");
    }

    // Descriptors lie inside the header; the list ends at the 0x0D mark, at a block that
    // cannot be read whole, or where a descriptor would reach into the records.
    uint32_t offset = 1;  // behind the deletion flag
    for (size_t at = kHeaderSize; at < headerLength_; at += kDescriptorSize) {
        uint8_t block[kDescriptorSize];
        const size_t got = std::fread(block, 1, kDescriptorSize, file_.get());
        if (got >= 1 && block[0] == kDescriptorsEnd) break;
        if (got != kDescriptorSize || at + kDescriptorSize > headerLength_) break;
        if (fields_.size() == kMaxFields) {
            throw std::runtime_error(damaged + "it has more than " + std::to_string(kMaxFields) +
                                     " fields, the most a table can have.");
        }
        TField field;
        field.name.assign(reinterpret_cast<const char*>(block), strnlen(reinterpret_cast<const char*>(block), 11));
        field.typeCode = TypeCodeOf(UpperAscii(static_cast<char>(block[11])));
        field.length = block[16];
        field.offset = offset;
        offset += field.length;
        if (offset > recordLength_) {
            throw std::runtime_error(damaged + "field " + std::to_string(fields_.size() + 1) + " (" + field.name +
                                     ", " + std::to_string(field.length) +
                                     " bytes) reaches beyond the record length (" + std::to_string(recordLength_) +
                                     " bytes).");
        }
        fields_.push_back(std::move(field));
    }
    if (fields_.empty()) throw std::runtime_error(damaged + "it has no fields.");

    record_.assign(recordLength_, 0);
    if (std::fseek(file_.get(), headerLength_, SEEK_SET) != 0) {
        throw std::runtime_error("Cannot read \"" + fileName + "\": " + std::strerror(errno) + ".");
    }
}

int TXbaseTable::ReadNextRecord() {
    if (nextRecord_ > recordCount_) return -1;
    if (std::fread(record_.data(), 1, record_.size(), file_.get()) != record_.size()) return -1;
    if (record_[0] != ' ') return -1;
    ++nextRecord_;
    return 0;
}

std::string TXbaseTable::FieldText(int field) const {
    const TField& f = fields_.at(static_cast<size_t>(field - 1));
    const char* start = reinterpret_cast<const char*>(record_.data() + f.offset);
    size_t length = strnlen(start, f.length);
    while (length > 0 && start[length - 1] == ' ') --length;
    return std::string(start, length);
}

double TXbaseTable::FieldDate(int field) const {
    const std::string text = FieldText(field);
    int year = 0, month = 0, day = 0;
    if (!DatePart(text, 0, 4, year) || !DatePart(text, 4, 2, month) || !DatePart(text, 6, 2, day)) {
        throw std::invalid_argument("'" + text + "' is not a valid date");
    }
    if (year >= 0 && year < 100) year += year < 50 ? 2000 : 1900;
    if (!IsValidDate(year, month, day)) throw std::invalid_argument("'" + text + "' is not a valid date");
    return EncodeDate(year, month, day);
}

float TXbaseTable::FieldNumber(int field, const TRegionalSettings& settings) const {
    std::string text = FieldText(field);
    for (char& c : text) {
        if (c == '.') {
            c = settings.decimalSeparator;
        } else if (c == ',') {
            c = settings.thousandsSeparator;
        }
    }
    float value = 0;
    if (!ParseSingle(text, settings, value)) throw std::invalid_argument("'" + text + "' is not a valid number");
    return value;
}

bool TXbaseTable::FieldTruth(int field) const {
    const std::string text = FieldText(field);
    if (text.empty()) return false;
    const char first = UpperAscii(text[0]);
    return first == '1' || first == 'T' || first == 'Y';
}

uint8_t TXbaseTable::TypeCodeOf(char typeCharacter) {
    switch (typeCharacter) {
        case 'C': return kCharacterField;
        case 'D': return kDateField;
        case 'N': return kNumericField;
        case 'L': return kLogicalField;
        default: return kUnknownField;
    }
}

const char* TXbaseTable::SourceTypeText(uint8_t typeCode) {
    switch (typeCode) {
        case kCharacterField: return "String";
        case kDateField: return "Date";
        case kNumericField: return "Numeric";
        case kLogicalField: return "Logical";
        default: return "Unknown";
    }
}

uint8_t TXbaseTable::DefaultKeyType(uint8_t typeCode) {
    switch (typeCode) {
        case kCharacterField: return ktString;
        case kDateField: return ktDate;
        case kNumericField: return ktFloat;
        case kLogicalField: return ktByte;
        default: return 0;
    }
}

}  // namespace kelmor
