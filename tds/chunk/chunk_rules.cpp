// Insertion precedence of chunk ids (the rest of what an id means is its row in
// the chunk catalogue).
#include "tds/chunk/chunk_ids.h"

namespace tds {

int chunkPrecedence(uint32_t id) {
    switch (id) {
    case CK_NULL:
        return 35;
    case CK_SECTION_2D2D:
        return 34;
    case CK_SECTION_2D3D:
        return 33;
    case CK_MESH_FILE:
        return 32;
    case CK_FILE_VERSION:
        return 31;
    case CK_EDITOR:
        return 30;
    case CK_KEYFRAMER:
        return 29;
    case CK_RGB_BYTE:
        return 28;
    case CK_RGB_BYTE_LINEAR:
        return 27;
    case CK_EDITOR_VERSION:
        return 26;
    case CK_MATERIAL:
        return 25;
    case CK_KF_HEADER:
        return 24;
    case CK_MASTER_SCALE:
        return 23;
    case CK_VIEWPORT_LAYOUT:
        return 22;
    case CK_SHADOW_BIAS_LOW:
        return 21;
    case CK_SHADOW_MAP_SIZE:
        return 20;
    case CK_SHADOW_FILTER:
        return 19;
    case CK_RAYTRACE_BIAS:
        return 18;
    case CK_CONSTRUCTION_ORIGIN:
        return 17;
    case CK_AMBIENT_COLOR:
        return 16;
    case CK_SOLID_BACKGROUND:
        return 15;
    case CK_BACKGROUND_BITMAP:
        return 14;
    case CK_GRADIENT_BACKGROUND:
        return 13;
    case CK_USE_BACKGROUND_BITMAP:
    case CK_USE_SOLID_BACKGROUND:
    case CK_USE_GRADIENT_BACKGROUND:
        return 12;
    case CK_FOG:
        return 11;
    case CK_LAYERED_FOG:
        return 10;
    case CK_DISTANCE_CUE:
        return 9;
    case CK_DEFAULT_VIEW:
        return 8;
    case CK_NAMED_OBJECT:
        return 7;
    case CK_KF_SEGMENT:
        return 6;
    case CK_KF_CURRENT_FRAME:
        return 5;
    case CK_NODE_OBJECT:
    case CK_NODE_CAMERA:
    case CK_NODE_CAMERA_TARGET:
    case CK_NODE_LIGHT_TARGET:
    case CK_NODE_SPOTLIGHT:
        return 4;
    case CK_NODE_AMBIENT:
        return 3;
    case CK_TRIANGLE_MESH:
    case CK_LIGHT:
    case CK_CAMERA:
        return 2;
    case CK_OBJECT_FLAG_0:
        return 1;
    default:
        return 0;
    }
}

} // namespace tds
