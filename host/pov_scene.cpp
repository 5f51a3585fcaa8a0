// The complete scene file: camera transform, framing, pictures on disk, defaults.
#include "host/pov_scene.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>

#include "host/plugin_host.h"
#include "host/scene_text_format.h"
#include "plugin/import_records.h"

namespace host {

using namespace tessoid;
namespace fs = std::filesystem;

namespace {

constexpr double PI = 3.14159265358979323846;

Point3 operator-(Point3 a, Point3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Point3 operator+(Point3 a, Point3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Point3 operator*(Point3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(Point3 a, Point3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Point3 cross(Point3 a, Point3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(Point3 a) {
    return std::sqrt(dot(a, a));
}
Point3 normalized(Point3 a) {
    double l = length(a);
    return l > 0 ? a * (1 / l) : a;
}

std::string vec(Point3 p) {
    return sceneVector(p.x, p.y, p.z);
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A path as a string literal of the scene language.
std::string stringLiteral(const fs::path& path) {
    std::string text = "\"";
    for (char c : path.generic_string()) {
        if (c == '\\' || c == '"')
            text += '\\';
        text += c;
    }
    return text + "\"";
}

// The reader a picture needs, from its first bytes; empty when the renderer has none.
std::string pictureKeyword(const fs::path& file) {
    unsigned char b[32] = {};
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(b), sizeof(b));
    size_t n = static_cast<size_t>(in.gcount());
    auto starts = [&](const char* magic, size_t size) {
        return n >= size && std::memcmp(b, magic, size) == 0;
    };
    if (starts("\x89PNG", 4))
        return "png";
    if (starts("GIF8", 4))
        return "gif";
    if (starts("\xFF\xD8\xFF", 3))
        return "jpeg";
    if (starts("BM", 2))
        return "bmp";
    if (starts("II*\0", 4) || starts("MM\0*", 4))
        return "tiff";
    if (starts("P6", 2) || starts("P3", 2))
        return "ppm";
    if (starts("P5", 2) || starts("P2", 2))
        return "pgm";
    if (starts("FORM", 4))
        return "iff";
    if (starts("#?RADIANCE", 10) || starts("#?RGBE", 6))
        return "hdr";
    if (starts("\x76\x2F\x31\x01", 4))
        return "exr";
    // TGA has no signature: trust the name when the header's image type is one of TGA's.
    if (lower(file.extension().string()) == ".tga" && n >= 18 &&
        std::strchr("\x01\x02\x03\x09\x0A\x0B", b[2]) && b[2] != 0)
        return "tga";
    return "";
}

// The colour a material shows without its picture: its solid colour when it has one,
// else its ambient colour, else a light grey.
Point3 materialColour(Scene& scene, const SceneObject& material) {
    const SceneObject* standard = childOfType(scene, material, ITEM_STANDARD_TEXTURE);
    const SceneObject* pigment = standard ? childOfType(scene, *standard, ITEM_PIGMENT) : nullptr;
    const SceneObject* finish = standard ? childOfType(scene, *standard, ITEM_FINISH) : nullptr;
    const SceneObject* colour = pigment ? childOfType(scene, *pigment, ITEM_SOLID_COLOUR) : nullptr;
    if (!colour)
        colour = finish ? childOfType(scene, *finish, ITEM_AMBIENT_COLOUR) : nullptr;
    if (!colour)
        return {0.7, 0.7, 0.7};
    const auto& e = colour->extension2;
    return {extDouble(e, COLOUR_RED - ITEM_VALUES), extDouble(e, COLOUR_GREEN - ITEM_VALUES),
            extDouble(e, COLOUR_BLUE - ITEM_VALUES)};
}

ViewCamera cameraOf(const SceneObject& o) {
    ViewCamera c;
    c.location = {o.position[0], o.position[1], o.position[2]};
    c.lookAt =
        o.hasTarget ? Point3{o.target[0], o.target[1], o.target[2]} : c.location + Point3{0, 1, 0};
    double fov = extDouble(o.extension1, CAMERA_FIELD_OF_VIEW - KIND_VALUES);
    c.angle = fov > 0 && fov < 180 ? fov : 0;
    return c;
}

// Every line of `text` behind a comment mark.
std::string commentedOut(const std::string& text) {
    std::string out = "// ";
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\n' && i + 1 < text.size())
            out += "// ";
    }
    return out;
}

} // namespace

std::string CameraText(const ViewCamera& camera) {
    Point3 sky{0, 0, 1};
    // Looking straight up or down, the model's +Y is the picture's up.
    Point3 direction = normalized(camera.lookAt - camera.location);
    if (length(cross(direction, sky)) < 1e-9)
        sky = Point3{0, direction.z > 0 ? -1.0 : 1.0, 0};
    std::string text = "camera {\n  location " + vec(camera.location) + "\n";
    text += "  sky " + vec(sky) + "\n";
    // The negated right vector makes look_at build a right-handed view.
    text += "  up y\n  right -x*image_width/image_height\n";
    if (camera.angle > 0 && camera.angle < 180)
        text += "  angle " + sceneNumber(camera.angle) + "\n";
    text += "  look_at " + vec(camera.lookAt) + "\n}\n";
    return text;
}

ViewCamera FrameVertices(const std::vector<double>& vertices, double aspect) {
    ViewCamera camera;
    camera.angle = FRAMED_ANGLE;
    const size_t count = vertices.size() / 3;
    if (count == 0) {
        camera.location = {6, -6, 5};
        return camera;
    }
    Point3 low{vertices[0], vertices[1], vertices[2]}, high = low;
    for (size_t i = 0; i < count; ++i) {
        const double* v = &vertices[3 * i];
        low = {std::min(low.x, v[0]), std::min(low.y, v[1]), std::min(low.z, v[2])};
        high = {std::max(high.x, v[0]), std::max(high.y, v[1]), std::max(high.z, v[2])};
    }
    const Point3 centre = (low + high) * 0.5;
    // From the front (-Y), the right (+X) and above, 45 degrees round and 30 up.
    const Point3 back = normalized({1, -1, 0.8165});
    const Point3 forward = back * -1;
    const Point3 right = normalized(cross(forward, {0, 0, 1}));
    const Point3 up = cross(right, forward);
    // A margin of a tenth of the picture on each side.
    const double across = 0.9 * std::tan(FRAMED_ANGLE * PI / 360);
    const double tall = across / (aspect > 0 ? aspect : 4.0 / 3.0);
    const double radius = length(high - low) * 0.5;
    // The distance back from the centre at which each vertex is just inside the view.
    double distance = 0;
    for (size_t i = 0; i < count; ++i) {
        const Point3 q = Point3{vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]} - centre;
        const double ahead = dot(q, back);
        distance = std::max(distance, ahead + std::fabs(dot(q, right)) / across);
        distance = std::max(distance, ahead + std::fabs(dot(q, up)) / tall);
    }
    // Not closer than just outside the bounding sphere, nor at the centre of a point.
    distance = std::max(distance, radius * 1.05);
    if (distance <= 0)
        distance = 1;
    camera.lookAt = centre;
    camera.location = centre + back * distance;
    return camera;
}

PictureFile ResolvePicture(const std::string& folder, const std::string& name) {
    PictureFile picture;
    if (name.empty())
        return picture;
    const fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
    std::error_code error;
    fs::path found;
    if (fs::is_regular_file(dir / name, error)) {
        found = dir / name;
    } else {
        // The model's tool wrote the name in its own case; the disk may hold another.
        std::string base = name.substr(
            name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
        const std::string wanted = lower(base);
        fs::directory_iterator it(dir, error), end;
        for (; !error && it != end; it.increment(error))
            if (lower(it->path().filename().string()) == wanted &&
                fs::is_regular_file(it->path(), error)) {
                found = it->path();
                break;
            }
    }
    if (found.empty())
        return picture;
    fs::path absolute = fs::absolute(found, error);
    picture.path = (error ? found : absolute).lexically_normal().string();
    picture.keyword = pictureKeyword(found);
    return picture;
}

void WriteSceneFile(PluginHost& host, const SceneFileOptions& options, std::ostream& out,
                    std::vector<std::string>& warnings) {
    Scene& scene = host.scene();
    const std::string folder =
        options.modelFile.empty() ? "" : fs::path(options.modelFile).parent_path().string();
    const std::string beside =
        options.modelFile.empty()
            ? "in the current folder"
            : "beside '" + fs::path(options.modelFile).filename().string() + "'";

    SceneTextHooks hooks;
    hooks.imagePigment = [&](const SceneObject& material, const std::string& name, bool once) {
        PictureFile picture = ResolvePicture(folder, name);
        if (!picture.path.empty() && !picture.keyword.empty())
            return "  pigment { uv_mapping image_map { " + picture.keyword + " " +
                   stringLiteral(picture.path) + (once ? " once" : "") + " } }\n";
        warnings.push_back("picture '" + name + "' for material '" + material.name + "' " +
                           (picture.path.empty() ? "not found " + beside
                                                 : "is in a format the ray tracer cannot read") +
                           "; using its colour");
        return "  pigment { color rgb " + vec(materialColour(scene, material)) + " }\n";
    };
    bool haveCamera = false;
    ViewCamera used;
    hooks.camera = [&](const SceneObject& o) {
        std::string text = CameraText(cameraOf(o));
        if (haveCamera)
            return "// another camera of the model, " + o.name + ":\n" + commentedOut(text);
        haveCamera = true;
        used = cameraOf(o);
        return text;
    };
    std::ostringstream body;
    host.writeSceneText(body, false, hooks);

    bool haveLight = false;
    std::vector<double> vertices;
    for (SceneObject* o : scene.objects()) {
        if (o->kind == KIND_LIGHT && o->hasPosition)
            haveLight = true;
        else if (o->kind == KIND_POLYGON_MESH)
            vertices.insert(vertices.end(), o->mesh.vertices.begin(), o->mesh.vertices.end());
        else if (o->pluginObject && o->kind != KIND_CAMERA) {
            MeshData drawn;
            host.draw(o->handle, false, drawn);
            vertices.insert(vertices.end(), drawn.vertices.begin(), drawn.vertices.end());
        }
    }

    out << "#version 3.7;\n"
        << "global_settings { assumed_gamma 1.0 }\n"
        << "background { color rgb <0.55, 0.6, 0.68> }\n"
        // Objects without a material are light grey, never the language's black.
        << "#default { pigment { color rgb <0.8, 0.8, 0.8> } }\n"
        << "#default { finish { ambient 0.12 diffuse 0.8 } }\n"
        << body.str();
    if (!haveCamera) {
        used = FrameVertices(vertices, options.aspect);
        out << "// framed on the model from the front, right and above\n" << CameraText(used);
    }
    if (!haveLight) {
        // Over and behind the camera, so what the camera sees is lit.
        const Point3 back = used.location - used.lookAt;
        const Point3 at = used.location + back * 0.3 + Point3{0, 0, 0.5 * length(back)};
        out << "light_source { " << vec(at) << " color rgb <1, 1, 1> }\n";
    }
}

} // namespace host
