// tessoid-host: the reference host and command-line tool. Loads the plug-in
// exactly as the modeller does and drives it through its records.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/dialog_robot.h"
#include "host/exit_codes.h"
#include "host/held_resources.h"
#include "host/plugin_host.h"
#include "host/render.h"
#include "host/report.h"
#include "host/scene_description.h"
#include "host/session.h"
#include "host/slot_check.h"
#include "host/text_file.h"
#include "platform/win32.h"
#include "resources/resource.h"
#include "tessoid_version.h"

namespace {

using namespace host;

const char USAGE[] =
    "usage: tessoid-host [--plugin PATH] [--verbose] COMMAND [ARGS] [OPTIONS]\n"
    "       tessoid-host --version | --help\n"
    "\n"
    "commands:\n"
    "  info                      print the plug-in's information record and interfaces\n"
    "  check-slots               call every slot the plug-in hands over and check that it\n"
    "                            keeps its calling convention\n"
    "  new SOLID                 create a mesh object from a predefined solid:\n"
    "                            tetrahedron, cube, octahedron, dodecahedron, icosahedron\n"
    "  import FILE               run the import command on FILE (.obj or .3ds)\n"
    "  load SCENE                load a scene file saved by this host\n"
    "  tessellate SCENE.json     build the described objects and turn the current one into a\n"
    "                            mesh object through the predefined-mesh dialog's button 1018\n"
    "  session [FILE...]         a long session in one process: rounds of imports of the\n"
    "                            files, dialogs, pages, tessellations and save/load, each\n"
    "                            round removing what it made; fails when a round holds more\n"
    "                            than the first\n"
    "\n"
    "options:\n"
    "  --scene-text FILE         write the scene as ray-tracer scene text to FILE ('-': stdout)\n"
    "  --declare                 declare each mesh once and reference it in the scene text\n"
    "  --pov FILE                write a complete scene file for the ray tracer: the model's\n"
    "                            camera (or one framed on it), lights (or one), pictures\n"
    "                            found beside the model (else their material's colour)\n"
    "  --render FILE.png         render that scene with the ray tracer (povray)\n"
    "  --size WxH                the rendered picture's size (default 640x480)\n"
    "  --save FILE               save the scene to FILE\n"
    "  --page                    show the property page of the new object and print it\n"
    "  --angle DEGREES           set the smoothing angle through the property page's value\n"
    "  --object NAME             tessellate: the object to make current (else the file's choice)\n"
    "  --rounds N                session: rounds, the first one a warm-up (default 3)\n"
    "  --openings N              session: dialog openings per round (default 300)\n"
    "  --pages N                 session: property pages per round (default a third of\n"
    "                            the openings)\n"
    "\n"
    "exit codes:\n"
    "  0  success\n"
    "  1  the command failed (import, load, save, tessellation, render); stderr says why\n"
    "  2  usage error: a wrong command line, nothing was run\n"
    "  3  contract break: the plug-in misused a host service or a calling convention\n";

struct Options {
    std::string plugin;
    bool verbose = false;
    std::string command;
    std::vector<std::string> args;
    std::string sceneText, save;
    std::string pov, render;
    int width = 640, height = 480;
    std::string object;
    bool declare = false, page = false;
    bool hasAngle = false;
    double angle = 0;
    int rounds = 3, openings = 300, pages = -1;
};

// `new`'s choices: the solids, the current object, or Cancel.
const std::map<std::string, int> SOLID_BUTTONS = [] {
    std::map<std::string, int> buttons = host::SolidButtons();
    buttons.emplace("current", IDC_CURRENT_OBJECT);
    buttons.emplace("cancel", IDCANCEL);
    return buttons;
}();

bool parse(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (a == "--plugin") {
            if (!value(o.plugin))
                return false;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--scene-text") {
            if (!value(o.sceneText))
                return false;
        } else if (a == "--pov") {
            if (!value(o.pov))
                return false;
        } else if (a == "--render") {
            if (!value(o.render))
                return false;
        } else if (a == "--size") {
            std::string v;
            if (!value(v))
                return false;
            int w = 0, h = 0;
            char x = 0, rest = 0;
            if (std::sscanf(v.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 ||
                (x != 'x' && x != 'X') || w < 1 || h < 1 || w > 16384 || h > 16384) {
                error = "--size needs WIDTHxHEIGHT, each from 1 to 16384, e.g. 640x480";
                return false;
            }
            o.width = w;
            o.height = h;
        } else if (a == "--save") {
            if (!value(o.save))
                return false;
        } else if (a == "--object") {
            if (!value(o.object))
                return false;
        } else if (a == "--declare") {
            o.declare = true;
        } else if (a == "--page") {
            o.page = true;
        } else if (a == "--angle") {
            std::string v;
            if (!value(v))
                return false;
            char* end = nullptr;
            o.angle = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end) {
                error = "--angle needs a number";
                return false;
            }
            o.hasAngle = true;
        } else if (a == "--rounds" || a == "--openings" || a == "--pages") {
            std::string v;
            if (!value(v))
                return false;
            char* end = nullptr;
            long n = std::strtol(v.c_str(), &end, 10);
            long least = a == "--pages" ? 0 : 1;
            if (end == v.c_str() || *end || n < least || n > 1000000) {
                error = a + " needs a whole number from " + std::to_string(least) + " to 1000000";
                return false;
            }
            (a == "--rounds"     ? o.rounds
             : a == "--openings" ? o.openings
                                 : o.pages) = static_cast<int>(n);
        } else if (a == "-h" || a == "--help") {
            o.command = "help";
        } else if (a == "--version") {
            o.command = "version";
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            error = "unknown option " + a;
            return false;
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            o.args.push_back(a);
        }
    }
    return true;
}

// The plug-in beside this program, wherever it was started from (a bare name found
// through PATH gives no folder in argv[0]).
std::string defaultPluginPath(const char* argv0) {
    std::string self = argv0;
#if !defined(_WIN32)
    std::error_code noLink;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", noLink);
    if (!noLink)
        self = exe.string();
#endif
    size_t slash = self.find_last_of("/\\");
    std::string dir = slash == std::string::npos ? "." : self.substr(0, slash);
#if defined(_WIN32)
    return dir + "\\Tessoid.dll";
#else
    return dir + "/libTessoid.so";
#endif
}

// The extensions the plug-in's import command reads, in any letter case.
bool importableFileName(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "obj" || extension == "3ds";
}

// Says so on stderr when the plug-in misused any host service.
bool brokeContract(const host::PluginHost& h) {
    if (h.misuses.empty())
        return false;
    std::fprintf(stderr, "tessoid-host: the plug-in broke the host contract %zu time(s)\n",
                 h.misuses.size());
    return true;
}

// Rounds of a long session; every round after the first must hold what the first held.
int runSession(host::PluginHost& h, const Options& o) {
    host::SessionPlan plan;
    plan.files = o.args;
    plan.dialogOpenings = o.openings;
    plan.pageOpenings = o.pages >= 0 ? o.pages : o.openings / 3;
    plan.tessellations = o.openings / 10;
    plan.saveLoadCycles = o.openings / 15;
    // The save/load cycles write beside other temporary files, never into the user's folder.
    std::error_code noTemp;
    std::filesystem::path temp = std::filesystem::temp_directory_path(noTemp);
    plan.scratchScene =
        (noTemp ? std::filesystem::path(".") : temp).append("tessoid-session.tsc").string();
    host::Session session(h, plan);
    std::string error;
    if (!session.prepare(error)) {
        std::fprintf(stderr, "tessoid-host: %s\n", error.c_str());
        return EXIT_FAILED;
    }
    // Printed before the first count: the output's buffer is then part of every count.
    std::printf("session: %d rounds of %zu imports and %d dialog openings\n", o.rounds,
                plan.files.size(), plan.dialogOpenings + plan.tessellations);
    std::fflush(stdout);
    int code = EXIT_OK;
    host::HeldResources first;
    for (int r = 0; r < o.rounds; ++r) {
        session.round();
        host::HeldResources now = host::CountHeldResources();
        std::printf("round %d: %s\n", r + 1, host::Describe(now).c_str());
        std::fflush(stdout);
        if (r == 0)
            first = now;
        else if (!(now == first)) {
            std::fprintf(stderr, "tessoid-host: round %d holds more than the first round\n", r + 1);
            code = EXIT_FAILED;
        }
    }
    std::printf("%d operations, %d dialog openings, %zu bitmaps on the dialog's buttons\n",
                session.operations(), session.dialogOpenings(), session.distinctButtonBitmaps());
    for (const std::string& p : session.problems())
        std::fprintf(stderr, "tessoid-host: %s\n", p.c_str());
    if (!session.problems().empty())
        code = EXIT_FAILED;
    return brokeContract(h) ? EXIT_CONTRACT_BREAK : code;
}

int finish(host::PluginHost& h, const Options& o, host::HostHandle created) {
    if (created && o.page && !host::ShowPropertyPage(h, created, o.hasAngle, o.angle, std::cout))
        return EXIT_FAILED;
    host::PrintScene(h, std::cout);
    if (!o.sceneText.empty()) {
        std::ostringstream text;
        h.writeSceneText(text, o.declare);
        if (!host::WriteTextFile(o.sceneText, text.str()))
            return EXIT_FAILED;
    }
    if (!o.pov.empty() || !o.render.empty()) {
        // The pictures of an imported or loaded file are looked for beside it.
        std::string model = o.command == "new" || o.args.empty() ? "" : o.args[0];
        host::ExportRequest request{o.pov, o.render, model, o.width, o.height};
        if (int code = host::ExportScene(h, request); code != EXIT_OK)
            return code;
    }
    if (!o.save.empty() && !h.saveScene(o.save)) {
        std::fprintf(stderr, "tessoid-host: cannot save the scene: %s\n", h.error().c_str());
        return EXIT_FAILED;
    }
    if (brokeContract(h))
        return EXIT_CONTRACT_BREAK;
    return EXIT_OK;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (!parse(argc, argv, o, error)) {
        std::fprintf(stderr, "tessoid-host: %s\n%s", error.c_str(), USAGE);
        return EXIT_USAGE;
    }
    if (o.command.empty() || o.command == "help") {
        std::fputs(USAGE, o.command.empty() ? stderr : stdout);
        return o.command.empty() ? EXIT_USAGE : EXIT_OK;
    }
    if (o.command == "version") {
        std::printf("tessoid-host %s\n", TESSOID_VERSION_STRING);
        return EXIT_OK;
    }
    host::EchoDiagnostics(o.verbose);
    host::PluginHost h;
    std::string pluginPath = o.plugin.empty() ? defaultPluginPath(argv[0]) : o.plugin;
    if (!h.load(pluginPath)) {
        std::fprintf(stderr, "tessoid-host: %s\n", h.error().c_str());
        return EXIT_FAILED;
    }
    host::DialogRobot robot;
    robot.install();

    if (o.command == "info") {
        host::PrintPluginInfo(h, std::cout);
        return EXIT_OK;
    }
    if (o.command == "check-slots") {
        int broken = host::CheckSlotConventions(h, std::cout);
        if (broken)
            std::fprintf(stderr, "tessoid-host: %d slot(s) broke their calling convention\n",
                         broken);
        return broken || !h.misuses.empty() ? EXIT_CONTRACT_BREAK : EXIT_OK;
    }
    if (o.command == "new") {
        if (o.args.size() != 1 || !SOLID_BUTTONS.count(o.args[0])) {
            std::fprintf(stderr, "tessoid-host: new needs one of: tetrahedron, cube, octahedron, "
                                 "dodecahedron, icosahedron\n");
            return EXIT_USAGE;
        }
        robot.plan({SOLID_BUTTONS.at(o.args[0])});
        host::HostHandle handle = 0;
        int32_t result = h.createPluginObject(&handle);
        if (result != 0) {
            std::fprintf(stderr, "tessoid-host: no object was created (result %d)\n", result);
            return EXIT_FAILED;
        }
        h.scene().current = handle;
        return finish(h, o, handle);
    }
    if (o.command == "import") {
        if (o.args.size() > 1) {
            std::fprintf(stderr, "tessoid-host: import takes one file\n");
            return EXIT_USAGE;
        }
        h.chosenFile = o.args.empty() ? "" : o.args[0];
        // The report alone needs only the counts of a polygon mesh, not its values.
        h.keepsBuilderValues = !o.sceneText.empty() || !o.pov.empty() || !o.render.empty();
        size_t before = h.scene().size();
        size_t debugBefore = host::DebugLines().size();
        h.runImportCommand();
        for (const std::string& box : host::MessageBoxes())
            std::fprintf(stderr, "message box: %s\n", box.c_str());
        if (h.scene().size() == before) {
            // The plug-in's debug lines say why; --verbose has shown them already.
            const std::vector<std::string> lines = host::DebugLines();
            for (size_t i = debugBefore; !o.verbose && i < lines.size(); ++i)
                std::fprintf(stderr, "tessoid-host: %s%s", lines[i].c_str(),
                             !lines[i].empty() && lines[i].back() == '\n' ? "" : "\n");
            if (h.chosenFile.empty())
                std::fprintf(stderr, "tessoid-host: import needs a file; nothing was imported\n");
            else if (!importableFileName(h.chosenFile))
                std::fprintf(stderr,
                             "tessoid-host: cannot import '%s': the name ends in neither "
                             ".obj nor .3ds\n",
                             h.chosenFile.c_str());
            else
                std::fprintf(stderr, "tessoid-host: nothing was imported from '%s'\n",
                             h.chosenFile.c_str());
            return EXIT_FAILED;
        }
        host::HostHandle created = h.importResult;
        if (!created)
            created = h.scene().objects().back()->handle;
        h.scene().current = created;
        return finish(h, o, created);
    }
    if (o.command == "load") {
        if (o.args.size() != 1) {
            std::fprintf(stderr, "tessoid-host: load needs a scene file\n");
            return EXIT_USAGE;
        }
        if (!h.loadScene(o.args[0])) {
            std::fprintf(stderr, "tessoid-host: %s\n", h.error().c_str());
            return EXIT_FAILED;
        }
        return finish(h, o, 0);
    }
    if (o.command == "tessellate") {
        if (o.args.size() != 1) {
            std::fprintf(stderr, "tessoid-host: tessellate needs a scene description\n");
            return EXIT_USAGE;
        }
        host::DescribedScene described;
        if (!host::LoadSceneDescription(h, robot, o.args[0], o.object, described, error)) {
            std::fprintf(stderr, "tessoid-host: %s\n", error.c_str());
            return EXIT_FAILED;
        }
        robot.plan({IDC_CURRENT_OBJECT});
        host::HostHandle handle = 0;
        int32_t result = h.createPluginObject(&handle);
        for (const std::string& box : host::MessageBoxes())
            std::fprintf(stderr, "message box: %s\n", box.c_str());
        if (result != 0) {
            const auto& seen = robot.sightings();
            const auto& enabled = seen.empty() ? std::map<int, bool>() : seen.back().enabled;
            if (enabled.count(IDC_CURRENT_OBJECT) && !enabled.at(IDC_CURRENT_OBJECT))
                std::fprintf(stderr, "tessoid-host: the current object cannot be tessellated\n");
            else
                std::fprintf(stderr, "tessoid-host: no object was created (result %d)\n", result);
            return EXIT_FAILED;
        }
        int code = finish(h, o, handle);
        if (code == 0 && o.sceneText.empty())
            host::WriteObjectSceneText(h, handle, std::cout);
        return code;
    }
    if (o.command == "session")
        return runSession(h, o);
    std::fprintf(stderr, "tessoid-host: unknown command %s\n%s", o.command.c_str(), USAGE);
    return EXIT_USAGE;
}
