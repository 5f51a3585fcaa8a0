#include "host/scene_description.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/cookie_loan.h"
#include "host/dialog_robot.h"
#include "host/shape_services.h"
#include "plugin/host_object_record.h"

namespace host {

using namespace tessoid;
using nlohmann::json;

namespace {

constexpr size_t MAX_NAME = 63;

struct KindInfo {
    const char* name;
    int32_t code;
    std::vector<const char*> fields; // besides the common ones
};

const std::vector<const char*> LIGHT_FIELDS = {"color",      "radius",     "attenuation",
                                               "attenuated", "volumetric", "shadows"};
const std::vector<const char*> PROFILE_FIELDS = {"points", "curve", "uv_steps"};

std::vector<const char*> plus(std::vector<const char*> a, const std::vector<const char*>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<KindInfo>& kinds() {
    static const std::vector<KindInfo> all = {
        {"container", KIND_CONTAINER, {"children"}},
        {"box", KIND_BOX, {}},
        {"sphere", KIND_SPHERE, {}},
        {"cylinder", KIND_CYLINDER, {"open"}},
        {"sweep", KIND_SWEEP, PROFILE_FIELDS},
        {"lathe", KIND_LATHE, PROFILE_FIELDS},
        {"glyph", KIND_GLYPH, plus(PROFILE_FIELDS, {"depth", "end_scale"})},
        {"light", KIND_LIGHT, LIGHT_FIELDS},
        {"group", KIND_GROUP, {"children", "operation"}},
        {"patch_mesh", KIND_PATCH_MESH, {"points", "patches", "levels"}},
        {"cone", KIND_CONE, {"base_radius", "cap_radius", "open"}},
        {"torus", KIND_TORUS, {"major_radius", "minor_radius", "precise"}},
        {"spotlight", KIND_SPOT_LIGHT, plus(LIGHT_FIELDS, {"spot"})},
        {"area_light", KIND_AREA_LIGHT, plus(LIGHT_FIELDS, {"samples", "area_flags", "jitter"})},
        {"plane", KIND_PLANE, {}},
        {"disc", KIND_DISC, {"hole"}},
        {"triangle_mesh", KIND_TRIANGLE_MESH, {"vertices", "faces", "mesh_name", "smooth_angle"}},
        {"reference", KIND_REFERENCE, {"of"}},
        {"blob", KIND_BLOB, {"threshold", "precise", "components"}},
        {"superquadric", KIND_SUPERQUADRIC, {"e", "n"}},
        {"counted_mesh", KIND_COUNTED_MESH, {"vertices"}},
        {"tessoid", KIND_PLUGIN_OBJECT, {"solid", "smooth_angle"}},
    };
    return all;
}

// A fault in the description, reported with the object it was found in.
struct DescriptionError {
    std::string message;
};

[[noreturn]] void bad(const std::string& where, const std::string& what) {
    throw DescriptionError{where + ": " + what};
}

std::array<double, 3> triple(const json& value, const std::string& where) {
    if (!value.is_array() || value.size() != 3)
        bad(where, "expected [x, y, z]");
    return {value[0].get<double>(), value[1].get<double>(), value[2].get<double>()};
}

void setTriple(double (&to)[3], const json& value, const std::string& where) {
    std::array<double, 3> t = triple(value, where);
    to[0] = t[0], to[1] = t[1], to[2] = t[2];
}

void readTransform(const json& t, ShapeTransform& out, const std::string& where, bool allowPre) {
    if (!t.is_object())
        bad(where, "\"transform\" must be an object");
    for (auto& [key, value] : t.items()) {
        if (key == "scale")
            setTriple(out.scale, value, where + ".scale");
        else if (key == "rotate")
            setTriple(out.rotation, value, where + ".rotate");
        else if (key == "translate")
            setTriple(out.translation, value, where + ".translate");
        else if (key != "pre" || !allowPre)
            bad(where, "unknown transform field \"" + key + "\"");
    }
}

int32_t enumOrCode(const json& value, const std::vector<std::string>& names, int32_t firstCode,
                   const std::string& where) {
    if (value.is_number_integer())
        return value.get<int32_t>();
    const std::string text = value.get<std::string>();
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == text)
            return firstCode + static_cast<int32_t>(i);
    bad(where, "unknown value \"" + text + "\"");
}

int32_t flag(const json& value) {
    return value.get<bool>() ? 1 : 0;
}

class Builder {
  public:
    Builder(PluginHost& host, DialogRobot& robot) : host_(host), robot_(robot) {}

    void build(const json& root, const std::string& currentName, DescribedScene& out);

  private:
    SceneObject& object(const json& o, HostHandle parent);
    SceneObject& create(int32_t kind, const std::string& name, const json& o);
    void fields(SceneObject& object, const json& o, const std::string& where);
    void lightFields(SceneObject& object, const json& o, const std::string& where);
    void profileFields(SceneObject& object, ShapeData& shape, const json& o,
                       const std::string& where);

    PluginHost& host_;
    DialogRobot& robot_;
    DescribedScene* out_ = nullptr;
    std::vector<std::pair<HostHandle, std::string>> references_;
};

void Builder::build(const json& root, const std::string& currentName, DescribedScene& out) {
    out_ = &out;
    if (!root.is_object())
        bad("description", "expected a JSON object");
    for (auto& [key, value] : root.items())
        if (key != "objects" && key != "current")
            bad("description", "unknown field \"" + key + "\"");
    if (!root.contains("objects") || !root["objects"].is_array() || root["objects"].empty())
        bad("description", "\"objects\" must be a non-empty array");
    HostHandle first = 0;
    for (const json& o : root["objects"]) {
        HostHandle handle = object(o, 0).handle;
        if (!first)
            first = handle;
    }
    // References may name objects that come later in the file.
    for (auto& [handle, target] : references_) {
        auto it = out.objects.find(target);
        if (it == out.objects.end())
            bad(host_.scene().find(handle)->name, "reference to unknown object \"" + target + "\"");
        PutExtensionField(*host_.scene().find(handle), OFFSET_REFERRED_HANDLE, it->second);
    }
    std::string wanted = currentName;
    if (wanted.empty() && root.contains("current"))
        wanted = root["current"].get<std::string>();
    if (wanted.empty()) {
        out.current = first;
    } else {
        auto it = out.objects.find(wanted);
        if (it == out.objects.end())
            bad("description", "no object named \"" + wanted + "\"");
        out.current = it->second;
    }
    host_.scene().current = out.current;
}

SceneObject& Builder::object(const json& o, HostHandle parent) {
    if (!o.is_object() || !o.contains("name") || !o["name"].is_string())
        bad("object", "every object needs a \"name\" text");
    const std::string name = o["name"].get<std::string>();
    if (name.empty() || name.size() > MAX_NAME)
        bad(name, "a name has 1 to 63 characters");
    if (out_->objects.count(name))
        bad(name, "the name is used twice");
    if (!o.contains("kind"))
        bad(name, "\"kind\" is missing");

    int32_t kind = -1;
    const KindInfo* info = nullptr;
    const json& k = o["kind"];
    if (k.is_number_integer()) {
        kind = k.get<int32_t>();
        if (kind < 0 || kind > 31)
            bad(name, "kind codes run from 0 to 31");
        for (const KindInfo& candidate : kinds())
            if (candidate.code == kind)
                info = &candidate;
    } else {
        const std::string text = k.get<std::string>();
        for (const KindInfo& candidate : kinds())
            if (text == candidate.name)
                info = &candidate;
        if (!info)
            bad(name, "unknown kind \"" + text + "\"");
        kind = info->code;
    }
    std::set<std::string> allowed = {"name", "kind", "convertible", "texture", "transform"};
    if (info)
        allowed.insert(info->fields.begin(), info->fields.end());
    for (auto& [key, value] : o.items())
        if (!allowed.count(key))
            bad(name, "field \"" + key + "\" does not belong to this kind");

    SceneObject& created = create(kind, name, o);
    out_->objects[name] = created.handle;
    created.stateFlags = o.value("convertible", true) ? STATE_TESSELLABLE : 0;
    if (o.contains("texture"))
        created.textureName = o["texture"].get<std::string>();
    if (parent) {
        created.parent = parent;
        host_.scene().find(parent)->children.push_back(created.handle);
    }
    ShapeData& shape = ShapeOf(created.handle);
    if (o.contains("transform")) {
        const json& t = o["transform"];
        readTransform(t, shape.transform, name + ".transform", true);
        if (t.contains("pre")) {
            readTransform(t["pre"], shape.pre, name + ".transform.pre", false);
            shape.hasPre = true;
        }
    }
    fields(created, o, name);
    WireShapeGetters(created);
    if (o.contains("children")) {
        if (!o["children"].is_array())
            bad(name, "\"children\" must be an array");
        for (const json& child : o["children"])
            object(child, created.handle);
    }
    return created;
}

SceneObject& Builder::create(int32_t kind, const std::string& name, const json& o) {
    if (kind != KIND_PLUGIN_OBJECT)
        return host_.scene().add(kind, name);
    // A mesh object of the plug-in's type comes from its own predefined-mesh dialog.
    const std::string solid = o.value("solid", std::string("cube"));
    auto button = SolidButtons().find(solid);
    if (button == SolidButtons().end())
        bad(name, "unknown solid \"" + solid + "\"");
    robot_.plan({button->second});
    HostHandle handle = 0;
    if (host_.createPluginObject(&handle) != 0 || !host_.scene().find(handle))
        bad(name, "the plug-in made no mesh object");
    SceneObject& created = *host_.scene().find(handle);
    created.name = name;
    if (o.contains("smooth_angle"))
        host_.objectType().valueChanged(created.pluginObject, SMOOTH_ANGLE_PROPERTY,
                                        o["smooth_angle"].get<double>());
    return created;
}

void Builder::lightFields(SceneObject& object, const json& o, const std::string& where) {
    if (o.contains("color")) {
        std::array<double, 3> c = triple(o["color"], where + ".color");
        for (int i = 0; i < 3; ++i)
            PutExtensionField(object, OFFSET_LIGHT_COLOR + 8 * i, c[i]);
    }
    PutExtensionField(object, OFFSET_LIGHT_RADIUS, o.value("radius", 0.0));
    PutExtensionField(object, OFFSET_LIGHT_ATTENUATION, o.value("attenuation", 0.0));
    PutExtensionField(object, OFFSET_LIGHT_ATTENUATED, o.value("attenuated", int32_t{0}));
    PutExtensionField(object, OFFSET_LIGHT_VOLUMETRIC, flag(o.value("volumetric", json(false))));
    PutExtensionField(object, OFFSET_LIGHT_NO_SHADOWS, 1 - flag(o.value("shadows", json(true))));
}

void Builder::profileFields(SceneObject& object, ShapeData& shape, const json& o,
                            const std::string& where) {
    if (o.contains("curve"))
        PutExtensionField(
            object, OFFSET_PROFILE_CURVE,
            enumOrCode(o["curve"], {"linear", "spline", "cubic", "bezier"}, 1, where + ".curve"));
    else
        PutExtensionField(object, OFFSET_PROFILE_CURVE, int32_t{1});
    PutExtensionField(object, OFFSET_PROFILE_UV_STEPS, o.value("uv_steps", int32_t{8}));
    for (const json& p : o.value("points", json::array())) {
        if (!p.is_array() || p.size() < 2 || p.size() > 3)
            bad(where, "a profile point is [x, y] or [x, y, flags]");
        ProfilePoint point{};
        point.x = p[0].get<double>();
        point.y = p[1].get<double>();
        point.flags = p.size() == 3 ? p[2].get<uint8_t>() : 0;
        shape.profile.push_back(point);
    }
}

void Builder::fields(SceneObject& object, const json& o, const std::string& where) {
    ShapeData& shape = ShapeOf(object.handle);
    switch (object.kind) {
    case KIND_GROUP:
        if (o.contains("operation"))
            PutExtensionField(object, OFFSET_GROUP_OPERATION,
                              enumOrCode(o["operation"],
                                         {"union", "intersection", "difference", "merge"}, 0,
                                         where + ".operation"));
        break;
    case KIND_CYLINDER:
        PutExtensionField(object, OFFSET_CYLINDER_OPEN, flag(o.value("open", json(false))));
        break;
    case KIND_SWEEP:
    case KIND_LATHE:
        profileFields(object, shape, o, where);
        break;
    case KIND_GLYPH:
        profileFields(object, shape, o, where);
        PutExtensionField(object, OFFSET_GLYPH_DEPTH, o.value("depth", 1.0));
        PutExtensionField(object, OFFSET_GLYPH_END_SCALE, o.value("end_scale", 1.0));
        break;
    case KIND_LIGHT:
        lightFields(object, o, where);
        break;
    case KIND_SPOT_LIGHT: {
        lightFields(object, o, where);
        std::array<double, 3> c = o.contains("spot") ? triple(o["spot"], where + ".spot")
                                                     : std::array<double, 3>{30, 10, 2};
        PutExtensionField(object, OFFSET_SPOT_C0, c[0]);
        PutExtensionField(object, OFFSET_SPOT_C1, c[1]);
        PutExtensionField(object, OFFSET_SPOT_C2, c[2]);
        break;
    }
    case KIND_AREA_LIGHT: {
        lightFields(object, o, where);
        json samples = o.value("samples", json::array({2, 2}));
        if (!samples.is_array() || samples.size() != 2)
            bad(where, "\"samples\" is [u, v]");
        PutExtensionField(object, OFFSET_AREA_U_SAMPLES, samples[0].get<int32_t>());
        PutExtensionField(object, OFFSET_AREA_V_SAMPLES, samples[1].get<int32_t>());
        PutExtensionField(object, OFFSET_AREA_FLAGS, o.value("area_flags", int32_t{0}));
        PutExtensionField(object, OFFSET_AREA_JITTER, flag(o.value("jitter", json(false))));
        break;
    }
    case KIND_PATCH_MESH: {
        for (const json& p : o.value("points", json::array()))
            shape.points.push_back(triple(p, where + ".points"));
        for (const json& p : o.value("patches", json::array())) {
            if (!p.is_array() || p.size() != 16)
                bad(where, "a patch lists 16 point indices");
            std::array<int32_t, 16> patch;
            for (size_t i = 0; i < 16; ++i)
                patch[i] = p[i].get<int32_t>();
            shape.patches.push_back(patch);
        }
        json levels = o.value("levels", json::array({2, 2}));
        if (!levels.is_array() || levels.size() != 2)
            bad(where, "\"levels\" is [u, v]");
        PutExtensionField(object, OFFSET_PATCH_U_LEVEL, levels[0].get<int32_t>());
        PutExtensionField(object, OFFSET_PATCH_V_LEVEL, levels[1].get<int32_t>());
        break;
    }
    case KIND_CONE:
        PutExtensionField(object, OFFSET_CONE_BASE_RADIUS, o.value("base_radius", 1.0));
        PutExtensionField(object, OFFSET_CONE_CAP_RADIUS, o.value("cap_radius", 0.0));
        PutExtensionField(object, OFFSET_CONE_OPEN, flag(o.value("open", json(false))));
        break;
    case KIND_TORUS:
        PutExtensionField(object, OFFSET_TORUS_MAJOR, o.value("major_radius", 1.0));
        PutExtensionField(object, OFFSET_TORUS_MINOR, o.value("minor_radius", 0.25));
        PutExtensionField(object, OFFSET_TORUS_PRECISE, flag(o.value("precise", json(false))));
        break;
    case KIND_DISC:
        PutExtensionField(object, OFFSET_DISC_HOLE, o.value("hole", 0.0));
        break;
    case KIND_TRIANGLE_MESH: {
        for (const json& v : o.value("vertices", json::array()))
            shape.points.push_back(triple(v, where + ".vertices"));
        for (const json& f : o.value("faces", json::array())) {
            if (!f.is_array() || f.size() != 3)
                bad(where, "a face is [a, b, c]");
            shape.faces.push_back({f[0].get<int32_t>(), f[1].get<int32_t>(), f[2].get<int32_t>()});
        }
        const std::string meshName = o.value("mesh_name", object.name);
        if (meshName.size() >= MESH_NAME_SIZE)
            bad(where, "\"mesh_name\" has at most 127 characters");
        char field[MESH_NAME_SIZE] = {};
        std::memcpy(field, meshName.data(), meshName.size());
        std::memcpy(object.extension1.data() + (OFFSET_MESH_NAME - 260), field, sizeof(field));
        PutExtensionField(object, OFFSET_MESH_SMOOTH_ANGLE, o.value("smooth_angle", 0.0));
        break;
    }
    case KIND_REFERENCE:
        if (!o.contains("of"))
            bad(where, "a reference needs \"of\"");
        references_.emplace_back(object.handle, o["of"].get<std::string>());
        break;
    case KIND_BLOB:
        PutExtensionField(object, OFFSET_BLOB_THRESHOLD, o.value("threshold", 0.5));
        PutExtensionField(object, OFFSET_BLOB_PRECISE, flag(o.value("precise", json(false))));
        for (const json& c : o.value("components", json::array())) {
            BlobComponent component{};
            component.strength = c.value("strength", 1.0);
            component.radius = c.value("radius", 1.0);
            if (c.contains("sphere")) {
                component.type = BLOB_SPHERE;
                setTriple(component.first, c["sphere"], where + ".components");
                component.second[0] = component.radius;
            } else if (c.contains("cylinder")) {
                const json& ends = c["cylinder"];
                if (!ends.is_array() || ends.size() != 2)
                    bad(where, "a cylinder component is [[x, y, z], [x, y, z]]");
                component.type = BLOB_CYLINDER;
                setTriple(component.first, ends[0], where + ".components");
                setTriple(component.second, ends[1], where + ".components");
            } else {
                component.type = c.value("type", int32_t{0});
            }
            shape.blobs.push_back(component);
        }
        break;
    case KIND_SUPERQUADRIC:
        PutExtensionField(object, OFFSET_SUPERQ_E, o.value("e", 1.0));
        PutExtensionField(object, OFFSET_SUPERQ_N, o.value("n", 1.0));
        break;
    case KIND_COUNTED_MESH:
        for (const json& v : o.value("vertices", json::array()))
            shape.points.push_back(triple(v, where + ".vertices"));
        break;
    default:
        break;
    }
}

int32_t TESSOID_STDCALL appendText(int32_t cookie, const char* text) {
    if (auto* out = static_cast<std::string*>(CookieTarget(cookie)); out && text)
        out->append(text);
    return 0;
}

} // namespace

bool BuildSceneDescription(PluginHost& host, DialogRobot& robot, const std::string& text,
                           const std::string& currentName, DescribedScene& out,
                           std::string& error) {
    try {
        Builder(host, robot).build(json::parse(text), currentName, out);
        return true;
    } catch (const DescriptionError& e) {
        error = e.message;
    } catch (const json::exception& e) {
        error = e.what();
    }
    return false;
}

bool LoadSceneDescription(PluginHost& host, DialogRobot& robot, const std::string& path,
                          const std::string& currentName, DescribedScene& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!BuildSceneDescription(host, robot, text.str(), currentName, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool WriteObjectSceneText(PluginHost& host, HostHandle handle, std::ostream& out) {
    SceneObject* object = host.scene().find(handle);
    if (!object || !object->pluginObject || !host.objectType().writeScene)
        return false;
    std::string text;
    const CookieLoan loan(&text);
    const int32_t cookie = loan.cookie();
    // An answer of 1 leaves the closing brace to the host.
    if (host.objectType().writeScene(object->pluginObject, cookie, object->name.c_str(),
                                     appendText) == 1)
        text += "}\n";
    out << text;
    return true;
}

} // namespace host
