#include "engine/kelmorheader.h"
#include "engine/littleendian.h"

#include <cstring>

namespace kelmor {

// Offsets below are relative to the block (file offset minus 49).
void TKelmorHeader::Pack(uint8_t* out) const {
    PutLE16(out + 0, majorVersion);
    out[2] = minorVersion;
    PutLE32(out + 3, lastNodeID);
    PutLE16(out + 7, nodeCount);
    PutLE32(out + 9, lastBlobID);
    PutLE16(out + 13, blobCount);
    std::memcpy(out + 15, reserved1.data(), 2);
    out[17] = lastWriter;
    PutLE16(out + 18, year);
    out[20] = month;
    out[21] = day;
    out[22] = hour;
    out[23] = minute;
    out[24] = second;
    std::memcpy(out + 25, reserved2.data(), 16);
}

TKelmorHeader TKelmorHeader::Unpack(const uint8_t* in) {
    TKelmorHeader h;
    h.majorVersion = GetLE16(in + 0);
    h.minorVersion = in[2];
    h.lastNodeID = GetLE32(in + 3);
    h.nodeCount = GetLE16(in + 7);
    h.lastBlobID = GetLE32(in + 9);
    h.blobCount = GetLE16(in + 13);
    std::memcpy(h.reserved1.data(), in + 15, 2);
    h.lastWriter = in[17];
    h.year = GetLE16(in + 18);
    h.month = in[20];
    h.day = in[21];
    h.hour = in[22];
    h.minute = in[23];
    h.second = in[24];
    std::memcpy(h.reserved2.data(), in + 25, 16);
    return h;
}

}  // namespace kelmor
