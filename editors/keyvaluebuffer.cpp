#include "editors/keyvaluebuffer.h"

#include <algorithm>
#include <cstring>

#include "engine/keytypes.h"
#include "engine/tkelmor.h"

namespace kelmor {

int KeyValueBufferSize(uint8_t type) {
    switch (type) {
        case ktByte: return 1;
        case ktInteger: return 2;
        case ktLongint:
        case ktFloat: return 4;
        case ktString: return 256;
        case ktSequence: return static_cast<int>(kMaxSequenceSize);
        case ktBlob: return static_cast<int>(kMaxBlobSize);
        case ktCurrency:
        case ktDouble:
        case ktDate: return 8;
        default: return 0;
    }
}

QByteArray ReadKeyValueBuffer(const TKelmorClass& engine, uint16_t index, int& length) {
    length = 0;
    const uint8_t type = engine.KeyType(index);
    QByteArray buffer;
    switch (type) {
        case ktByte: buffer = EncodeKeyNumber<uint8_t>(engine.GetByteKey(index)); break;
        case ktInteger: buffer = EncodeKeyNumber<int16_t>(engine.GetIntegerKey(index)); break;
        case ktLongint: buffer = EncodeKeyNumber<int32_t>(engine.GetLongintKey(index)); break;
        case ktFloat: buffer = EncodeKeyNumber<float>(engine.GetFloatKey(index)); break;
        case ktCurrency: buffer = EncodeKeyNumber<int64_t>(engine.GetCurrencyKey(index)); break;
        case ktDouble: buffer = EncodeKeyNumber<double>(engine.GetDoubleKey(index)); break;
        case ktDate: buffer = EncodeKeyNumber<double>(engine.GetDateKey(index)); break;
        case ktString: {
            const std::string text = engine.GetStringKey(index);
            const size_t shown = std::min<size_t>(text.size(), 255);
            buffer = QByteArray(1, static_cast<char>(shown)) + QByteArray(text.data(), static_cast<qsizetype>(shown));
            break;
        }
        case ktSequence: {
            const std::string bytes = engine.GetSequenceKey(index);
            buffer = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
            length = static_cast<int>(bytes.size());
            break;
        }
        case ktBlob: {
            const std::vector<uint8_t> bytes = engine.GetBlobKey(index);
            buffer = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
            length = static_cast<int>(bytes.size());
            break;
        }
        default: break;
    }
    buffer.resize(std::max<qsizetype>(buffer.size(), KeyValueBufferSize(type)), '\0');
    return buffer;
}

void InsertKeyValueBuffer(TKelmorClass& engine, const std::string& name, uint16_t index, uint8_t type,
                          const QByteArray& buffer, int length) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.constData());
    // Never more than the buffer holds, nor than the type allows.
    const auto clamped = [&buffer, length](int largest) {
        return static_cast<size_t>(std::clamp<qsizetype>(length, 0, std::min<qsizetype>(buffer.size(), largest)));
    };
    switch (type) {
        case ktByte: engine.InsertByteKey(name, index, DecodeKeyNumber<uint8_t>(buffer)); break;
        case ktInteger: engine.InsertIntegerKey(name, index, DecodeKeyNumber<int16_t>(buffer)); break;
        case ktLongint: engine.InsertLongintKey(name, index, DecodeKeyNumber<int32_t>(buffer)); break;
        case ktFloat: engine.InsertFloatKey(name, index, DecodeKeyNumber<float>(buffer)); break;
        case ktCurrency: engine.InsertCurrencyKey(name, index, DecodeKeyNumber<int64_t>(buffer)); break;
        case ktDouble: engine.InsertDoubleKey(name, index, DecodeKeyNumber<double>(buffer)); break;
        case ktDate: engine.InsertDateKey(name, index, DecodeKeyNumber<double>(buffer)); break;
        case ktString: {
            const int shown = buffer.isEmpty() ? 0 : std::min<int>(static_cast<uint8_t>(buffer[0]), buffer.size() - 1);
            engine.InsertStringKey(name, index, std::string(buffer.constData() + 1, static_cast<size_t>(shown)));
            break;
        }
        case ktSequence:
            engine.InsertSequenceKey(name, index, bytes, clamped(static_cast<int>(kMaxSequenceSize)));
            break;
        case ktBlob: engine.InsertBlobKey(name, index, bytes, clamped(static_cast<int>(kMaxBlobSize))); break;
        default: break;
    }
}

}  // namespace kelmor
