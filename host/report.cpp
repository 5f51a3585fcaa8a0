#include "host/report.h"

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
    case KIND_CONTAINER: return "container";
    case KIND_CAMERA: return "camera";
    case KIND_LIGHT: return "light";
    case KIND_LIBRARY_ITEM: return "library item";
    case KIND_GROUP: return "group";
    case KIND_PLUGIN_OBJECT: return "mesh object";
    case KIND_POLYGON_MESH: return "polygon mesh";
    default: return "object";
    }
}

void TESSOID_STDCALL countVertex(void* ctx, double, double, double) {
    ++static_cast<int32_t*>(ctx)[0];
}
void TESSOID_STDCALL countEdge(void* ctx, int32_t, int32_t) {
    ++static_cast<int32_t*>(ctx)[1];
}

void printObject(PluginHost& host, SceneObject& object, int depth, std::ostream& out) {
    out << std::string(2 * depth, ' ') << object.name << "  (" << kindName(object.kind) << ")";
    if (object.pluginObject) {
        MeshData mesh;
        host.draw(object.handle, false, mesh);
        int32_t counts[2] = {0, 0};
        host.objectType().enumVerticesAndEdges(object.pluginObject, counts, countVertex,
                                               countEdge);
        out << "  vertices " << counts[0] << "  triangles " << mesh.faces.size() / 3
            << "  edges " << counts[1] << "  normals " << (mesh.normals.empty() ? "no" : "yes")
            << "  uvs " << (mesh.uvs.empty() ? "no" : "yes");
    } else if (object.kind == KIND_POLYGON_MESH) {
        out << "  vertices " << object.mesh.vertices.size() / 3 << "  faces "
            << object.mesh.faces.size() / 3;
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
    out << "command      " << fieldText(importer.commandName, sizeof(importer.commandName))
        << "\n";
    ObjectTypeInterface& type = host.objectType();
    out << "object type  " << fieldText(type.typeName, sizeof(type.typeName)) << ", names "
        << fieldText(type.nameTemplate, sizeof(type.nameTemplate)) << ", flags 0x" << std::hex
        << type.typeFlags << std::dec << ", bitmap " << type.bitmapId << ", version "
        << type.header.version << "\n";
}

void PrintScene(PluginHost& host, std::ostream& out) {
    for (SceneObject* object : host.scene().topLevel())
        printObject(host, *object, 0, out);
}

} // namespace host
