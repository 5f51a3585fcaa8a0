// Insertion precedence of chunk ids (the rest of what an id means is its row in
// the chunk catalogue).
#include "tds/chunk/chunk_ids.h"

namespace tds {

int chunkPrecedence(uint32_t id) {
    switch (id) {
    case 0x0000:
        return 35;
    case 0x2D2D:
        return 34;
    case 0x2D3D:
        return 33;
    case 0x4D4D:
        return 32;
    case 0x0002:
        return 31;
    case 0x3D3D:
        return 30;
    case 0xB000:
        return 29;
    case 0x0011:
        return 28;
    case 0x0012:
        return 27;
    case 0x3D3E:
        return 26;
    case 0xAFFF:
        return 25;
    case 0xB00A:
        return 24;
    case 0x0100:
        return 23;
    case 0x7001:
        return 22;
    case 0x1400:
        return 21;
    case 0x1420:
        return 20;
    case 0x1450:
        return 19;
    case 0x1460:
        return 18;
    case 0x1500:
        return 17;
    case 0x2100:
        return 16;
    case 0x1200:
        return 15;
    case 0x1100:
        return 14;
    case 0x1300:
        return 13;
    case 0x1101:
    case 0x1201:
    case 0x1301:
        return 12;
    case 0x2200:
        return 11;
    case 0x2302:
        return 10;
    case 0x2300:
        return 9;
    case 0x3000:
        return 8;
    case 0x4000:
        return 7;
    case 0xB008:
        return 6;
    case 0xB009:
        return 5;
    case 0xB002:
    case 0xB003:
    case 0xB004:
    case 0xB006:
    case 0xB007:
        return 4;
    case 0xB001:
        return 3;
    case 0x4100:
    case 0x4600:
    case 0x4700:
        return 2;
    case 0x4010:
        return 1;
    default:
        return 0;
    }
}

} // namespace tds
