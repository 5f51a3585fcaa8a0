// The whole scene as ray-tracer scene text: textures from the library items,
// cameras, lights, polygon meshes, and the plug-in's objects through WriteScene.
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "host/cookie_loan.h"
#include "host/plugin_host.h"
#include "host/scene_text_format.h"
#include "plugin/import_records.h"

namespace host {

using namespace tessoid;

namespace {

int32_t TESSOID_STDCALL textAppend(int32_t cookie, const char* text) {
    auto* out = static_cast<std::string*>(CookieTarget(cookie));
    if (!out || !text)
        return ActiveHost()->fail("text function: bad cookie or null text");
    out->append(text);
    return 0;
}

// Scene-text identifiers must not clash with the language's keywords.
std::string identifier(const std::string& name) {
    return "T_" + name;
}

const char* imageKeyword(const SceneObject& image) {
    static const char* byType[] = {"gif", "tga", "iff", "ppm", "pgm", "png"};
    int32_t type = extInt(image.extension2, IMAGE_TYPE - ITEM_VALUES);
    if (type >= 0 && type <= 5)
        return byType[type];
    const char* file =
        reinterpret_cast<const char*>(image.extension2.data()) + (IMAGE_FILE_NAME - ITEM_VALUES);
    const char* dot = std::strrchr(file, '.');
    if (dot && (!strcasecmp(dot, ".jpg") || !strcasecmp(dot, ".jpeg")))
        return "jpeg";
    if (dot && !strcasecmp(dot, ".bmp"))
        return "bmp";
    return "sys";
}

void writeTexture(Scene& scene, const SceneObject& material, const SceneTextHooks& hooks,
                  std::string& text) {
    text += "#declare " + identifier(material.name) + " = texture {\n";
    const SceneObject* standard = childOfType(scene, material, ITEM_STANDARD_TEXTURE);
    const SceneObject* pigment = standard ? childOfType(scene, *standard, ITEM_PIGMENT) : nullptr;
    const SceneObject* colour = pigment ? childOfType(scene, *pigment, ITEM_SOLID_COLOUR) : nullptr;
    const SceneObject* image = pigment ? childOfType(scene, *pigment, ITEM_IMAGE_MAP) : nullptr;
    const SceneObject* finish = standard ? childOfType(scene, *standard, ITEM_FINISH) : nullptr;
    const SceneObject* ambient =
        finish ? childOfType(scene, *finish, ITEM_AMBIENT_COLOUR) : nullptr;
    if (image) {
        const char* file = reinterpret_cast<const char*>(image->extension2.data()) +
                           (IMAGE_FILE_NAME - ITEM_VALUES);
        std::string name(file, strnlen(file, IMAGE_FILE_NAME_SIZE));
        bool once = extInt(image->extension2, IMAGE_ONCE - ITEM_VALUES) != 0;
        if (hooks.imagePigment)
            text += hooks.imagePigment(material, name, once);
        else
            text += "  pigment { uv_mapping image_map { " + std::string(imageKeyword(*image)) +
                    " \"" + name + "\"" + (once ? " once" : "") + " } }\n";
    } else if (colour) {
        const auto& e = colour->extension2;
        text += "  pigment { color rgbft <" + sceneNumber(extDouble(e, COLOUR_RED - ITEM_VALUES)) +
                ", " + sceneNumber(extDouble(e, COLOUR_GREEN - ITEM_VALUES)) + ", " +
                sceneNumber(extDouble(e, COLOUR_BLUE - ITEM_VALUES)) + ", " +
                sceneNumber(extDouble(e, COLOUR_COMPONENT4 - ITEM_VALUES)) + ", " +
                sceneNumber(extDouble(e, COLOUR_COMPONENT5 - ITEM_VALUES)) + "> }\n";
    }
    if (finish) {
        text += "  finish { specular " +
                sceneNumber(extDouble(finish->extension2, FINISH_SHININESS_STRENGTH - ITEM_VALUES));
        if (ambient) {
            const auto& a = ambient->extension2;
            text += " ambient rgb " + sceneVector(extDouble(a, COLOUR_RED - ITEM_VALUES),
                                                  extDouble(a, COLOUR_GREEN - ITEM_VALUES),
                                                  extDouble(a, COLOUR_BLUE - ITEM_VALUES));
        }
        text += " }\n";
    }
    text += "}\n";
}

void writePolygonMesh(const SceneObject& o, std::string& text) {
    const MeshData& m = o.mesh;
    if (m.faces.empty())
        return;
    text += "mesh {  // " + o.name + "\n";
    for (size_t f = 0; f + 2 < m.faces.size(); f += 3) {
        text += "  triangle { ";
        for (int c = 0; c < 3; ++c) {
            size_t v = static_cast<size_t>(m.faces[f + c]);
            text += sceneVector(m.vertices[3 * v], m.vertices[3 * v + 1], m.vertices[3 * v + 2]);
            text += c < 2 ? ", " : " ";
        }
        if (m.uvs.size() == m.vertices.size()) {
            text += "uv_vectors ";
            for (int c = 0; c < 3; ++c) {
                size_t v = static_cast<size_t>(m.faces[f + c]);
                text +=
                    "<" + sceneNumber(m.uvs[3 * v]) + ", " + sceneNumber(m.uvs[3 * v + 1]) + ">";
                text += c < 2 ? ", " : " ";
            }
        }
        text += "}\n";
    }
    if (!o.textureName.empty())
        text += "  texture { " + identifier(o.textureName) + " }\n";
    text += "}\n";
}

} // namespace

void PluginHost::writeSceneText(std::ostream& out, bool declare) {
    writeSceneText(out, declare, SceneTextHooks{});
}

void PluginHost::writeSceneText(std::ostream& out, bool declare, const SceneTextHooks& hooks) {
    std::string text;
    std::vector<SceneObject*> meshes;
    for (SceneObject* o : scene_.objects()) {
        if (o->kind == KIND_LIBRARY_ITEM && o->itemType == ITEM_MATERIAL)
            writeTexture(scene_, *o, hooks, text);
    }
    for (SceneObject* o : scene_.objects()) {
        if (o->kind == KIND_CAMERA && o->hasPosition && hooks.camera) {
            text += hooks.camera(*o);
        } else if (o->kind == KIND_CAMERA && o->hasPosition) {
            text +=
                "camera { location " + sceneVector(o->position[0], o->position[1], o->position[2]);
            if (o->hasTarget)
                text += " look_at " + sceneVector(o->target[0], o->target[1], o->target[2]);
            double fov = extDouble(o->extension1, CAMERA_FIELD_OF_VIEW - KIND_VALUES);
            if (fov > 0 && fov < 180)
                text += " angle " + sceneNumber(fov);
            text += " }\n";
        } else if (o->kind == KIND_LIGHT && o->hasPosition) {
            const auto& e = o->extension1;
            text += "light_source { " +
                    sceneVector(o->position[0], o->position[1], o->position[2]) + " color rgb " +
                    sceneVector(extDouble(e, 8), extDouble(e, 16), extDouble(e, 24)) + " }\n";
        } else if (o->kind == KIND_POLYGON_MESH) {
            writePolygonMesh(*o, text);
        } else if (o->pluginObject) {
            meshes.push_back(o);
        }
    }
    const CookieLoan loan(&text);
    const int32_t cookie = loan.cookie();
    for (SceneObject* object : meshes) {
        void* o = object->pluginObject;
        if (declare)
            objectType_->updateFlags(o, ~0, 1);
        if (objectType_->writeScene(o, cookie, object->name.c_str(), textAppend) == 1)
            text += "}\n";
        if (declare)
            objectType_->markDeclared(o, cookie, textAppend);
    }
    if (declare && !meshes.empty()) {
        text += "union {\n";
        for (SceneObject* object : meshes) {
            objectType_->writeScene(object->pluginObject, cookie, object->name.c_str(), textAppend);
            objectType_->updateFlags(object->pluginObject, ~(1 | 8), 0);
        }
        text += "}\n";
    }
    out << text;
}

} // namespace host
