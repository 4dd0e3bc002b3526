#include "kelmorheader.h"

#include <cstring>

namespace kelmor {

namespace {
void Put16(uint8_t* out, uint16_t v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* out, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint16_t Get16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }
int32_t Get32(const uint8_t* in) {
    return static_cast<int32_t>(uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 |
                                uint32_t{in[3]} << 24);
}
}  // namespace

// Offsets below are relative to the block (file offset minus 49).
void TKelmorHeader::Pack(uint8_t* out) const {
    Put16(out + 0, majorVersion);
    out[2] = minorVersion;
    Put32(out + 3, lastNodeID);
    Put16(out + 7, nodeCount);
    Put32(out + 9, lastBlobID);
    Put16(out + 13, blobCount);
    std::memcpy(out + 15, reserved1.data(), 2);
    out[17] = lastWriter;
    Put16(out + 18, year);
    out[20] = month;
    out[21] = day;
    out[22] = hour;
    out[23] = minute;
    out[24] = second;
    std::memcpy(out + 25, reserved2.data(), 16);
}

TKelmorHeader TKelmorHeader::Unpack(const uint8_t* in) {
    TKelmorHeader h;
    h.majorVersion = Get16(in + 0);
    h.minorVersion = in[2];
    h.lastNodeID = Get32(in + 3);
    h.nodeCount = Get16(in + 7);
    h.lastBlobID = Get32(in + 9);
    h.blobCount = Get16(in + 13);
    std::memcpy(h.reserved1.data(), in + 15, 2);
    h.lastWriter = in[17];
    h.year = Get16(in + 18);
    h.month = in[20];
    h.day = in[21];
    h.hour = in[22];
    h.minute = in[23];
    h.second = in[24];
    std::memcpy(h.reserved2.data(), in + 25, 16);
    return h;
}

}  // namespace kelmor
