// A day's session in one process: rounds of mixed operations (every real file
// imported, each solid made through the dialog, tessellations of the current object,
// pages opened and closed, scenes saved and loaded back) with every object destroyed
// at the end of each round. After a warm-up round, what the process holds live (heap
// bytes, the stand-in's windows, bitmaps and locks) must be the same at the end of
// every round, and no engine scene may stay alive. The sanitizer build adds its leak
// check at exit.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of live heap bytes (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "e2e_support.h"
#include "engine/engine_trace.h"
#include "host/contract_check.h"
#include "host/dialog_robot.h"
#include "host/plugin_host.h"
#include "host/report.h"
#include "host/scene_description.h"
#include "platform/standin_control.h"

using namespace host;

namespace {

constexpr int ROUNDS = 3;              // the first one warms up
constexpr int DIALOG_OPENINGS = 300;   // solids and cancels per round
constexpr int PAGE_OPENINGS = 100;
constexpr int TESSELLATIONS = 40;
constexpr int SAVE_LOAD_CYCLES = 20;

size_t liveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

struct Held {
    size_t heap;
    unsigned windows, bitmaps, gdiObjects, locks;
    int engineScenes;
    bool operator==(const Held&) const = default;
};

Held held() {
    return {liveHeapBytes(), standin::WindowCount(), standin::BitmapCount(),
            standin::GdiObjectCount(), standin::LockCount(), engine::LiveSceneCount()};
}

std::string describe(const Held& h) {
    return std::to_string(h.heap) + " heap bytes, " + std::to_string(h.windows) + " windows, " +
           std::to_string(h.bitmaps) + " bitmaps, " + std::to_string(h.gdiObjects) +
           " GDI objects, " + std::to_string(h.locks) + " locks, " +
           std::to_string(h.engineScenes) + " engine scenes";
}

std::vector<std::string> realFiles() {
    std::vector<std::string> files;
    for (const char* folder : {"/testdata/3ds", "/testdata/obj"})
        for (const auto& e : std::filesystem::directory_iterator(e2e::sharedDir() + folder))
            if (e.is_regular_file())
                files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

constexpr const char* SOURCE_SCENE = R"({"objects": [
    {"name": "Blend", "kind": "group", "operation": "union", "children": [
      {"name": "Block", "kind": "box"},
      {"name": "Ball", "kind": "sphere", "transform": {"translate": [1, 0, 0]}}]},
    {"name": "Wedge", "kind": "triangle_mesh",
     "vertices": [[0,0,0],[1,0,0],[0,1,0],[0,0,1]], "faces": [[0,2,1],[0,1,3],[0,3,2],[1,2,3]]}]})";

class Session {
public:
    explicit Session(PluginHost& h) : h_(h) {}

    // One round; what breaks a contract is reported as a test failure.
    void round(const std::vector<std::string>& files, const std::set<HostHandle>& keep,
               const DescribedScene& sources) {
        DialogRobot robot;
        robot.install();
        for (const std::string& file : files) {
            h_.chosenFile = file;
            h_.runImportCommand();
            ++operations;
        }
        std::vector<HostHandle> solids;
        for (int i = 0; i < DIALOG_OPENINGS; ++i) {
            // Every sixth opening is cancelled.
            robot.plan({i % 6 == 5 ? IDCANCEL : 1013 + i % 6});
            HostHandle made = 0;
            if (h_.createPluginObject(&made) == 0)
                solids.push_back(made);
            ++operations;
        }
        for (int i = 0; i < PAGE_OPENINGS; ++i) {
            std::ostringstream page;
            EXPECT_TRUE(ShowPropertyPage(h_, solids[i % solids.size()], i % 2 == 0, i % 90, page));
            ++operations;
        }
        for (int i = 0; i < TESSELLATIONS; ++i) {
            h_.scene().current = sources.objects.at(i % 2 ? "Blend" : "Wedge");
            robot.plan({1018});
            HostHandle made = 0;
            EXPECT_EQ(h_.createPluginObject(&made), 0);
            ++operations;
        }
        const std::string path = e2e::tempPath("long-session.tsc");
        for (int i = 0; i < SAVE_LOAD_CYCLES; ++i) {
            EXPECT_TRUE(h_.saveScene(path)) << h_.error();
            std::set<HostHandle> before;
            for (SceneObject* o : h_.scene().objects())
                before.insert(o->handle);
            EXPECT_TRUE(h_.loadScene(path)) << h_.error();
            operations += 2;
            // The loaded copies go again, so the next save stores the same scene.
            for (SceneObject* o : h_.scene().objects()) {
                if (!before.count(o->handle)) {
                    EXPECT_EQ(h_.serviceRemoveObject(o->handle), 0);
                }
            }
        }
        std::filesystem::remove(path);
        for (const std::string& b : ContractBreaks(h_))
            ADD_FAILURE() << b;
        robot.uninstall();
        // Everything made this round goes again.
        h_.scene().current = 0;
        for (SceneObject* o : h_.scene().objects()) {
            if (!keep.count(o->handle)) {
                EXPECT_EQ(h_.serviceRemoveObject(o->handle), 0);
                ++operations;
            }
        }
        h_.hostStates.clear();
        // What the stand-ins record for tests is not the plug-in's to free.
        standin::ClearDebugLog();
        standin::ClearMessageBoxLog();
        engine::ClearTrace();
    }

    int operations = 0;

private:
    PluginHost& h_;
};

} // namespace

TEST(LongSession, RoundsOfEveryOperationHoldNothingMore) {
    PluginHost h;
    ASSERT_TRUE(h.load(e2e::pluginPath())) << h.error();
    standin::CreateHostWindow("Modeller");
    DescribedScene sources;
    {
        DialogRobot robot;
        robot.install();
        std::string error;
        ASSERT_TRUE(BuildSceneDescription(h, robot, SOURCE_SCENE, "", sources, error)) << error;
        robot.uninstall();
    }
    std::set<HostHandle> keep;
    for (SceneObject* o : h.scene().objects())
        keep.insert(o->handle);
    const std::vector<std::string> files = realFiles();
    ASSERT_GE(files.size(), 40u);

    Session session(h);
    std::vector<Held> after;
    after.reserve(ROUNDS);  // its own growth would count
    for (int r = 0; r < ROUNDS; ++r) {
        session.round(files, keep, sources);
        after.push_back(held());
        std::printf("round %d: %s\n", r + 1, describe(after.back()).c_str());
    }
    std::printf("%d operations\n", session.operations);
    EXPECT_GE(session.operations, 2000);
    for (int r = 1; r < ROUNDS; ++r)
        EXPECT_EQ(after[r], after[0]) << "round " << r + 1 << ": " << describe(after[r])
                                      << "; after the warm-up round: " << describe(after[0]);
    EXPECT_TRUE(h.misuses.empty()) << h.misuses.front();
}
