// TKelmorClass: the node record in the work buffer, its description and keys, loading
// and saving records, and the key clipboard.
//
// The work buffer always holds a well-formed record: LoadNode refuses records whose
// items do not add up, a record that cannot be read whole leaves an empty record
// behind, and every change checks its room before it touches anything, so that a
// refused change leaves the record as it was.
#include <algorithm>
#include <cstring>

#include "engine/littleendian.h"
#include "engine/tkelmor.h"

namespace kelmor {

namespace {
constexpr uint32_t kMaxText = 255;

template <typename T>
T ReadLE(const uint8_t* in) {
    T value;
    std::memcpy(&value, in, sizeof(T));  // the format and the machine are little-endian
    return value;
}
template <typename T>
std::array<uint8_t, sizeof(T)> BytesOf(T value) {
    std::array<uint8_t, sizeof(T)> bytes;
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}
std::string_view Cut(std::string_view text) { return text.substr(0, kMaxText); }
const uint8_t* TextBytes(std::string_view text) { return reinterpret_cast<const uint8_t*>(text.data()); }
}  // namespace

// ---------------------------------------------------------------- items

uint16_t TKelmorClass::RecordLength() const { return GetLE16(work_.get()); }
uint16_t TKelmorClass::ItemCount() const { return GetLE16(work_.get() + 2); }

void TKelmorClass::SetRecordHeader(uint32_t length, uint32_t count) {
    PutLE16(work_.get(), length);
    PutLE16(work_.get() + 2, count);
}

uint32_t TKelmorClass::ItemOffset(uint32_t item) const {
    if (item < 1 || item > ItemCount()) return 0;
    uint32_t offset = kRecordHeaderSize;
    for (uint32_t i = 1; i < item; ++i) offset += work_[offset] + 2u;
    return offset;
}

void TKelmorClass::EnsureRoom(uint32_t bytes) const {
    if (RecordLength() + bytes > kWorkBufferSize) throw EKelmorKeyListFullError();
}

void TKelmorClass::AppendItem(uint8_t type, const uint8_t* value, uint32_t length) {
    EnsureRoom(length + 2);
    const uint32_t at = RecordLength();
    work_[at] = static_cast<uint8_t>(length);
    work_[at + 1] = type;
    if (length) std::memcpy(work_.get() + at + 2, value, length);
    SetRecordHeader(at + length + 2, ItemCount() + 1u);
}

void TKelmorClass::InsertItem(uint32_t position, uint8_t type, const uint8_t* value, uint32_t length) {
    if (position > ItemCount()) {
        AppendItem(type, value, length);
        return;
    }
    EnsureRoom(length + 2);
    const uint32_t at = ItemOffset(position);
    const uint32_t end = RecordLength();
    std::memmove(work_.get() + at + length + 2, work_.get() + at, end - at);
    work_[at] = static_cast<uint8_t>(length);
    work_[at + 1] = type;
    if (length) std::memcpy(work_.get() + at + 2, value, length);
    SetRecordHeader(end + length + 2, ItemCount() + 1u);
}

void TKelmorClass::RemoveItem(uint32_t position) {
    const uint32_t at = ItemOffset(position);
    if (at == 0) throw EKelmorInvalidKeyIndexError();
    const uint32_t size = work_[at] + 2u;
    const uint32_t end = RecordLength();
    std::memmove(work_.get() + at, work_.get() + at + size, end - at - size);
    std::memset(work_.get() + end - size, 0, size);  // bytes behind the record stay zero
    SetRecordHeader(end - size, ItemCount() - 1u);
}

void TKelmorClass::CheckWritable() const {
    if (readOnly_) throw EKelmorReadOnly();
}

void TKelmorClass::CheckKeyIndex(uint16_t index, uint16_t highest) const {
    if (index < 1 || index > highest) throw EKelmorInvalidKeyIndexError();
}

const uint8_t* TKelmorClass::KeyValue(uint16_t index, uint8_t type, uint32_t* length) const {
    const uint32_t at = index >= 1 ? ItemOffset(2u * index + 1) : 0;
    if (at == 0) throw EKelmorInvalidKeyIndexError();
    if (work_[at + 1] != type) throw EKelmorWrongKeyType();
    const int size = KeyValueSize(type);
    if (size > 0 && work_[at] != size)
        throw EKelmorDamagedError("key " + std::to_string(index) + " of the current node holds " +
                                  std::to_string(work_[at]) + " bytes, where a " + KeyTypeName(type) + " takes " +
                                  std::to_string(size) + ".");
    if (length) *length = work_[at];
    return work_.get() + at + 2;
}

// ---------------------------------------------------------------- the record

void TKelmorClass::ClearNode() {
    std::memset(work_.get(), 0, std::clamp<uint32_t>(RecordLength(), kRecordHeaderSize, kWorkBufferSize));
    SetRecordHeader(kRecordHeaderSize, 0);
}

// A record without items (stored by creating a node from a cleared buffer) reads as
// an empty description, so that walks over the tree do not fail on such a node.
std::string TKelmorClass::GetDescription() const {
    const uint32_t at = ItemOffset(1);
    if (at == 0) return std::string();
    return std::string(reinterpret_cast<const char*>(work_.get() + at + 2), work_[at]);
}

void TKelmorClass::SetDescription(std::string_view description) {
    CheckWritable();
    const std::string_view text = Cut(description);
    if (ItemCount() == 0) {
        AppendItem(ktName, TextBytes(text), static_cast<uint32_t>(text.size()));
        return;
    }
    const uint32_t old = work_[ItemOffset(1)];
    if (text.size() > old) EnsureRoom(static_cast<uint32_t>(text.size() - old));
    RemoveItem(1);
    InsertItem(1, ktName, TextBytes(text), static_cast<uint32_t>(text.size()));
}

uint16_t TKelmorClass::KeyCount() const {
    const uint16_t count = ItemCount();
    return count == 0 ? 0 : static_cast<uint16_t>((count - 1) / 2);
}

uint8_t TKelmorClass::KeyType(uint16_t index) const {
    CheckKeyIndex(index, KeyCount());
    return work_[ItemOffset(2u * index + 1) + 1];
}

std::string TKelmorClass::GetKeyName(uint16_t index) const {
    const uint32_t at = index >= 1 ? ItemOffset(2u * index) : 0;
    if (at == 0) throw EKelmorInvalidKeyIndexError();
    if (work_[at + 1] != ktName) throw EKelmorWrongKeyType();
    return std::string(reinterpret_cast<const char*>(work_.get() + at + 2), work_[at]);
}

void TKelmorClass::RenameKey(uint16_t index, const std::string& name) {
    CheckWritable();
    CheckKeyIndex(index, KeyCount());
    const std::string_view text = Cut(name);
    const uint32_t old = work_[ItemOffset(2u * index)];
    if (text.size() > old) EnsureRoom(static_cast<uint32_t>(text.size() - old));
    RemoveItem(2u * index);
    InsertItem(2u * index, ktName, TextBytes(text), static_cast<uint32_t>(text.size()));
}

uint16_t TKelmorClass::FindKey(const std::string& name) const {
    const std::string wanted = UpperCaseAscii(name);
    const uint16_t count = KeyCount();
    uint32_t at = ItemOffset(2);
    for (uint16_t index = 1; index <= count; ++index) {
        const std::string keyName(reinterpret_cast<const char*>(work_.get() + at + 2), work_[at]);
        if (UpperCaseAscii(keyName) == wanted) return index;
        at += work_[at] + 2u;  // the name
        at += work_[at] + 2u;  // the value
    }
    return 0;
}

// ---------------------------------------------------------------- typed values

uint8_t TKelmorClass::GetByteKey(uint16_t index) const { return *KeyValue(index, ktByte); }
int16_t TKelmorClass::GetIntegerKey(uint16_t index) const { return ReadLE<int16_t>(KeyValue(index, ktInteger)); }
int32_t TKelmorClass::GetLongintKey(uint16_t index) const { return ReadLE<int32_t>(KeyValue(index, ktLongint)); }
float TKelmorClass::GetFloatKey(uint16_t index) const { return ReadLE<float>(KeyValue(index, ktFloat)); }
int64_t TKelmorClass::GetCurrencyKey(uint16_t index) const { return ReadLE<int64_t>(KeyValue(index, ktCurrency)); }
double TKelmorClass::GetDoubleKey(uint16_t index) const { return ReadLE<double>(KeyValue(index, ktDouble)); }

double TKelmorClass::GetDateKey(uint16_t index) const {
    return PackedToDateTime(ReadLE<uint32_t>(KeyValue(index, ktDate)));
}

std::string TKelmorClass::GetStringKey(uint16_t index) const {
    uint32_t length = 0;
    const uint8_t* value = KeyValue(index, ktString, &length);
    return std::string(reinterpret_cast<const char*>(value), length);
}

uint8_t TKelmorClass::GetSequenceKey(uint16_t index, uint8_t* buffer) const {
    uint32_t length = 0;
    const uint8_t* value = KeyValue(index, ktSequence, &length);
    if (length) std::memcpy(buffer, value, length);
    return static_cast<uint8_t>(length);
}

std::string TKelmorClass::GetSequenceKey(uint16_t index) const {
    uint32_t length = 0;
    const uint8_t* value = KeyValue(index, ktSequence, &length);
    return std::string(reinterpret_cast<const char*>(value), length);
}

// ---------------------------------------------------------------- adding and inserting keys

void TKelmorClass::AddKeyItems(std::string_view name, uint8_t type, const uint8_t* value, uint32_t length) {
    CheckWritable();
    const std::string_view text = Cut(name);
    EnsureRoom(static_cast<uint32_t>(text.size()) + 2 + length + 2);
    AppendItem(ktName, TextBytes(text), static_cast<uint32_t>(text.size()));
    AppendItem(type, value, length);
}

void TKelmorClass::InsertKeyItems(std::string_view name, uint16_t index, uint8_t type, const uint8_t* value,
                                  uint32_t length) {
    CheckWritable();
    CheckKeyIndex(index, static_cast<uint16_t>(KeyCount() + 1));
    const std::string_view text = Cut(name);
    EnsureRoom(static_cast<uint32_t>(text.size()) + 2 + length + 2);
    InsertItem(2u * index, type, value, length);
    InsertItem(2u * index, ktName, TextBytes(text), static_cast<uint32_t>(text.size()));
}

#define KELMOR_FIXED_KEY(Suffix, Type, Code)                                                      \
    void TKelmorClass::Add##Suffix##Key(const std::string& name, Type value) {                    \
        const auto bytes = BytesOf<Type>(value);                                                  \
        AddKeyItems(name, Code, bytes.data(), sizeof(Type));                                      \
    }                                                                                             \
    void TKelmorClass::Insert##Suffix##Key(const std::string& name, uint16_t index, Type value) { \
        const auto bytes = BytesOf<Type>(value);                                                  \
        InsertKeyItems(name, index, Code, bytes.data(), sizeof(Type));                            \
    }
KELMOR_FIXED_KEY(Byte, uint8_t, ktByte)
KELMOR_FIXED_KEY(Integer, int16_t, ktInteger)
KELMOR_FIXED_KEY(Longint, int32_t, ktLongint)
KELMOR_FIXED_KEY(Float, float, ktFloat)
KELMOR_FIXED_KEY(Currency, int64_t, ktCurrency)
KELMOR_FIXED_KEY(Double, double, ktDouble)
#undef KELMOR_FIXED_KEY

void TKelmorClass::AddDateKey(const std::string& name, double dateTime) {
    const auto bytes = BytesOf<uint32_t>(DateTimeToPacked(dateTime));
    AddKeyItems(name, ktDate, bytes.data(), 4);
}
void TKelmorClass::InsertDateKey(const std::string& name, uint16_t index, double dateTime) {
    const auto bytes = BytesOf<uint32_t>(DateTimeToPacked(dateTime));
    InsertKeyItems(name, index, ktDate, bytes.data(), 4);
}

void TKelmorClass::AddStringKey(std::string_view name, std::string_view value) {
    const std::string_view text = Cut(value);
    AddKeyItems(name, ktString, TextBytes(text), static_cast<uint32_t>(text.size()));
}
void TKelmorClass::InsertStringKey(std::string_view name, uint16_t index, std::string_view value) {
    const std::string_view text = Cut(value);
    InsertKeyItems(name, index, ktString, TextBytes(text), static_cast<uint32_t>(text.size()));
}

void TKelmorClass::AddSequenceKey(const std::string& name, const uint8_t* data, size_t length) {
    AddKeyItems(name, ktSequence, data, static_cast<uint32_t>(std::min<size_t>(length, kMaxText)));
}
void TKelmorClass::InsertSequenceKey(const std::string& name, uint16_t index, const uint8_t* data, size_t length) {
    InsertKeyItems(name, index, ktSequence, data, static_cast<uint32_t>(std::min<size_t>(length, kMaxText)));
}

void TKelmorClass::AddBlobKey(const std::string& name, const uint8_t* data, size_t size) {
    CheckWritable();
    EnsureRoom(static_cast<uint32_t>(Cut(name).size()) + 2 + 14 + 2);  // no blob without room for its key
    const auto reference = StoreBlob(data, size);
    AddKeyItems(name, ktBlob, reference.data(), 14);
}
void TKelmorClass::InsertBlobKey(const std::string& name, uint16_t index, const uint8_t* data, size_t size) {
    CheckWritable();
    CheckKeyIndex(index, static_cast<uint16_t>(KeyCount() + 1));
    EnsureRoom(static_cast<uint32_t>(Cut(name).size()) + 2 + 14 + 2);
    const auto reference = StoreBlob(data, size);
    InsertKeyItems(name, index, ktBlob, reference.data(), 14);
}

// ---------------------------------------------------------------- removing and moving keys

void TKelmorClass::DeleteKey(uint16_t index) {
    CheckWritable();
    CheckKeyIndex(index, KeyCount());
    if (KeyType(index) == ktBlob) DeleteBlobOfKey(index);
    RemoveItem(2u * index);
    RemoveItem(2u * index);
}

void TKelmorClass::SwapKeys(uint16_t index) {
    CheckWritable();
    if (index < 1 || index >= KeyCount()) throw EKelmorInvalidKeyIndexError();
    const uint16_t next = static_cast<uint16_t>(index + 1);
    const std::string name = GetKeyName(next);
    const uint32_t valueAt = ItemOffset(2u * next + 1);
    const uint8_t type = work_[valueAt + 1];
    const std::vector<uint8_t> value(work_.get() + valueAt + 2, work_.get() + valueAt + 2 + work_[valueAt]);
    RemoveItem(2u * next);
    RemoveItem(2u * next);
    InsertItem(2u * index, type, value.data(), static_cast<uint32_t>(value.size()));
    InsertItem(2u * index, ktName, TextBytes(name), static_cast<uint32_t>(name.size()));
}

void TKelmorClass::MarkKey(uint16_t index) {
    CheckWritable();
    CheckKeyIndex(index, KeyCount());
    if (KeyType(index) == ktBlob) throw EKelmorInvalidOpOnBlob();
    const uint32_t valueAt = ItemOffset(2u * index + 1);
    keyClipboard_.name = GetKeyName(index);
    keyClipboard_.type = work_[valueAt + 1];
    keyClipboard_.value.assign(work_.get() + valueAt + 2, work_.get() + valueAt + 2 + work_[valueAt]);
    keyClipboard_.marked = true;
}

void TKelmorClass::CutKey(uint16_t index) {
    MarkKey(index);
    DeleteKey(index);
}

void TKelmorClass::PasteKey() {
    CheckWritable();
    if (!keyClipboard_.marked) throw EKelmorNoKeyMarkedError();
    AddKeyItems(keyClipboard_.name, keyClipboard_.type, keyClipboard_.value.data(),
                static_cast<uint32_t>(keyClipboard_.value.size()));
}

// ---------------------------------------------------------------- display text

std::string TKelmorClass::KeyValueText(uint16_t index) const {
    switch (KeyType(index)) {
        case ktByte: return FormatInteger(GetByteKey(index));
        case ktInteger: return FormatInteger(GetIntegerKey(index));
        case ktLongint: return FormatInteger(GetLongintKey(index));
        case ktFloat: return FormatFloatFixed3(GetFloatKey(index), regional_);
        case ktString: return GetStringKey(index);
        case ktSequence: {
            const std::string bytes = GetSequenceKey(index);
            if (bytes.empty()) return "(zero length value)";
            static const char kHex[] = "0123456789ABCDEF";
            std::string text;
            for (size_t i = 0; i < bytes.size() && text.size() < 250; ++i) {
                const auto b = static_cast<uint8_t>(bytes[i]);
                text += kHex[b >> 4];
                text += kHex[b & 15];
                text += ' ';
            }
            text.pop_back();
            return text;
        }
        case ktBlob: return "DATA: " + std::to_string(GetBlobKey(index, nullptr)) + " bytes";
        case ktCurrency: return FormatCurrency(GetCurrencyKey(index), regional_);
        case ktDouble: return FormatDoubleGeneral(GetDoubleKey(index), regional_);
        case ktDate: {
            const double dateTime = GetDateKey(index);
            return FormatDateTime("c", dateTime, regional_);
        }
        default: return "";
    }
}

// ---------------------------------------------------------------- loading and saving

// A record read from a file must be exactly what its length and count say.
void TKelmorClass::CheckLoadedRecord(int32_t nodeID, uint32_t available) {
    const uint32_t length = RecordLength();
    auto damaged = [&](const std::string& what) {
        throw EKelmorDamagedError("the record of node " + std::to_string(nodeID) + " " + what);
    };
    if (length < kRecordHeaderSize || length > available)
        damaged("claims " + std::to_string(length) + " bytes, but " + std::to_string(available) +
                " are there (at most 65510 are possible).");
    uint32_t offset = kRecordHeaderSize, items = 0;
    while (offset < length) {
        if (length - offset < 2 || work_[offset] + 2u > length - offset) damaged("has an item that runs past its end.");
        offset += work_[offset] + 2u;
        ++items;
    }
    if (items != ItemCount())
        damaged("holds " + std::to_string(items) + " items, but says " + std::to_string(ItemCount()) + ".");
}

bool TKelmorClass::LoadNode(int32_t nodeID) {
    ClearNode();
    const TNodeSlot* slot = nodes_.Find(nodeID);
    if (!slot) return false;
    if (slot->entry.security < currentUser_) throw EKelmorAccessDenied();
    if (slot->entry.IsLink()) {
        slot = nodes_.Find(-slot->entry.dataPosition);
        if (!slot || slot->entry.IsLink()) return false;
    }
    ReadRecordOf(*slot);
    return true;
}

void TKelmorClass::ReadRecordOf(const TNodeSlot& slot) {
    ClearNode();
    const uint32_t available = std::min<uint32_t>(slot.record.length, kWorkBufferSize);
    if (available < kRecordHeaderSize)
        throw EKelmorDamagedError("the record of node " + std::to_string(slot.entry.nodeID) + " is too short.");
    try {
        records_.Read(slot.record, 0, work_.get(), available);
        const uint32_t length = RecordLength();
        if (length >= kRecordHeaderSize && length <= available) {
            DescrambleBlock(work_.get() + 2, length - 2, securityType_);
            std::memset(work_.get() + length, 0, available - length);  // a gap behind the record
        }
        CheckLoadedRecord(slot.entry.nodeID, available);
    } catch (...) {
        // A short read or a refused record must not leave part of a record (or its
        // scrambled count) behind for the next FindKey or KeyCount to walk.
        std::memset(work_.get(), 0, kWorkBufferSize);
        SetRecordHeader(kRecordHeaderSize, 0);
        throw;
    }
}

void TKelmorClass::SaveNode(int32_t nodeID) {
    CheckWritable();
    TNodeSlot* slot = nodes_.Find(nodeID);
    if (!slot || slot->entry.IsLink()) throw EKelmorNodeIDInvalidError();
    if (slot->entry.security < currentUser_) throw EKelmorNodeReadOnlyError();
    const uint32_t length = RecordLength();
    uint32_t stored = slot->record.length;
    if (stored != length && stored >= 2) {
        uint8_t bytes[2];
        records_.Read(slot->record, 0, bytes, 2);
        stored = GetLE16(bytes);
    }
    saveBuffer_.assign(work_.get(), work_.get() + length);
    ScrambleBlock(saveBuffer_.data() + 2, length - 2, securityType_);
    if (stored == length) {
        slot->record = records_.Replace(slot->record, saveBuffer_.data(), length);
    } else {
        slot->record = records_.Append(saveBuffer_.data(), length);
    }
    modified_ = true;
}

}  // namespace kelmor
