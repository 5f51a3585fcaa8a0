#include "host/report.h"

#include "host/scene_text_format.h"
#include "plugin/import_records.h"
#include "plugin/shape_records.h"

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

namespace host {

using namespace tessoid;

namespace {

std::string fieldText(const char* field, size_t size) {
    const void* end = std::memchr(field, 0, size);
    return std::string(field, end ? static_cast<const char*>(end) : field + size);
}

std::string hex(const uint8_t* bytes, size_t n) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof(b), i ? " %02x" : "%02x", bytes[i]);
        s += b;
    }
    return s;
}

const char* kindName(int32_t kind) {
    switch (kind) {
    case KIND_CONTAINER:
        return "container";
    case KIND_CAMERA:
        return "camera";
    case KIND_LIGHT:
        return "light";
    case KIND_LIBRARY_ITEM:
        return "library item";
    case KIND_GROUP:
        return "group";
    case KIND_PLUGIN_OBJECT:
        return "mesh object";
    case KIND_POLYGON_MESH:
        return "polygon mesh";
    case KIND_BOX:
        return "box";
    case KIND_SPHERE:
        return "sphere";
    case KIND_CYLINDER:
        return "cylinder";
    case KIND_SWEEP:
        return "sweep";
    case KIND_LATHE:
        return "lathe";
    case KIND_GLYPH:
        return "glyph";
    case KIND_PATCH_MESH:
        return "patch mesh";
    case KIND_CONE:
        return "cone";
    case KIND_TORUS:
        return "torus";
    case KIND_SPOT_LIGHT:
        return "spot light";
    case KIND_AREA_LIGHT:
        return "area light";
    case KIND_PLANE:
        return "plane";
    case KIND_DISC:
        return "disc";
    case KIND_TRIANGLE_MESH:
        return "triangle mesh";
    case KIND_REFERENCE:
        return "reference";
    case KIND_BLOB:
        return "blob";
    case KIND_SUPERQUADRIC:
        return "superquadric";
    case KIND_COUNTED_MESH:
        return "counted mesh";
    default:
        return "object";
    }
}

void TESSOID_STDCALL countVertex(void* ctx, double, double, double) {
    ++static_cast<int32_t*>(ctx)[0];
}
void TESSOID_STDCALL countEdge(void* ctx, int32_t, int32_t) {
    ++static_cast<int32_t*>(ctx)[1];
}

std::string triple(double a, double b, double c) {
    char s[96];
    std::snprintf(s, sizeof(s), "(%g, %g, %g)", a, b, c);
    return s;
}

SceneObject* itemChild(Scene& scene, const SceneObject& parent, int32_t type) {
    for (HostHandle h : parent.children)
        if (SceneObject* c = scene.find(h); c && c->itemType == type)
            return c;
    return nullptr;
}

// A material item as one line: its colour or image map, and its ambient colour.
void printMaterial(Scene& scene, const SceneObject& material, std::ostream& out) {
    out << "  " << material.name;
    SceneObject* texture = itemChild(scene, material, ITEM_STANDARD_TEXTURE);
    SceneObject* pigment = texture ? itemChild(scene, *texture, ITEM_PIGMENT) : nullptr;
    SceneObject* finish = texture ? itemChild(scene, *texture, ITEM_FINISH) : nullptr;
    if (SceneObject* colour = pigment ? itemChild(scene, *pigment, ITEM_SOLID_COLOUR) : nullptr) {
        const auto& e = colour->extension2;
        out << "  colour " << triple(extDouble(e, 20), extDouble(e, 28), extDouble(e, 36));
        if (extDouble(e, 44) != 0 || extDouble(e, 52) != 0)
            out << " transparency " << extDouble(e, 44) << "/" << extDouble(e, 52);
    } else if (SceneObject* image =
                   pigment ? itemChild(scene, *pigment, ITEM_IMAGE_MAP) : nullptr) {
        const char* file = reinterpret_cast<const char*>(image->extension2.data()) +
                           (IMAGE_FILE_NAME - ITEM_VALUES);
        int32_t type;
        std::memcpy(&type, image->extension2.data() + (IMAGE_TYPE - ITEM_VALUES), 4);
        out << "  image map \"" << std::string(file, strnlen(file, IMAGE_FILE_NAME_SIZE))
            << "\" (type " << type << ")";
    }
    if (SceneObject* ambient = finish ? itemChild(scene, *finish, ITEM_AMBIENT_COLOUR) : nullptr)
        out << "  ambient "
            << triple(extDouble(ambient->extension2, 20), extDouble(ambient->extension2, 28),
                      extDouble(ambient->extension2, 36));
    out << "\n";
}

void printObject(PluginHost& host, SceneObject& object, int depth, std::ostream& out) {
    out << std::string(2 * depth, ' ') << object.name << "  (" << kindName(object.kind) << ")";
    if (object.pluginObject) {
        DrawnCounts drawn;
        host.drawCounted(object.handle, false, drawn);
        int32_t counts[2] = {0, 0};
        host.objectType().enumVerticesAndEdges(object.pluginObject, counts, countVertex, countEdge);
        out << "  vertices " << counts[0] << "  triangles " << drawn.faces << "  edges "
            << counts[1] << "  normals " << (drawn.normals ? "yes" : "no") << "  uvs "
            << (drawn.uvs ? "yes" : "no");
    } else if (object.kind == KIND_POLYGON_MESH) {
        out << "  vertices " << object.filledVertices << "  faces " << object.filledFaces;
        if (object.filledTextureVertices > 0)
            out << "  uvs " << object.filledTextureVertices;
    } else if (object.kind == KIND_CAMERA) {
        out << "  at " << triple(object.position[0], object.position[1], object.position[2])
            << "  looking at " << triple(object.target[0], object.target[1], object.target[2])
            << "  field of view "
            << extDouble(object.extension1, CAMERA_FIELD_OF_VIEW - KIND_VALUES);
    } else if (object.kind == KIND_LIGHT) {
        const auto& e = object.extension1;
        if (object.hasPosition)
            out << "  at " << triple(object.position[0], object.position[1], object.position[2]);
        out << "  colour " << triple(extDouble(e, 8), extDouble(e, 16), extDouble(e, 24));
    }
    if (!object.textureName.empty())
        out << "  material " << object.textureName;
    out << "\n";
    for (HostHandle child : object.children)
        if (SceneObject* c = host.scene().find(child))
            printObject(host, *c, depth + 1, out);
}

} // namespace

void PrintPluginInfo(PluginHost& host, std::ostream& out) {
    const PluginInfo& info = *host.info();
    out << "info record version " << info.version << "\n"
        << "name         " << fieldText(info.displayName, sizeof(info.displayName)) << "\n"
        << "notice       " << fieldText(info.notice, sizeof(info.notice)) << "\n"
        << "e-mail       " << fieldText(info.email, sizeof(info.email)) << "\n"
        << "home page    " << fieldText(info.homePage, sizeof(info.homePage)) << "\n"
        << "description  " << fieldText(info.description, sizeof(info.description)) << "\n"
        << "icon         " << (info.icon ? "loaded" : "missing") << "\n"
        << "interfaces   " << info.interfaceCount << "\n";
    static const char* names[] = {"host services", "file types", "importer", "object type"};
    void* records[] = {&host.services(), &host.fileType(), &host.importer(), &host.objectType()};
    for (int i = 0; i < info.interfaceCount && i < INTERFACE_COUNT; ++i) {
        auto* header = static_cast<InterfaceHeader*>(records[i]);
        out << "  " << i << ": kind " << info.interfaces[i].kind << " version "
            << info.interfaces[i].version << "  " << names[i] << "  id "
            << hex(header->identifier, 8) << "\n";
    }
    FileTypeInterface& files = host.fileType();
    out << "file filter  " << fieldText(files.filter, sizeof(files.filter)) << "\n"
        << "pattern      " << fieldText(files.defaultPattern, sizeof(files.defaultPattern)) << "\n";
    ImporterInterface& importer = host.importer();
    out << "command      " << fieldText(importer.commandName, sizeof(importer.commandName)) << "\n";
    ObjectTypeInterface& type = host.objectType();
    out << "object type  " << fieldText(type.typeName, sizeof(type.typeName)) << ", names "
        << fieldText(type.nameTemplate, sizeof(type.nameTemplate)) << ", flags 0x" << std::hex
        << type.typeFlags << std::dec << ", bitmap " << type.bitmapId << ", version "
        << type.header.version << "\n";
}

void PrintScene(PluginHost& host, std::ostream& out) {
    bool anyMaterial = false;
    for (SceneObject* object : host.scene().topLevel()) {
        if (object->kind == KIND_LIBRARY_ITEM)
            anyMaterial = true;
        else
            printObject(host, *object, 0, out);
    }
    if (!anyMaterial)
        return;
    out << "materials:\n";
    for (SceneObject* object : host.scene().topLevel())
        if (object->kind == KIND_LIBRARY_ITEM && object->itemType == ITEM_MATERIAL)
            printMaterial(host.scene(), *object, out);
}

} // namespace host
