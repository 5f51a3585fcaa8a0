// The hostile host: every service call a clean run makes is refused once, one run
// per call, for imports of real files, each way of creating a mesh object and a
// scene saved and loaded back. Every run must end cleanly: no misuse, no broken
// contract, no dialog or window left open, every object the plug-in left drawable
// and, in the sanitizer build, nothing leaked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "host/contract_check.h"
#include "host/dialog_robot.h"
#include "host/plugin_host.h"
#include "host/scene_description.h"
#include "platform/standin_control.h"
#include "resources/resource.h"
#include "tests/real_files.h"

using namespace host;

namespace {

// Real files small enough to walk every call of; together they hold materials with
// and without textures, cameras, lights, hierarchies and multi-material meshes.
constexpr uintmax_t WALKED_FILE_MAX_BYTES = 100 * 1024;

constexpr Service ALL_SERVICES[] = {
    Service::CreateObject, Service::GetObjectInfo,  Service::SetObjectInfo,
    Service::AddToGroup,   Service::AssignMaterial, Service::MeshAllocation,
    Service::StreamRead,   Service::StreamWrite,    Service::AskFileName,
};

struct Scenario {
    std::string name;
    std::function<void(PluginHost&, DialogRobot&)> setUp; // not walked
    std::function<void(PluginHost&, DialogRobot&)> run;   // every call of it is walked
};

// One run in a fresh host; the failures it saw, prefixed with what was refused.
std::vector<std::string> runOnce(const Scenario& s, const Service* refuse, int k,
                                 FaultPlan* counted) {
    std::vector<std::string> failures;
    const std::string what =
        s.name + (refuse ? std::string(", ") + ServiceName(*refuse) + " #" + std::to_string(k)
                         : std::string(", clean run"));
    const unsigned windowsBefore = standin::WindowCount();
    {
        PluginHost h;
        if (!h.load(e2e::pluginPath()))
            return {what + ": " + h.error()};
        DialogRobot robot;
        robot.install();
        s.setUp(h, robot);
        if (refuse)
            h.faults.refuse(*refuse, k);
        else
            h.faults.clear();
        s.run(h, robot);
        if (refuse && !h.faults.fired())
            failures.push_back(what + ": the call never came");
        for (const std::string& m : h.misuses)
            failures.push_back(what + ": misuse: " + m);
        for (const std::string& b : ContractBreaks(h))
            failures.push_back(what + ": " + b);
        if (standin::ModalDepth() != 0)
            failures.push_back(what + ": a dialog is still open");
        robot.uninstall();
        if (counted)
            *counted = h.faults;
    }
    if (standin::WindowCount() != windowsBefore)
        failures.push_back(what + ": windows left behind");
    standin::ClearDebugLog();
    standin::ClearMessageBoxLog();
    return failures;
}

// The clean run, then one run per call of every kind it made.
void walk(const Scenario& s) {
    FaultPlan clean;
    std::vector<std::string> failures = runOnce(s, nullptr, 0, &clean);
    int runs = 0;
    for (Service service : ALL_SERVICES)
        for (int k = 1; k <= clean.calls(service); ++k, ++runs) {
            std::vector<std::string> more = runOnce(s, &service, k, nullptr);
            failures.insert(failures.end(), more.begin(), more.end());
        }
    EXPECT_GT(runs, 0) << s.name << ": nothing to refuse";
    for (const std::string& f : failures)
        ADD_FAILURE() << f;
    std::printf("%s: %d refused runs\n", s.name.c_str(), runs);
}

Scenario importFile(const std::string& path) {
    return {std::filesystem::path(path).filename().string(),
            [path](PluginHost& h, DialogRobot&) { h.chosenFile = path; },
            [](PluginHost& h, DialogRobot&) { h.runImportCommand(); }};
}

std::vector<std::string> walkedFiles(const char* kind) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(realfiles::dir(kind)))
        if (entry.is_regular_file() && entry.file_size() <= WALKED_FILE_MAX_BYTES)
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

void createSolid(PluginHost& h, DialogRobot& robot, int button) {
    robot.plan({button});
    HostHandle handle = 0;
    h.createPluginObject(&handle);
}

} // namespace

TEST(HostileHost, ImportsOfRealThreeDSFilesSurviveEveryRefusal) {
    std::vector<std::string> files = walkedFiles("3ds");
    ASSERT_GE(files.size(), 10u);
    for (const std::string& file : files)
        walk(importFile(file));
}

TEST(HostileHost, ImportsOfRealObjFilesSurviveEveryRefusal) {
    for (const char* name : {"cube_usemtl.obj", "concave_polygon.obj", "solids.obj"})
        walk(importFile(realfiles::path("obj", name)));
}

namespace {

// A scene with a CSG group, a host mesh, a reference, a container, a surface of
// revolution and a mesh object of the plug-in's own, each a current object in turn.
constexpr const char* TESSELLATED_SCENE = R"({"objects": [
    {"name": "Blend", "kind": "group", "operation": "union", "children": [
      {"name": "Block", "kind": "box"},
      {"name": "Ball", "kind": "sphere", "transform": {"translate": [1, 0, 0]}}]},
    {"name": "Wedge", "kind": "triangle_mesh",
     "vertices": [[0,0,0],[1,0,0],[0,1,0],[0,0,1]], "faces": [[0,2,1],[0,1,3],[0,3,2],[1,2,3]]},
    {"name": "Copy", "kind": "reference", "of": "Wedge"},
    {"name": "Set", "kind": "container", "children": [{"name": "Inner", "kind": "cone"}]},
    {"name": "Vase", "kind": "lathe", "points": [[0.5,0],[1,0.5],[0.6,1]]},
    {"name": "Solid", "kind": "tessoid", "solid": "cube"}]})";

std::function<void(PluginHost&, DialogRobot&)> sceneWithCurrent(const char* current) {
    return [current](PluginHost& h, DialogRobot& r) {
        DescribedScene described;
        std::string error;
        ASSERT_TRUE(BuildSceneDescription(h, r, TESSELLATED_SCENE, current, described, error))
            << error;
    };
}

} // namespace

TEST(HostileHost, EveryCreationPathSurvivesEveryRefusal) {
    // The dialog asks about the current object before it shows.
    for (int button = 1013; button <= 1017; ++button)
        walk({"button " + std::to_string(button), sceneWithCurrent("Blend"),
              [button](PluginHost& h, DialogRobot& r) { createSolid(h, r, button); }});
    walk({"cancelled dialog", sceneWithCurrent("Wedge"),
          [](PluginHost& h, DialogRobot& r) { createSolid(h, r, IDCANCEL); }});
    for (const char* current : {"Blend", "Wedge", "Copy", "Set", "Vase", "Solid"})
        walk({std::string("tessellate ") + current, sceneWithCurrent(current),
              [](PluginHost& h, DialogRobot& r) { createSolid(h, r, IDC_CURRENT_OBJECT); }});
}

TEST(HostileHost, SaveAndLoadSurviveEveryRefusal) {
    const std::string path = e2e::tempPath("hostile.tsc");
    const std::string obj = realfiles::path("obj", "cube_usemtl.obj");
    walk({"save and load",
          [&obj](PluginHost& h, DialogRobot& r) {
              createSolid(h, r, 1017);
              h.chosenFile = obj;
              h.runImportCommand();
          },
          [&path](PluginHost& h, DialogRobot&) {
              if (h.saveScene(path))
                  h.loadScene(path);
          }});
    std::filesystem::remove(path);
}
