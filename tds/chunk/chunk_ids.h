// Chunk ids understood by the reader, and the rule that says how many bytes of
// own data precede a chunk's children.
#pragma once

#include <cstdint>

namespace tds {

// File sections and general settings.
inline constexpr uint16_t CK_MESH_FILE = 0x4D4D;
inline constexpr uint16_t CK_PROJECT_FILE = 0xC23D;
inline constexpr uint16_t CK_MATERIAL_LIBRARY = 0x3DAA;
inline constexpr uint16_t CK_FILE_VERSION = 0x0002;
inline constexpr uint16_t CK_EDITOR = 0x3D3D;
inline constexpr uint16_t CK_EDITOR_VERSION = 0x3D3E;
inline constexpr uint16_t CK_SECTION_2D2D = 0x2D2D;
inline constexpr uint16_t CK_SECTION_2D3D = 0x2D3D;
inline constexpr uint16_t CK_SECTION_3DFF = 0x3DFF;
inline constexpr uint16_t CK_SECTION_D000 = 0xD000;
inline constexpr uint16_t CK_MASTER_SCALE = 0x0100;
inline constexpr uint16_t CK_RGB_FLOAT = 0x0010;
inline constexpr uint16_t CK_RGB_FLOAT_LINEAR = 0x0013;
inline constexpr uint16_t CK_RGB_BYTE = 0x0011;
inline constexpr uint16_t CK_RGB_BYTE_LINEAR = 0x0012;
inline constexpr uint16_t CK_PERCENT_INT = 0x0030;
inline constexpr uint16_t CK_PERCENT_FLOAT = 0x0031;
inline constexpr uint16_t CK_BACKGROUND_BITMAP = 0x1100;
inline constexpr uint16_t CK_SOLID_BACKGROUND = 0x1200;
inline constexpr uint16_t CK_GRADIENT_BACKGROUND = 0x1300;
inline constexpr uint16_t CK_SHADOW_BIAS_LOW = 0x1400;
inline constexpr uint16_t CK_SHADOW_BIAS_HIGH = 0x1410;
inline constexpr uint16_t CK_SHADOW_MAP_SIZE = 0x1420;
inline constexpr uint16_t CK_SHADOW_SAMPLES = 0x1430;
inline constexpr uint16_t CK_SHADOW_RANGE = 0x1440;
inline constexpr uint16_t CK_SHADOW_FILTER = 0x1450;
inline constexpr uint16_t CK_RAYTRACE_BIAS = 0x1460;
inline constexpr uint16_t CK_CONSTRUCTION_ORIGIN = 0x1500;
inline constexpr uint16_t CK_AMBIENT_COLOR = 0x2100;
inline constexpr uint16_t CK_FOG = 0x2200;
inline constexpr uint16_t CK_DISTANCE_CUE = 0x2300;
inline constexpr uint16_t CK_LAYERED_FOG = 0x2302;
inline constexpr uint16_t CK_DEFAULT_VIEW = 0x3000;
inline constexpr uint16_t CK_VIEW_TOP = 0x3010;
inline constexpr uint16_t CK_VIEW_BOTTOM = 0x3020;
inline constexpr uint16_t CK_VIEW_LEFT = 0x3030;
inline constexpr uint16_t CK_VIEW_RIGHT = 0x3040;
inline constexpr uint16_t CK_VIEW_FRONT = 0x3050;
inline constexpr uint16_t CK_VIEW_BACK = 0x3060;
inline constexpr uint16_t CK_VIEW_USER = 0x3070;
inline constexpr uint16_t CK_VIEW_CAMERA = 0x3080;

// Objects and meshes.
inline constexpr uint16_t CK_NAMED_OBJECT = 0x4000;
inline constexpr uint16_t CK_OBJECT_FLAG_0 = 0x4010;
inline constexpr uint16_t CK_OBJECT_FLAG_1 = 0x4011;
inline constexpr uint16_t CK_OBJECT_FLAG_2 = 0x4012;
inline constexpr uint16_t CK_OBJECT_FLAG_3 = 0x4013;
inline constexpr uint16_t CK_OBJECT_FLAG_4 = 0x4014;
inline constexpr uint16_t CK_OBJECT_FLAG_5 = 0x4015;
inline constexpr uint16_t CK_OBJECT_FLAG_6 = 0x4016;
inline constexpr uint16_t CK_OBJECT_FLAG_7 = 0x4017;
inline constexpr uint16_t CK_TRIANGLE_MESH = 0x4100;
inline constexpr uint16_t CK_VERTICES = 0x4110;
inline constexpr uint16_t CK_VERTEX_FLAGS = 0x4111;
inline constexpr uint16_t CK_FACES = 0x4120;
inline constexpr uint16_t CK_FACE_MATERIAL = 0x4130;
inline constexpr uint16_t CK_TEX_COORDS = 0x4140;
inline constexpr uint16_t CK_SMOOTH_GROUPS = 0x4150;
inline constexpr uint16_t CK_LOCAL_AXES = 0x4160;
inline constexpr uint16_t CK_MESH_COLOR = 0x4165;
inline constexpr uint16_t CK_MAPPING_INFO = 0x4170;
inline constexpr uint16_t CK_PROCEDURE_NAME = 0x4181;
inline constexpr uint16_t CK_PROCEDURE_DATA = 0x4182;
inline constexpr uint16_t CK_BOX_MAP = 0x4190;

// Lights and cameras.
inline constexpr uint16_t CK_LIGHT = 0x4600;
inline constexpr uint16_t CK_SPOTLIGHT = 0x4610;
inline constexpr uint16_t CK_LIGHT_SHADOW = 0x4641;
inline constexpr uint16_t CK_SPOT_PROJECTOR = 0x4653;
inline constexpr uint16_t CK_LIGHT_EXCLUDE = 0x4654;
inline constexpr uint16_t CK_SPOT_ROLL = 0x4656;
inline constexpr uint16_t CK_SPOT_ASPECT = 0x4657;
inline constexpr uint16_t CK_LIGHT_RAY_BIAS = 0x4658;
inline constexpr uint16_t CK_LIGHT_INNER_RANGE = 0x4659;
inline constexpr uint16_t CK_LIGHT_OUTER_RANGE = 0x465A;
inline constexpr uint16_t CK_LIGHT_MULTIPLIER = 0x465B;
inline constexpr uint16_t CK_CAMERA = 0x4700;
inline constexpr uint16_t CK_CAMERA_RANGES = 0x4720;

// Viewports.
inline constexpr uint16_t CK_VIEWPORT_LAYOUT = 0x7001;
inline constexpr uint16_t CK_VIEWPORT_DATA = 0x7011;
inline constexpr uint16_t CK_VIEWPORT_DATA_ALT = 0x7012;
inline constexpr uint16_t CK_VIEWPORT_SIZE = 0x7020;

// Materials.
inline constexpr uint16_t CK_MATERIAL = 0xAFFF;
inline constexpr uint16_t CK_MATERIAL_NAME = 0xA000;
inline constexpr uint16_t CK_MAT_AMBIENT = 0xA010;
inline constexpr uint16_t CK_MAT_DIFFUSE = 0xA020;
inline constexpr uint16_t CK_MAT_SPECULAR = 0xA030;
inline constexpr uint16_t CK_MAT_SHININESS = 0xA040;
inline constexpr uint16_t CK_MAT_SHININESS_STRENGTH = 0xA041;
inline constexpr uint16_t CK_MAT_SHININESS_3 = 0xA042;
inline constexpr uint16_t CK_MAT_TRANSPARENCY = 0xA050;
inline constexpr uint16_t CK_MAT_TRANSPARENCY_FALLOFF = 0xA052;
inline constexpr uint16_t CK_MAT_REFLECT_BLUR = 0xA053;
inline constexpr uint16_t CK_MAT_SELF_ILLUM = 0xA084;
inline constexpr uint16_t CK_MAT_WIRE_SIZE = 0xA087;
inline constexpr uint16_t CK_MAT_SHADING = 0xA100;
inline constexpr uint16_t CK_MAT_BUMP_PERCENT = 0xA252;
inline constexpr uint16_t CK_MAT_TEXTURE_MAP = 0xA200;
inline constexpr uint16_t CK_MAT_SPECULAR_MAP = 0xA204;
inline constexpr uint16_t CK_MAT_OPACITY_MAP = 0xA210;
inline constexpr uint16_t CK_MAT_REFLECTION_MAP = 0xA220;
inline constexpr uint16_t CK_MAT_BUMP_MAP = 0xA230;
inline constexpr uint16_t CK_MAT_TEXTURE2_MAP = 0xA33A;
inline constexpr uint16_t CK_MAT_SHININESS_MAP = 0xA33C;
inline constexpr uint16_t CK_MAT_SELF_ILLUM_MAP = 0xA33D;
inline constexpr uint16_t CK_MAT_TEXTURE_MASK = 0xA33E;
inline constexpr uint16_t CK_MAT_TEXTURE2_MASK = 0xA340;
inline constexpr uint16_t CK_MAT_OPACITY_MASK = 0xA342;
inline constexpr uint16_t CK_MAT_BUMP_MASK = 0xA344;
inline constexpr uint16_t CK_MAT_SHININESS_MASK = 0xA346;
inline constexpr uint16_t CK_MAT_SPECULAR_MASK = 0xA348;
inline constexpr uint16_t CK_MAT_SELF_ILLUM_MASK = 0xA34A;
inline constexpr uint16_t CK_MAT_REFLECTION_MASK = 0xA34C;
inline constexpr uint16_t CK_MAP_FILE_NAME = 0xA300;
inline constexpr uint16_t CK_MAT_AUTO_REFLECT = 0xA310;
// First id of the procedural map family; isMapProcData() tells the members.
inline constexpr uint16_t CK_MAP_PROC_DATA = 0xA320;
inline constexpr uint16_t CK_MAP_TILING = 0xA351;
inline constexpr uint16_t CK_MAP_BLUR = 0xA353;
inline constexpr uint16_t CK_MAP_U_SCALE = 0xA354;
inline constexpr uint16_t CK_MAP_V_SCALE = 0xA356;
inline constexpr uint16_t CK_MAP_U_OFFSET = 0xA358;
inline constexpr uint16_t CK_MAP_V_OFFSET = 0xA35A;
inline constexpr uint16_t CK_MAP_ROTATION = 0xA35C;
inline constexpr uint16_t CK_MAP_TINT_1 = 0xA360;
inline constexpr uint16_t CK_MAP_TINT_2 = 0xA362;
inline constexpr uint16_t CK_MAP_TINT_R = 0xA364;
inline constexpr uint16_t CK_MAP_TINT_G = 0xA366;
inline constexpr uint16_t CK_MAP_TINT_B = 0xA368;

// Keyframer.
inline constexpr uint16_t CK_KEYFRAMER = 0xB000;
inline constexpr uint16_t CK_NODE_AMBIENT = 0xB001;
inline constexpr uint16_t CK_NODE_OBJECT = 0xB002;
inline constexpr uint16_t CK_NODE_CAMERA = 0xB003;
inline constexpr uint16_t CK_NODE_CAMERA_TARGET = 0xB004;
inline constexpr uint16_t CK_NODE_LIGHT = 0xB005;
inline constexpr uint16_t CK_NODE_LIGHT_TARGET = 0xB006;
inline constexpr uint16_t CK_NODE_SPOTLIGHT = 0xB007;
inline constexpr uint16_t CK_KF_SEGMENT = 0xB008;
inline constexpr uint16_t CK_KF_CURRENT_FRAME = 0xB009;
inline constexpr uint16_t CK_KF_HEADER = 0xB00A;
inline constexpr uint16_t CK_NODE_HEADER = 0xB010;
inline constexpr uint16_t CK_INSTANCE_NAME = 0xB011;
inline constexpr uint16_t CK_PIVOT = 0xB013;
inline constexpr uint16_t CK_BOUNDING_BOX = 0xB014;
inline constexpr uint16_t CK_MORPH_SMOOTH = 0xB015;
inline constexpr uint16_t CK_NODE_ID = 0xB030;
inline constexpr uint16_t CK_TRACK_POSITION = 0xB020;
inline constexpr uint16_t CK_TRACK_ROTATION = 0xB021;
inline constexpr uint16_t CK_TRACK_SCALE = 0xB022;
inline constexpr uint16_t CK_TRACK_FOV = 0xB023;
inline constexpr uint16_t CK_TRACK_ROLL = 0xB024;
inline constexpr uint16_t CK_TRACK_COLOR = 0xB025;
inline constexpr uint16_t CK_TRACK_MORPH = 0xB026;
inline constexpr uint16_t CK_TRACK_HOTSPOT = 0xB027;
inline constexpr uint16_t CK_TRACK_FALLOFF = 0xB028;
inline constexpr uint16_t CK_TRACK_HIDE = 0xB029;

// Extended application data.
inline constexpr uint16_t CK_EXT_DATA = 0x8000;
inline constexpr uint16_t CK_EXT_ENTRY = 0x8001;
inline constexpr uint16_t CK_EXT_APP_NAME = 0x8002;
inline constexpr uint16_t CK_EXT_STRING = 0x8003;
inline constexpr uint16_t CK_EXT_GROUP = 0x8009;
// Made in memory by the keyframer naming pass; never read from a file.
inline constexpr uint16_t CK_PARENT_NAME = 0x80F0;

// How the own data of a chunk is laid out ahead of its children.
enum class OwnDataKind : uint8_t {
    Container,    // children right after the header
    Fixed,        // fixedSize bytes, then children
    String,       // [prefix bytes] string of at most stringLimit bytes with its zero, [suffix]
    Counted,      // uint16 count, then count * elementSize bytes (faces)
    WholeChunk,   // the rest of the chunk is own data: no children
};

struct OwnDataRule {
    OwnDataKind kind = OwnDataKind::WholeChunk;
    uint32_t fixedSize = 0;   // Fixed: bytes; String: bytes before the string
    uint32_t stringLimit = 0; // String: bytes of the string including its zero
    uint32_t suffixSize = 0;  // String: bytes after the string
    uint32_t elementSize = 0; // Counted: bytes per element
};

// The sub-chunk rule for an id (unknown ids: WholeChunk).
OwnDataRule ownDataRule(uint32_t id);

// True for the ids of the procedural map parameter family (CK_MAP_PROC_DATA).
bool isMapProcData(uint32_t id);

// True for ids listed in the chunk catalogue (decoded by layout, not generically).
bool isCataloguedId(uint32_t id);

// Ordering weight used by insertChildChunk; unlisted ids weigh 0.
int chunkPrecedence(uint32_t id);

} // namespace tds
