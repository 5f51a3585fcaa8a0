#include "tessellate/convert.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/win32.h"
#include "plugin/host_object_record.h"
#include "plugin/host_services.h"
#include "plugin/shape_records.h"
#include "tessoid/tessoid_object.h"

namespace tessoid {

namespace {

// A host whose references or children lead back into themselves must not
// exhaust the stack; real scenes nest far less deeply.
constexpr size_t MAX_NESTING = 64;
// Largest counts taken from the host, in line with what the engine accepts.
constexpr int32_t MAX_PROFILE_POINTS = 1 << 20;
constexpr int32_t MAX_PATCH_POINTS = 1 << 20;
constexpr int32_t MAX_PATCHES = 1 << 18;
constexpr int32_t MAX_MESH_ITEMS = 1 << 22;
constexpr int32_t MAX_BLOB_COMPONENTS = 1 << 16;
constexpr int32_t MAX_CHILDREN = 1 << 20;
constexpr int32_t MAX_PATCH_LEVEL = 16;

constexpr int32_t OP_UNION = 1, OP_INTERSECTION = 2, OP_DIFFERENCE = 3, OP_MERGE = 4;
constexpr size_t SCRATCH_PATH_SIZE = 512;

int32_t intAt(const HostObjectRecord& r, size_t offset) {
    return ReadRecordField<int32_t>(r, offset);
}
double realAt(const HostObjectRecord& r, size_t offset) {
    return ReadRecordField<double>(r, offset);
}
RecordGetterFn getterAt(const HostObjectRecord& r, size_t offset) {
    return ReadRecordField<RecordGetterFn>(r, offset);
}

// A record the host cannot fill counts as empty, so it fails the bit-3 test.
std::unique_ptr<HostObjectRecord> readRecord(HostHandle handle) {
    auto record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(record.get(), true, false);
    if (host::GetObjectInfo(handle, record.get()) != RESULT_OK)
        PrepareHostObjectRecord(record.get(), true, false);
    return record;
}

// The object name, terminated even when the host filled all 64 bytes.
std::string nameOf(const HostObjectRecord& record) {
    const char* name = record.base.name;
    const void* end = std::memchr(name, 0, sizeof(record.base.name));
    return std::string(name, end ? static_cast<const char*>(end) : name + sizeof(record.base.name));
}

bool neutral(const double (&v)[3], double value) {
    return v[0] == value && v[1] == value && v[2] == value;
}

void applyScaleRotateTranslate(EngineHandle scene, EngineHandle prim, const double (&scale)[3],
                               const double (&rotation)[3], const double (&translation)[3]) {
    if (!neutral(scale, 1.0))
        ScalePrim(scene, prim, scale[0], scale[1], scale[2]);
    // The host turns the other way round from the engine.
    if (!neutral(rotation, 0.0))
        RotatePrim(scene, prim, -rotation[0], -rotation[1], -rotation[2]);
    if (!neutral(translation, 0.0))
        TranslatePrim(scene, prim, translation[0], translation[1], translation[2]);
}

class Converter {
  public:
    explicit Converter(EngineHandle scene) : scene_(scene) {}

    EngineHandle convert(HostHandle handle);
    void collectChildren(HostHandle handle, std::vector<EngineHandle>& list);

  private:
    EngineHandle build(HostHandle handle, const HostObjectRecord& record);
    EngineHandle group(HostHandle handle, int32_t operation, bool leftFold);
    EngineHandle profile(HostHandle handle, const HostObjectRecord& record, int32_t kind);
    EngineHandle patchMesh(HostHandle handle, const HostObjectRecord& record);
    EngineHandle lightSettings(EngineHandle light, const HostObjectRecord& record);
    EngineHandle triangleMesh(HostHandle handle, const HostObjectRecord& record);
    EngineHandle clone(const HostObjectRecord& record);
    EngineHandle blob(HostHandle handle, const HostObjectRecord& record);
    void countedMesh(HostHandle handle);
    EngineHandle pluginMesh(const HostObjectRecord& record);
    void applyTransform(HostHandle handle, EngineHandle prim);

    EngineHandle scene_;
    std::vector<HostHandle> path_; // objects being converted, outermost first
};

EngineHandle Converter::convert(HostHandle handle) {
    if (handle == 0 || path_.size() >= MAX_NESTING ||
        std::find(path_.begin(), path_.end(), handle) != path_.end())
        return 0;
    std::unique_ptr<HostObjectRecord> record = readRecord(handle);
    if (!(record->base.stateFlags & STATE_TESSELLABLE))
        return 0;
    // An object the scene already holds by name is used as it is.
    if (EngineHandle named = GetNameValue(scene_, nameOf(*record).c_str()))
        return named;
    path_.push_back(handle);
    EngineHandle prim = build(handle, *record);
    path_.pop_back();
    if (prim)
        applyTransform(handle, prim);
    return prim;
}

void Converter::applyTransform(HostHandle handle, EngineHandle prim) {
    ObjectTransform transform;
    std::memset(&transform, 0, sizeof(transform));
    transform.tag = OBJECT_TRANSFORM_TAG;
    // Without an answer the record would say "scale by zero"; leave the shape as built.
    if (host::GetObjectTransform(handle, &transform) != RESULT_OK)
        return;
    if (transform.hasPre)
        applyScaleRotateTranslate(scene_, prim, transform.preScale, transform.preRotation,
                                  transform.preTranslation);
    applyScaleRotateTranslate(scene_, prim, transform.scale, transform.rotation,
                              transform.translation);
}

EngineHandle Converter::build(HostHandle handle, const HostObjectRecord& record) {
    const int32_t kind = record.base.kind;
    switch (kind) {
    case KIND_CONTAINER:
        return group(handle, OP_UNION, false);
    case KIND_GROUP:
        switch (intAt(record, OFFSET_GROUP_OPERATION)) {
        case 0:
            return group(handle, OP_UNION, false);
        case 1:
            return group(handle, OP_INTERSECTION, false);
        case 2:
            return group(handle, OP_DIFFERENCE, true);
        case 3:
            return group(handle, OP_MERGE, false);
        default:
            return 0;
        }
    case KIND_BOX:
        return CreateBox(scene_, -1, -1, -1, 1, 1, 1);
    case KIND_SPHERE:
        return CreateSphere(scene_, 0, 0, 0, 1);
    case KIND_CYLINDER: {
        EngineHandle prim = CreateCylinder(scene_, 0, 0, 0, 0, 0, 1, 1);
        if (prim)
            SetConeEndcaps(scene_, prim, intAt(record, OFFSET_CYLINDER_OPEN) == 0 ? 1 : 0);
        return prim;
    }
    case KIND_SWEEP:
    case KIND_LATHE:
    case KIND_GLYPH:
        return profile(handle, record, kind);
    case KIND_LIGHT: {
        EngineHandle light = CreateLight(scene_);
        return light ? lightSettings(light, record) : 0;
    }
    case KIND_PATCH_MESH:
        return patchMesh(handle, record);
    case KIND_CONE: {
        EngineHandle prim = CreateCone(scene_, 0, 0, 0, realAt(record, OFFSET_CONE_BASE_RADIUS), 0,
                                       0, 1, realAt(record, OFFSET_CONE_CAP_RADIUS));
        if (prim)
            SetConeEndcaps(scene_, prim, intAt(record, OFFSET_CONE_OPEN) == 0 ? 1 : 0);
        return prim;
    }
    case KIND_TORUS: {
        EngineHandle prim =
            CreateTorus(scene_, 0, 0, 0, 0, 0, 1, realAt(record, OFFSET_TORUS_MAJOR),
                        realAt(record, OFFSET_TORUS_MINOR));
        if (prim)
            SetTorusSolver(scene_, prim, intAt(record, OFFSET_TORUS_PRECISE) != 0 ? 2 : 1);
        return prim;
    }
    case KIND_SPOT_LIGHT: {
        EngineHandle light = CreateSpotLight(scene_);
        if (!light)
            return 0;
        SetLightLocation(scene_, light, 0, 0, 0);
        SetSpotLightCoeffs(scene_, light, 0, 0, -2, realAt(record, OFFSET_SPOT_C0),
                           realAt(record, OFFSET_SPOT_C1), realAt(record, OFFSET_SPOT_C2));
        return lightSettings(light, record);
    }
    case KIND_AREA_LIGHT: {
        EngineHandle light = CreateAreaLight(scene_);
        if (!light)
            return 0;
        SetAreaLight(scene_, light, intAt(record, OFFSET_AREA_U_SAMPLES),
                     intAt(record, OFFSET_AREA_V_SAMPLES), intAt(record, OFFSET_AREA_FLAGS),
                     intAt(record, OFFSET_AREA_JITTER) != 0 ? 0.5 : 0.0);
        // The host's unit square lies in x, z from 0 to 1; the engine's in x, y about the origin.
        TranslatePrim(scene_, light, -0.5, 0, -0.5);
        ScalePrim(scene_, light, 2, 2, 2);
        RotatePrim(scene_, light, 90, 0, 0);
        return lightSettings(light, record);
    }
    case KIND_PLANE:
        return CreateDisc(scene_, 0, 0, 0, 0, 0, 1, 0, 10000);
    case KIND_DISC:
        return CreateDisc(scene_, 0, 0, 0, 0, 0, 1, realAt(record, OFFSET_DISC_HOLE), 1);
    case KIND_TRIANGLE_MESH:
        return triangleMesh(handle, record);
    case KIND_REFERENCE:
        return clone(record);
    case KIND_BLOB:
        return blob(handle, record);
    case KIND_SUPERQUADRIC:
        return CreateSuperQ(scene_, realAt(record, OFFSET_SUPERQ_E),
                            realAt(record, OFFSET_SUPERQ_N));
    case KIND_COUNTED_MESH:
        countedMesh(handle);
        return 0;
    case KIND_PLUGIN_OBJECT:
        return pluginMesh(record);
    default:
        return 0;
    }
}

void Converter::collectChildren(HostHandle handle, std::vector<EngineHandle>& list) {
    uint32_t children = 0;
    if (host::OpenChildList(handle, &children) != RESULT_OK)
        return;
    // -30 is the normal end; any other failure ends the walk as well.
    HostHandle child = 0;
    for (int32_t index = 0;
         index < MAX_CHILDREN && host::GetChild(children, index, &child) == RESULT_OK; ++index) {
        if (EngineHandle prim = convert(child))
            list.push_back(prim);
        child = 0;
    }
    host::CloseChildList(children);
}

EngineHandle Converter::group(HostHandle handle, int32_t operation, bool leftFold) {
    std::vector<EngineHandle> results;
    collectChildren(handle, results);
    if (results.empty())
        return 0;
    if (results.size() == 1)
        return CreateCSGPrim(scene_, results[0]);
    if (!leftFold)
        return combineBalanced(scene_, 0, results.size(), results, operation);
    EngineHandle acc = CreateCSGPrim(scene_, results[0]);
    for (size_t i = 1; i < results.size(); ++i)
        acc = CreateCSG(scene_, operation, acc, CreateCSGPrim(scene_, results[i]));
    return acc;
}

EngineHandle Converter::profile(HostHandle handle, const HostObjectRecord& record, int32_t kind) {
    const int32_t count = intAt(record, OFFSET_PROFILE_COUNT);
    RecordGetterFn getter = getterAt(record, OFFSET_PROFILE_GETTER);
    if (count < 1 || count > MAX_PROFILE_POINTS || !getter)
        return 0;
    int32_t curve = 1;
    switch (intAt(record, OFFSET_PROFILE_CURVE)) {
    case 2:
    case 3:
        curve = 2;
        break;
    case 4:
        curve = 3;
        break;
    default:
        curve = 1;
        break;
    }
    // Sweeps and glyphs are closed: point 0 is passed once more at the end.
    const bool closed = kind != KIND_LATHE;
    const int32_t passed = closed ? count + 1 : count;
    std::vector<double> triples(3 * static_cast<size_t>(passed));
    for (int32_t i = 0; i < passed; ++i) {
        ProfilePoint point;
        std::memset(&point, 0, sizeof(point));
        getter(handle, i < count ? i : 0, &point);
        double* out = &triples[3 * static_cast<size_t>(i)];
        out[0] = point.x;
        out[1] = point.y;
        // The third value tells the engine's curve an anchor (1) from a control point (0).
        out[2] = curve == 3 && (point.flags & PROFILE_POINT_CONTROL) ? 0.0 : 1.0;
    }
    EngineHandle prim = kind == KIND_LATHE ? CreateLathe(scene_, curve, passed, triples.data())
                                           : CreateSweep(scene_, curve, passed, triples.data());
    if (!prim)
        return 0;
    SetPrimUV(scene_, prim, intAt(record, OFFSET_PROFILE_UV_STEPS),
              curve == 1 || kind != KIND_LATHE ? 1 : 8);
    if (kind == KIND_GLYPH) {
        SetGlyphConeFlag(scene_, prim, 1);
        SetGlyphExtrusion(scene_, prim, realAt(record, OFFSET_GLYPH_DEPTH),
                          realAt(record, OFFSET_GLYPH_END_SCALE));
    }
    return prim;
}

EngineHandle Converter::patchMesh(HostHandle handle, const HostObjectRecord& record) {
    const int32_t pointCount = intAt(record, OFFSET_PATCH_POINT_COUNT);
    const int32_t patchCount = intAt(record, OFFSET_PATCH_COUNT);
    RecordGetterFn pointGetter = getterAt(record, OFFSET_PATCH_POINT_GETTER);
    RecordGetterFn patchGetter = getterAt(record, OFFSET_PATCH_GETTER);
    if (pointCount < 1 || pointCount > MAX_PATCH_POINTS || patchCount < 1 ||
        patchCount > MAX_PATCHES || !pointGetter || !patchGetter)
        return 0;
    std::vector<double> points(3 * static_cast<size_t>(pointCount));
    for (int32_t i = 0; i < pointCount; ++i) {
        double point[3] = {0, 0, 0};
        pointGetter(handle, i, point);
        std::memcpy(&points[3 * static_cast<size_t>(i)], point, sizeof(point));
    }
    std::vector<int32_t> patches(16 * static_cast<size_t>(patchCount));
    for (int32_t i = 0; i < patchCount; ++i) {
        int32_t indices[16] = {};
        if (patchGetter(handle, i, indices) != 0)
            return 0;
        std::memcpy(&patches[16 * static_cast<size_t>(i)], indices, sizeof(indices));
    }
    EngineHandle prim =
        CreateSplineMesh(scene_, 0, pointCount, points.data(), patchCount, patches.data());
    if (!prim)
        return 0;
    // Subdivision levels; out-of-range levels are clamped so 2^level stays an int.
    auto steps = [](int32_t level) {
        return (1 << std::clamp(level, int32_t{0}, MAX_PATCH_LEVEL)) + 1;
    };
    SetPrimUV(scene_, prim, steps(intAt(record, OFFSET_PATCH_U_LEVEL)),
              steps(intAt(record, OFFSET_PATCH_V_LEVEL)));
    return prim;
}

EngineHandle Converter::lightSettings(EngineHandle light, const HostObjectRecord& record) {
    SetLightColor(scene_, light, realAt(record, OFFSET_LIGHT_COLOR),
                  realAt(record, OFFSET_LIGHT_COLOR + 8), realAt(record, OFFSET_LIGHT_COLOR + 16));
    SetLightShadowing(scene_, light, intAt(record, OFFSET_LIGHT_NO_SHADOWS) == 0 ? 1 : 0);
    const double a = realAt(record, OFFSET_LIGHT_ATTENUATION);
    const double r = realAt(record, OFFSET_LIGHT_RADIUS);
    if (a < 0.5 || r <= 0.00001)
        SetLightCoeffs(scene_, light, 0, 0, 1);
    else if (a < 1.5)
        SetLightCoeffs(scene_, light, 0, 0.5 / r, 0.5);
    else
        SetLightCoeffs(scene_, light, 0.5 / (r * r), 0, 0.5);
    SetLightVolumetric(scene_, light, intAt(record, OFFSET_LIGHT_VOLUMETRIC));
    SetLightAttenuated(scene_, light, intAt(record, OFFSET_LIGHT_ATTENUATED));
    return light;
}

EngineHandle Converter::triangleMesh(HostHandle handle, const HostObjectRecord& record) {
    const int32_t vertexCount = intAt(record, OFFSET_MESH_VERTEX_COUNT);
    const int32_t faceCount = intAt(record, OFFSET_MESH_FACE_COUNT);
    char name[MESH_NAME_SIZE];
    std::memcpy(name, reinterpret_cast<const uint8_t*>(&record) + OFFSET_MESH_NAME, sizeof(name));
    name[sizeof(name) - 1] = '\0';
    // The host expects to see the mesh name once; its answer is not needed.
    char scratch[SCRATCH_PATH_SIZE] = {};
    std::memcpy(scratch, name, sizeof(name));
    host::GetFileName(SCRATCH_DIALOG_VALUE, scratch);

    if (vertexCount <= 0 || faceCount <= 0 || vertexCount > MAX_MESH_ITEMS ||
        faceCount > MAX_MESH_ITEMS) {
        char text[MESH_NAME_SIZE + 64];
        std::snprintf(text, sizeof(text), "Bad mesh [%s], vertices: %d, faces: %d\n", name,
                      static_cast<int>(vertexCount), static_cast<int>(faceCount));
        MessageBoxA(nullptr, text, nullptr, MB_OK);
        return 0;
    }
    RecordGetterFn vertexGetter = getterAt(record, OFFSET_MESH_VERTEX_GETTER);
    RecordGetterFn faceGetter = getterAt(record, OFFSET_MESH_FACE_GETTER);
    if (!vertexGetter || !faceGetter)
        return 0;
    std::vector<float> vertices(3 * static_cast<size_t>(vertexCount));
    for (int32_t i = 0; i < vertexCount; ++i) {
        double point[3] = {0, 0, 0};
        vertexGetter(handle, i, point);
        for (int axis = 0; axis < 3; ++axis)
            vertices[3 * static_cast<size_t>(i) + axis] = static_cast<float>(point[axis]);
    }
    std::vector<int32_t> faces(3 * static_cast<size_t>(faceCount));
    for (int32_t i = 0; i < faceCount; ++i) {
        int32_t corners[3] = {0, 0, 0};
        faceGetter(handle, i, corners);
        std::memcpy(&faces[3 * static_cast<size_t>(i)], corners, sizeof(corners));
    }
    EngineHandle prim =
        CreateTriBagF(scene_, vertexCount, vertices.data(), nullptr, faceCount, faces.data(), 1);
    const double smoothAngle = realAt(record, OFFSET_MESH_SMOOTH_ANGLE);
    if (prim && smoothAngle > 0)
        SmoothTriBag(scene_, prim, smoothAngle);
    return prim;
}

EngineHandle Converter::clone(const HostObjectRecord& record) {
    const HostHandle target = ReadRecordField<HostHandle>(record, OFFSET_REFERRED_HANDLE);
    std::unique_ptr<HostObjectRecord> targetRecord = readRecord(target);
    if (EngineHandle named = GetNameValue(scene_, nameOf(*targetRecord).c_str()))
        return CreateClone(scene_, named);
    EngineHandle source = convert(target);
    if (!source)
        return 0;
    EngineHandle copy = CreateClone(scene_, source);
    if (!copy)
        return 0;
    if (EngineHandle texture = GetPrimTexture(scene_, source))
        SetPrimTexture(scene_, copy, CreateTextureReference(scene_, texture));
    return copy;
}

EngineHandle Converter::blob(HostHandle handle, const HostObjectRecord& record) {
    const int32_t count = intAt(record, OFFSET_BLOB_COUNT);
    RecordGetterFn getter = getterAt(record, OFFSET_BLOB_GETTER);
    if (count < 0 || count > MAX_BLOB_COMPONENTS || (count > 0 && !getter))
        return 0;
    EngineHandle prim = CreateBlob(scene_);
    if (!prim)
        return 0;
    SetBlobThreshold(scene_, prim, realAt(record, OFFSET_BLOB_THRESHOLD));
    for (int32_t i = 0; i < count; ++i) {
        BlobComponent c;
        std::memset(&c, 0, sizeof(c));
        getter(handle, i, &c);
        if (c.type == BLOB_SPHERE)
            AddBlobSphereComponent(scene_, prim, c.first[0], c.first[1], c.first[2], c.second[0],
                                   c.strength);
        else if (c.type == BLOB_CYLINDER)
            AddBlobCylinderComponent(scene_, prim, c.first[0], c.first[1], c.first[2], c.second[0],
                                     c.second[1], c.second[2], c.radius, c.strength);
    }
    SetBlobSolver(scene_, prim, intAt(record, OFFSET_BLOB_PRECISE) != 0 ? 2 : 1);
    UpdatePrim(scene_, prim);
    return prim;
}

void Converter::countedMesh(HostHandle handle) {
    MeshAccessTable table;
    std::memset(&table, 0, sizeof(table));
    table.size = MESH_ACCESS_TABLE_SIZE;
    if (host::GetMeshAccess(handle, &table) != RESULT_OK || !table.meshCounts)
        return;
    int32_t out[6] = {};
    table.meshCounts(table.context, &out[0], &out[1], &out[2], &out[3], &out[4], &out[5]);
    char line[48];
    std::snprintf(line, sizeof(line), "Num verts: %d\n", static_cast<int>(out[0]));
    OutputDebugStringA(line);
}

EngineHandle Converter::pluginMesh(const HostObjectRecord& record) {
    void* object = PluginObjectOf(record);
    if (!object)
        return 0;
    const auto* mesh = static_cast<const TessoidObject*>(static_cast<ObjectBase*>(object));
    const float* uvs = mesh->uvs.empty() ? nullptr : &mesh->uvs[0].x;
    EngineHandle prim = CreateTriBag2F(
        scene_, mesh->vertexCount(), mesh->vertices.empty() ? nullptr : &mesh->vertices[0].x,
        nullptr, uvs, mesh->faceCount(), mesh->faces.empty() ? nullptr : &mesh->faces[0].a, 1);
    if (prim && mesh->smoothAngle > 0)
        SmoothTriBag(scene_, prim, mesh->smoothAngle);
    return prim;
}

} // namespace

EngineHandle convertObject(EngineHandle scene, HostHandle handle) {
    return Converter(scene).convert(handle);
}

void collectChildren(EngineHandle scene, HostHandle handle, std::vector<EngineHandle>& list) {
    Converter(scene).collectChildren(handle, list);
}

EngineHandle combineBalanced(EngineHandle scene, size_t first, size_t count,
                             const std::vector<EngineHandle>& operands, int operation) {
    if (count < 1 || first >= operands.size() || count > operands.size() - first)
        return 0;
    if (count == 1)
        return CreateCSGPrim(scene, operands[first]);
    if (count == 2) {
        EngineHandle left = CreateCSGPrim(scene, operands[first]);
        EngineHandle right = CreateCSGPrim(scene, operands[first + 1]);
        return CreateCSG(scene, operation, left, right);
    }
    const size_t half = count / 2;
    EngineHandle left = combineBalanced(scene, first, half, operands, operation);
    EngineHandle right = combineBalanced(scene, first + half, count - half, operands, operation);
    return CreateCSG(scene, operation, left, right);
}

} // namespace tessoid
