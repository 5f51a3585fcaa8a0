// Sub-chunk rule, catalogue membership and insertion precedence.
#include "tds/chunk/chunk_ids.h"

namespace tds {
namespace {

OwnDataRule container() { return {OwnDataKind::Container, 0, 0, 0, 0}; }
OwnDataRule fixed(uint32_t n) { return {OwnDataKind::Fixed, n, 0, 0, 0}; }
OwnDataRule stringRule(uint32_t before, uint32_t limit, uint32_t after) {
    return {OwnDataKind::String, before, limit, after, 0};
}

} // namespace

bool isMapProcData(uint32_t id) {
    switch (id) {
    case 0xA320: case 0xA321: case 0xA322: case 0xA324: case 0xA325: case 0xA326:
    case 0xA328: case 0xA32A: case 0xA32C: case 0xA32E: case 0xA330: case 0xA332:
    case 0xA334: case 0xA336: case 0xA338:
        return true;
    default:
        return false;
    }
}

OwnDataRule ownDataRule(uint32_t id) {
    if (id >= 0xB000 && id <= 0xB007)
        return container();
    if (id >= 0x3010 && id <= 0x3060 && (id & 0xF) == 0)
        return fixed(16);
    switch (id) {
    case 0x1200: case 0x2100: case 0x2D2D: case 0x2D3D: case 0x3000: case 0x3D3D:
    case 0x3DAA: case 0x3DFF: case 0x4100: case 0x4D4D: case 0x8000: case 0x8001:
    case 0xA010: case 0xA020: case 0xA030: case 0xA040: case 0xA041: case 0xA042:
    case 0xA050: case 0xA052: case 0xA053: case 0xA084: case 0xA200: case 0xA204:
    case 0xA210: case 0xA220: case 0xA230: case 0xA33A: case 0xA33C: case 0xA33D:
    case 0xA33E: case 0xA340: case 0xA342: case 0xA344: case 0xA346: case 0xA348:
    case 0xA34A: case 0xA34C: case 0xAFFF: case 0xC23D:
        return container();
    case 0x0002: return fixed(4);
    case 0x0010: return fixed(12);
    case 0x0011: return fixed(3);
    case 0x0030: return fixed(2);
    case 0x0031: return fixed(4);
    case 0x0100: return fixed(4);
    case 0x1300: return fixed(4);
    case 0x1400: return fixed(4);
    case 0x1410: return fixed(4);
    case 0x1420: return fixed(2);
    case 0x1430: return fixed(2);
    case 0x1500: return fixed(12);
    case 0x2200: return fixed(16);
    case 0x2300: return fixed(16);
    case 0x2302: return fixed(16);
    case 0x3070: return fixed(28);
    case 0x3D3E: return fixed(4);
    case 0x4160: return fixed(48);
    case 0x4600: return fixed(12);
    case 0x4610: return fixed(20);
    case 0x4641: return fixed(10);
    case 0x4700: return fixed(32);
    case 0x7001: return fixed(14);
    case 0xA310: return fixed(12);
    case 0xB008: return fixed(8);
    case 0xB009: return fixed(4);
    case 0xB013: return fixed(12);
    case 0xB014: return fixed(24);
    case 0xB015: return fixed(4);
    case 0xB030: return fixed(2);
    case 0xD000: return fixed(4);
    case 0x4120: return {OwnDataKind::Counted, 0, 0, 0, 8};
    case 0x4000: case 0x3080: case 0xB011: return stringRule(0, 11, 0);
    case 0x1100: case 0x4181: case 0xA300: return stringRule(0, 13, 0);
    case 0xA000: return stringRule(0, 17, 0);
    case 0xB010: return stringRule(0, 11, 6);
    case 0xB00A: return stringRule(2, 513, 4);
    default:
        return {};
    }
}

bool isCataloguedId(uint32_t id) {
    if (isMapProcData(id))
        return true;
    if (id >= 0x4010 && id <= 0x4017)
        return true;
    if (id >= 0xB000 && id <= 0xB00A)
        return true;
    if (id >= 0xB020 && id <= 0xB029)
        return true;
    if (id >= 0x3010 && id <= 0x3080 && (id & 0xF) == 0)
        return true;
    switch (id) {
    case 0x4D4D: case 0xC23D: case 0x3DAA: case 0x0002: case 0x3D3D: case 0x3D3E:
    case 0x2D2D: case 0x2D3D: case 0x3DFF: case 0xD000: case 0x0100: case 0x0010:
    case 0x0013: case 0x0011: case 0x0012: case 0x0030: case 0x0031: case 0x1100:
    case 0x1200: case 0x1300: case 0x1400: case 0x1410: case 0x1420: case 0x1430:
    case 0x1440: case 0x1450: case 0x1460: case 0x1500: case 0x2100: case 0x2200:
    case 0x2300: case 0x2302: case 0x3000:
    case 0x4000: case 0x4100: case 0x4110: case 0x4111: case 0x4120: case 0x4130:
    case 0x4140: case 0x4150: case 0x4160: case 0x4165: case 0x4170: case 0x4181:
    case 0x4182: case 0x4190:
    case 0x4600: case 0x4610: case 0x4641: case 0x4653: case 0x4654: case 0x4656:
    case 0x4657: case 0x4658: case 0x4659: case 0x465A: case 0x465B: case 0x4700:
    case 0x4720:
    case 0x7001: case 0x7011: case 0x7012: case 0x7020:
    case 0xAFFF: case 0xA000: case 0xA010: case 0xA020: case 0xA030: case 0xA040:
    case 0xA041: case 0xA042: case 0xA050: case 0xA052: case 0xA053: case 0xA084:
    case 0xA087: case 0xA100: case 0xA252: case 0xA200: case 0xA204: case 0xA210:
    case 0xA220: case 0xA230: case 0xA33A: case 0xA33C: case 0xA33D: case 0xA33E:
    case 0xA340: case 0xA342: case 0xA344: case 0xA346: case 0xA348: case 0xA34A:
    case 0xA34C: case 0xA300: case 0xA310: case 0xA351: case 0xA353: case 0xA354:
    case 0xA356: case 0xA358: case 0xA35A: case 0xA35C: case 0xA360: case 0xA362:
    case 0xA364: case 0xA366: case 0xA368:
    case 0xB010: case 0xB011: case 0xB013: case 0xB014: case 0xB015: case 0xB030:
    case 0x8000: case 0x8001: case 0x8002: case 0x8003: case 0x8009: case 0x80F0:
        return true;
    default:
        return false;
    }
}

int chunkPrecedence(uint32_t id) {
    switch (id) {
    case 0x0000: return 35;
    case 0x2D2D: return 34;
    case 0x2D3D: return 33;
    case 0x4D4D: return 32;
    case 0x0002: return 31;
    case 0x3D3D: return 30;
    case 0xB000: return 29;
    case 0x0011: return 28;
    case 0x0012: return 27;
    case 0x3D3E: return 26;
    case 0xAFFF: return 25;
    case 0xB00A: return 24;
    case 0x0100: return 23;
    case 0x7001: return 22;
    case 0x1400: return 21;
    case 0x1420: return 20;
    case 0x1450: return 19;
    case 0x1460: return 18;
    case 0x1500: return 17;
    case 0x2100: return 16;
    case 0x1200: return 15;
    case 0x1100: return 14;
    case 0x1300: return 13;
    case 0x1101: case 0x1201: case 0x1301: return 12;
    case 0x2200: return 11;
    case 0x2302: return 10;
    case 0x2300: return 9;
    case 0x3000: return 8;
    case 0x4000: return 7;
    case 0xB008: return 6;
    case 0xB009: return 5;
    case 0xB002: case 0xB003: case 0xB004: case 0xB006: case 0xB007: return 4;
    case 0xB001: return 3;
    case 0x4100: case 0x4600: case 0x4700: return 2;
    case 0x4010: return 1;
    default: return 0;
    }
}

} // namespace tds
