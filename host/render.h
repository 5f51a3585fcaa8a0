// Running the ray tracer on a scene file, its progress on one line.
#pragma once

#include <string>

namespace host {

// The ray tracer's program: $TESSOID_RAYTRACER when set, else "povray" on the PATH.
std::string RayTracerName();
// The program's full path, or empty when it is not installed.
std::string FindProgram(const std::string& name);

struct RenderJob {
    std::string scene, picture; // the scene file and the PNG to write
    int width = 640, height = 480;
};

// Renders the job, printing "rendering PICTURE: N%" on one line on stdout. False with
// `error` (the renderer's last lines when it failed) on failure.
bool RenderScene(const RenderJob& job, std::string& error);

class PluginHost;

struct ExportRequest {
    std::string sceneFile; // where the scene file goes; empty: beside the picture, removed after
    std::string picture;   // the PNG to render; empty: only the scene file
    std::string modelFile; // the file the scene came from, whose folder holds its pictures
    int width = 640, height = 480;
};

// Writes the complete scene file and renders it as asked; an exit code, and on stderr
// a warning for each picture left out and why a render failed.
int ExportScene(PluginHost& host, const ExportRequest& request);

} // namespace host
