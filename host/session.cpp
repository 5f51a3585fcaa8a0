#include "host/session.h"

#include <cstdio>
#include <ostream>
#include <sstream>

#include "host/contract_check.h"
#include "host/dialog_robot.h"
#include "host/report.h"
#include "platform/win32.h"
#include "resources/resource.h"
#if !defined(_WIN32)
#include "engine/engine_trace.h"
#endif

namespace host {

namespace {

// What the tessellations start from: a CSG group of engine shapes and a triangle mesh.
constexpr const char* SOURCE_SCENE = R"({"objects": [
    {"name": "Blend", "kind": "group", "operation": "union", "children": [
      {"name": "Block", "kind": "box"},
      {"name": "Ball", "kind": "sphere", "transform": {"translate": [1, 0, 0]}}]},
    {"name": "Wedge", "kind": "triangle_mesh",
     "vertices": [[0,0,0],[1,0,0],[0,1,0],[0,0,1]], "faces": [[0,2,1],[0,1,3],[0,3,2],[1,2,3]]}]})";

constexpr int SOLIDS = IDC_ICOSAHEDRON - IDC_TETRAHEDRON + 1;

} // namespace

bool Session::prepare(std::string& error) {
    DialogRobot robot;
    robot.install();
    bool built = BuildSceneDescription(host_, robot, SOURCE_SCENE, "", sources_, error);
    robot.uninstall();
    if (!built)
        return false;
    for (SceneObject* o : host_.scene().objects())
        keep_.insert(o->handle);
    return true;
}

void Session::round() {
    DialogRobot robot;
    robot.install();
    for (const std::string& file : plan_.files) {
        host_.chosenFile = file;
        host_.runImportCommand();
        ++operations_;
    }
    std::vector<HostHandle> solids;
    for (int i = 0; i < plan_.dialogOpenings; ++i) {
        // Every sixth opening is cancelled.
        int button = i % (SOLIDS + 1) == SOLIDS ? IDCANCEL : IDC_TETRAHEDRON + i % (SOLIDS + 1);
        robot.plan({button});
        HostHandle made = 0;
        int32_t result = host_.createPluginObject(&made);
        if (result == 0 && made)
            solids.push_back(made);
        else if (button != IDCANCEL)
            problem("button " + std::to_string(button) + " made no solid (result " +
                    std::to_string(result) + ")");
        ++operations_;
        ++dialogOpenings_;
    }
    for (int i = 0; i < plan_.pageOpenings && !solids.empty(); ++i) {
        std::ostringstream page;
        if (!ShowPropertyPage(host_, solids[i % solids.size()], i % 2 == 0, i % 90, page))
            problem("the property page of a solid could not be shown");
        ++operations_;
    }
    for (int i = 0; i < plan_.tessellations; ++i) {
        host_.scene().current = sources_.objects.at(i % 2 ? "Blend" : "Wedge");
        robot.plan({IDC_CURRENT_OBJECT});
        HostHandle made = 0;
        int32_t result = host_.createPluginObject(&made);
        if (result != 0)
            problem("a tessellation made nothing (result " + std::to_string(result) + ")");
        ++operations_;
        ++dialogOpenings_;
    }
    for (int i = 0; i < plan_.saveLoadCycles; ++i) {
        if (!host_.saveScene(plan_.scratchScene))
            problem("save: " + host_.error());
        std::set<HostHandle> before;
        for (SceneObject* o : host_.scene().objects())
            before.insert(o->handle);
        if (!host_.loadScene(plan_.scratchScene))
            problem("load: " + host_.error());
        operations_ += 2;
        // The loaded copies go again, so the next save stores the same scene.
        for (SceneObject* o : host_.scene().objects())
            if (!before.count(o->handle) && host_.serviceRemoveObject(o->handle) != 0)
                problem("a loaded object could not be removed");
    }
    std::remove(plan_.scratchScene.c_str());
    for (const std::string& b : ContractBreaks(host_))
        problem(b);
    for (const DialogSighting& seen : robot.sightings())
        for (const auto& [id, bitmap] : seen.bitmap)
            if (bitmap)
                buttonBitmaps_.insert(bitmap);
    robot.uninstall();
    // Everything made this round goes again.
    host_.scene().current = 0;
    for (SceneObject* o : host_.scene().objects()) {
        if (!keep_.count(o->handle)) {
            if (host_.serviceRemoveObject(o->handle) != 0)
                problem("an object made this round could not be removed");
            ++operations_;
        }
    }
    // What the host records for its own reports is not the plug-in's to free.
    host_.hostStates.clear();
    ClearDiagnostics();
#if !defined(_WIN32)
    engine::ClearTrace(); // the engine stand-in's call record, kept for tests
#endif
}

} // namespace host
