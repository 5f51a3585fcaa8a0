// The ray tracer runs as a child process through the shell; its status output (on
// stderr) is read for the "Rendered N of M pixels" lines and kept for a failure report.
#include "host/render.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/exit_codes.h"
#include "host/plugin_host.h"
#include "host/pov_scene.h"
#include "host/text_file.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace host {

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
const char PATH_SEPARATOR = ';';
const char CHANGE_FOLDER[] = "cd /d ";
std::string shellQuoted(const std::string& s) {
    return "\"" + s + "\"";
}
FILE* openPipe(const char* command) {
    return _popen(command, "r");
}
int closePipe(FILE* pipe) {
    return _pclose(pipe);
}
#else
const char CHANGE_FOLDER[] = "cd ";
FILE* openPipe(const char* command) {
    return popen(command, "r");
}
int closePipe(FILE* pipe) {
    return pclose(pipe);
}
const char PATH_SEPARATOR = ':';
std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
#endif

bool runnable(const fs::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return false;
#if defined(_WIN32)
    return true;
#else
    auto perms = fs::status(file, error).permissions();
    return !error && (perms & (fs::perms::owner_exec | fs::perms::group_exec |
                               fs::perms::others_exec)) != fs::perms::none;
#endif
}

} // namespace

std::string RayTracerName() {
    const char* chosen = std::getenv("TESSOID_RAYTRACER");
    return chosen && *chosen ? chosen : "povray";
}

std::string FindProgram(const std::string& name) {
    if (name.find_first_of("/\\") != std::string::npos)
        return runnable(name) ? name : "";
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(PATH_SEPARATOR, start);
        if (end == std::string::npos)
            end = dirs.size();
        fs::path dir = dirs.substr(start, end - start);
        if (!dir.empty()) {
            if (runnable(dir / name))
                return (dir / name).string();
#if defined(_WIN32)
            if (runnable(dir / (name + ".exe")))
                return (dir / (name + ".exe")).string();
#endif
        }
        start = end + 1;
    }
    return "";
}

bool RenderScene(const RenderJob& job, std::string& error) {
    const std::string name = RayTracerName();
    const std::string program = FindProgram(name);
    if (program.empty()) {
        error = "the ray tracer '" + name + "' is not installed (Debian: apt install povray)";
        return false;
    }
    std::error_code ignored;
    const fs::path scene = fs::absolute(job.scene, ignored);
    const fs::path picture = fs::absolute(job.picture, ignored);
    fs::remove(picture, ignored);
    // From the picture's folder: the renderer's file restrictions allow writing there.
    std::string command = CHANGE_FOLDER + shellQuoted(picture.parent_path().string()) + " && " +
                          shellQuoted(program) + " " + shellQuoted("+I" + scene.string()) + " " +
                          shellQuoted("+O" + picture.filename().string()) + " +W" +
                          std::to_string(job.width) + " +H" + std::to_string(job.height) +
                          " +FN +A0.3 -D -P 2>&1";
    FILE* pipe = openPipe(command.c_str());
    if (!pipe) {
        error = "cannot start the ray tracer '" + program + "'";
        return false;
    }
    static const std::regex progress(R"(Rendered (\d+) of (\d+) pixels)");
    std::deque<std::string> lastLines;
    std::string line;
    int shown = -1;
    const std::string label = "rendering " + job.picture + ": ";
    auto take = [&](const std::string& text) {
        std::smatch m;
        if (std::regex_search(text, m, progress)) {
            double total = std::stod(m[2]);
            int percent = total > 0 ? static_cast<int>(100 * std::stod(m[1]) / total) : 0;
            // Steps of ten: a log of the output (not a terminal) stays one short line too.
            percent -= percent % 10;
            if (percent != shown) {
                std::printf("\r%s%d%%", label.c_str(), percent);
                std::fflush(stdout);
                shown = percent;
            }
        } else if (text.find_first_not_of(" \t") != std::string::npos) {
            lastLines.push_back(text);
            if (lastLines.size() > 12)
                lastLines.pop_front();
        }
    };
    int c;
    while ((c = std::fgetc(pipe)) != EOF) {
        if (c == '\r' || c == '\n') {
            take(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    take(line);
    int status = closePipe(pipe);
#if defined(_WIN32)
    int code = status;
#else
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    const bool made = code == 0 && fs::is_regular_file(picture, ignored);
    if (made && shown != 100)
        std::printf("\r%s100%%", label.c_str());
    if (made || shown >= 0)
        std::printf("\n");
    std::fflush(stdout);
    if (made)
        return true;
    error = "the ray tracer failed (exit " + std::to_string(code) + ")";
    for (const std::string& l : lastLines)
        error += "\n  " + l;
    return false;
}

int ExportScene(PluginHost& host, const ExportRequest& request) {
    SceneFileOptions options;
    options.modelFile = request.modelFile;
    options.aspect = static_cast<double>(request.width) / request.height;
    std::string scene = request.sceneFile;
    const bool temporary = scene.empty();
    if (temporary) {
        fs::path picture(request.picture);
        scene = fs::path(picture).replace_extension(".tessoid-render.pov").string();
    }
    std::ostringstream text;
    std::vector<std::string> warnings;
    WriteSceneFile(host, options, text, warnings);
    for (const std::string& w : warnings)
        std::fprintf(stderr, "tessoid-host: warning: %s\n", w.c_str());
    if (!WriteTextFile(scene, text.str()))
        return EXIT_FAILED;
    if (request.picture.empty())
        return EXIT_OK;
    RenderJob job{scene, request.picture, request.width, request.height};
    std::string error;
    bool rendered = RenderScene(job, error);
    if (temporary) {
        std::error_code ignored;
        fs::remove(scene, ignored);
    }
    if (!rendered) {
        std::fprintf(stderr, "tessoid-host: cannot render: %s\n", error.c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

} // namespace host
