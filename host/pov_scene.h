// A complete scene file for the ray tracer: the scene text plus what it needs to
// render as the model looks in the modeller: a camera for a Z-up, right-handed model,
// a framed camera and a light when the model has none, and image maps found on disk.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace host {

class PluginHost;

struct Point3 {
    double x = 0, y = 0, z = 0;
};

struct ViewCamera {
    Point3 location, lookAt;
    double angle = 0; // horizontal field of view in degrees; 0 or less: the renderer's own
};

// The renderer's camera for a view given in the model's Z-up, right-handed frame. The
// renderer is left-handed with Y up: Z becomes the sky and the right vector is negated,
// so a point on the model's right shows on the picture's right.
std::string CameraText(const ViewCamera& camera);

// The field of view of a framed camera, degrees across the picture.
constexpr double FRAMED_ANGLE = 50;

// A camera from the front-right-above (looking toward +Y and down, from +X) that sees
// every vertex (x, y, z triples) in a picture `aspect` times as wide as high.
ViewCamera FrameVertices(const std::vector<double>& vertices, double aspect);

// A picture an image map names, as found in the model's folder.
struct PictureFile {
    std::string path;    // the file on disk; empty when not found
    std::string keyword; // the renderer's reader for it; empty when it has none
};

// Looks for `name` in `folder`, its letters in any case, and tells its format by its
// first bytes (TGA, which has no signature, by its extension).
PictureFile ResolvePicture(const std::string& folder, const std::string& name);

struct SceneFileOptions {
    std::string modelFile;     // image maps are looked for beside it; empty: the current folder
    double aspect = 4.0 / 3.0; // of the picture the framed camera is made for
};

// Writes the whole scene file. Each picture that cannot be used becomes its material's
// colour and adds one line to `warnings`.
void WriteSceneFile(PluginHost& host, const SceneFileOptions& options, std::ostream& out,
                    std::vector<std::string>& warnings);

} // namespace host
