#include "editors/keytypeimage.h"

#include "engine/keytypes.h"

namespace kelmor {

int KeyTypeImageIndex(uint8_t type) {
    switch (type) {
        case ktByte: return 7;
        case ktInteger: return 8;
        case ktLongint: return 9;
        case ktFloat: return 10;
        case ktString: return 11;
        case ktSequence: return 12;
        case ktBlob: return 13;
        case ktCurrency: return 35;
        case ktDouble: return 36;
        case ktDate: return 44;
        default: return -1;
    }
}

}  // namespace kelmor
