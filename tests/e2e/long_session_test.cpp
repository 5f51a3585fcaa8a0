// A day's session in one process: rounds of mixed operations (every real file
// imported, each solid made through the dialog, tessellations of the current object,
// pages opened and closed, scenes saved and loaded back) with every object destroyed
// at the end of each round. After the warm-up rounds, what the process holds live (heap
// bytes, the stand-in's windows, bitmaps and locks) must be the same at the end of
// every round, and no engine scene may stay alive. The sanitizer build adds its leak
// check at exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "engine/engine_trace.h"
#include "host/held_resources.h"
#include "host/plugin_host.h"
#include "host/session.h"
#include "platform/standin_control.h"
#include "tests/real_files.h"

using namespace host;

namespace {

// The mix of operations moves on from round to round, so state made once (a container
// reaching its largest size, say) can first appear in the second round: two warm up.
constexpr int WARM_UP_ROUNDS = 2;
constexpr int ROUNDS = WARM_UP_ROUNDS + 2;

// The C library counts whole chunks, and whether a reused chunk is split depends on the
// heap's layout (with 8-byte pointers the smallest chunk is 32 bytes), so its count moves
// by a few hundred bytes between rounds that hold the same blocks. A leak of anything
// per operation grows by far more (a round has thousands of operations); the sanitizer
// builds count the bytes themselves, and exactly.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t HEAP_LAYOUT_SLACK = 0;
#else
constexpr size_t HEAP_LAYOUT_SLACK = 1024;
#endif

// `later` holds what `earlier` held, its heap within the layout slack.
bool holdsTheSame(HeldResources later, HeldResources earlier) {
    if (later.heapBytes >= earlier.heapBytes &&
        later.heapBytes - earlier.heapBytes <= HEAP_LAYOUT_SLACK)
        later.heapBytes = earlier.heapBytes;
    return later == earlier;
}

std::vector<std::string> realFiles() {
    std::vector<std::string> files;
    for (const char* kind : {"3ds", "obj"})
        for (const auto& e : std::filesystem::directory_iterator(realfiles::dir(kind)))
            if (e.is_regular_file())
                files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(LongSession, RoundsOfEveryOperationHoldNothingMore) {
    PluginHost h;
    ASSERT_TRUE(h.load(e2e::pluginPath())) << h.error();
    standin::CreateHostWindow("Modeller");
    SessionPlan plan;
    plan.files = realFiles();
    ASSERT_GE(plan.files.size(), realfiles::atLeast(40, 30));
    plan.scratchScene = e2e::tempPath("long-session.tsc");
    Session session(h, plan);
    std::string error;
    ASSERT_TRUE(session.prepare(error)) << error;

    std::vector<HeldResources> after;
    std::vector<int> engineScenes;
    after.reserve(ROUNDS); // its own growth would count
    engineScenes.reserve(ROUNDS);
    for (int r = 0; r < ROUNDS; ++r) {
        session.round();
        after.push_back(CountHeldResources());
        engineScenes.push_back(engine::LiveSceneCount());
        std::printf("round %d: %s, %d engine scenes\n", r + 1, Describe(after.back()).c_str(),
                    engineScenes.back());
    }
    std::printf("%d operations\n", session.operations());
    EXPECT_GE(session.operations(), 2000);
    for (const std::string& p : session.problems())
        ADD_FAILURE() << p;
    const int warm = WARM_UP_ROUNDS - 1;
    for (int r = WARM_UP_ROUNDS; r < ROUNDS; ++r) {
        EXPECT_TRUE(holdsTheSame(after[r], after[warm]))
            << "round " << r + 1 << ": " << Describe(after[r])
            << "; after the warm-up rounds: " << Describe(after[warm]);
        EXPECT_EQ(engineScenes[r], engineScenes[warm]) << "round " << r + 1;
    }
    // Five picture buttons, loaded once for every opening of every round.
    EXPECT_EQ(session.distinctButtonBitmaps(), 5u);
    EXPECT_TRUE(h.misuses.empty()) << h.misuses.front();
}
