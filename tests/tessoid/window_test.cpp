// The predefined-mesh dialog and the property page, driven through the Win32
// stand-in's windows with the library's own compiled resources.
#include <gtest/gtest.h>

#include "mesh/pending_mesh.h"
#include "platform/standin_control.h"
#include "plugin/plugin_state.h"
#include "plugin/shape_records.h"
#include "resources/embedded_resources.h"
#include "support.h"
#include "tessellate/is_tessellable.h"
#include "tessellate/tessellation.h"
#include "tessoid/creation.h"
#include "tessoid/property_page.h"

using namespace testhost;

namespace {

// The library's start-up, as the shared object's constructor runs it.
class LibraryEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        unsigned size = 0;
        const unsigned char* bytes = TessoidResourceBytes(&size);
        HMODULE module = Win32StandIn_RegisterModule("Tessoid", bytes, size);
        ASSERT_NE(module, nullptr);
        LibraryAttach(module);
        GiveCurrentObjectTessellation({IsTessellable, tessellateCurrentObject});
    }
    void TearDown() override {
        HMODULE module = State().module;
        LibraryDetach();
        Win32StandIn_UnregisterModule(module);
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);

struct Sighting {
    bool currentEnabled = true;
    std::vector<int> bitmapIds;
    std::string caption;
};

// Opens the dialog through Create, records what it shows, clicks `button`.
ObjectPtr createThroughDialog(FakeHost& host, int button, Sighting* seen = nullptr) {
    standin::SetDialogDriver([&](HWND dialog) {
        if (seen) {
            seen->caption = standin::WindowText(dialog);
            seen->currentEnabled =
                standin::IsEnabled(standin::FindControl(dialog, CURRENT_OBJECT_BUTTON));
            for (int id = 1013; id <= 1017; ++id) {
                standin::BitmapDetails details{};
                if (standin::GetBitmapDetails(
                        standin::ButtonBitmap(standin::FindControl(dialog, id)), &details))
                    seen->bitmapIds.push_back(details.resourceId);
            }
        }
        if (button) {
            EXPECT_TRUE(standin::ClickControl(dialog, button));
        }
    });
    ObjectPtr object = host.create();
    standin::SetDialogDriver(nullptr);
    return object;
}

class Windows : public ::testing::Test {
  protected:
    void SetUp() override {
        standin::Reset();
        standin::CreateHostWindow("Modeller");
    }
    void TearDown() override { standin::Reset(); }
    FakeHost host;
};

} // namespace

TEST_F(Windows, CubeFromTheDialogWithoutACurrentObject) {
    Sighting seen;
    ObjectPtr cube = createThroughDialog(host, 1014, &seen);
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(seen.caption, "Select Predefined Mesh");
    EXPECT_FALSE(seen.currentEnabled);
    EXPECT_EQ(seen.bitmapIds, (std::vector<int>{123, 124, 125, 126, 127}));
    const TessoidObject& mesh = Mesh(cube);
    EXPECT_STREQ(mesh.sourceName, "Cube");
    EXPECT_EQ(mesh.vertexCount(), 8);
    EXPECT_EQ(mesh.faceCount(), 12);
    EXPECT_EQ(mesh.edgeCount(), 18);
    EXPECT_EQ(standin::ModalDepth(), 0u);
}

TEST_F(Windows, EachSolidButtonMakesItsSolid) {
    const char* names[] = {"Tetrahedron", "Cube", "Octahedron", "Dodecahedron", "Icosahedron"};
    const int edges[] = {6, 18, 12, 54, 30};
    for (int i = 0; i < 5; ++i) {
        ObjectPtr o = createThroughDialog(host, 1013 + i);
        ASSERT_NE(o, nullptr);
        EXPECT_STREQ(Mesh(o).sourceName, names[i]);
        EXPECT_EQ(Mesh(o).edgeCount(), edges[i]);
    }
}

TEST_F(Windows, CancelOrClosingGivesNoObject) {
    EXPECT_EQ(createThroughDialog(host, IDCANCEL), nullptr);
    EXPECT_EQ(createThroughDialog(host, 0), nullptr); // closed without a choice
    EXPECT_TRUE(Pending().IsEmpty());
}

// A day's session opens the dialog thousands of times; a process has only so many
// GDI handles, so every opening must reuse the same five pictures.
TEST_F(Windows, DialogOpenedTenThousandTimesLoadsItsPicturesOnce) {
    constexpr int openings = 10000;
    const unsigned before = standin::BitmapCount();
    std::vector<HBITMAP> first, seen;
    standin::SetDialogDriver([&](HWND dialog) {
        seen.clear();
        for (int id = 1013; id <= 1017; ++id)
            seen.push_back(standin::ButtonBitmap(standin::FindControl(dialog, id)));
        if (first.empty())
            first = seen;
        else if (seen != first)
            ADD_FAILURE() << "an opening shows other bitmap handles than the first";
        standin::ClickControl(dialog, IDCANCEL);
    });
    for (int i = 0; i < openings; ++i)
        ASSERT_EQ(host.create(), nullptr);
    standin::SetDialogDriver(nullptr);
    ASSERT_EQ(first.size(), 5u);
    for (HBITMAP b : first)
        EXPECT_NE(b, nullptr);
    // Earlier tests of this process may have loaded them already.
    EXPECT_LE(standin::BitmapCount() - before, 5u);
    EXPECT_EQ(standin::WindowCount(), 1u) << "only the host window is left";
}

TEST_F(Windows, CurrentObjectButtonFollowsTessellability) {
    host.current = host.add(KIND_CAMERA).handle;
    Sighting withCamera;
    createThroughDialog(host, IDCANCEL, &withCamera);
    EXPECT_FALSE(withCamera.currentEnabled);

    host.current = host.add(KIND_BOX).handle;
    Sighting withBox;
    ObjectPtr o = createThroughDialog(host, CURRENT_OBJECT_BUTTON, &withBox);
    EXPECT_TRUE(withBox.currentEnabled);
    ASSERT_NE(o, nullptr);
    EXPECT_STREQ(Mesh(o).sourceName, "<None>");
}

// The dialog reaches tessellation only through what the module gives it: without it the
// button stays disabled even over a box, and nothing else changes.
TEST_F(Windows, CurrentObjectButtonNeedsTheTessellationItIsGiven) {
    host.current = host.add(KIND_BOX).handle;
    int tessellations = 0;
    static int* counter = nullptr;
    counter = &tessellations;
    GiveCurrentObjectTessellation({});
    Sighting withNothing;
    createThroughDialog(host, IDCANCEL, &withNothing);
    EXPECT_FALSE(withNothing.currentEnabled);

    GiveCurrentObjectTessellation({IsTessellable, [] { ++*counter; }});
    Sighting withCounter;
    ObjectPtr o = createThroughDialog(host, CURRENT_OBJECT_BUTTON, &withCounter);
    GiveCurrentObjectTessellation({IsTessellable, tessellateCurrentObject});
    EXPECT_TRUE(withCounter.currentEnabled);
    EXPECT_EQ(tessellations, 1);
    ASSERT_NE(o, nullptr);
    EXPECT_STREQ(Mesh(o).sourceName, "<None>");
}

namespace {

HWND openPage(FakeHost& host) {
    void* page = host.type().getPropertyPage();
    EXPECT_NE(page, nullptr);
    HWND panel = standin::CreateHostWindow("Properties");
    HWND window = standin::CreateWindowFromTemplate(
        nullptr, page, 0, panel, reinterpret_cast<WNDPROC>(host.type().pageWindowProc), 0);
    host.type().releasePropertyPage(page);
    return window;
}

std::string text(HWND page, int id) {
    return standin::WindowText(standin::FindControl(page, id));
}

} // namespace

TEST_F(Windows, PageShowsTheCurrentCubeAndTheInvertClickReachesIt) {
    ObjectPtr cube = createThroughDialog(host, 1014);
    host.addCurrentMesh(cube);
    HWND page = openPage(host);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(standin::TemplateId(page), 106);
    EXPECT_EQ(text(page, 1000), "Cube");
    EXPECT_EQ(text(page, 1001), "8");
    EXPECT_EQ(text(page, 1002), "12");
    HWND invert = standin::FindControl(page, 5001);
    EXPECT_EQ(standin::CheckState(invert), BST_UNCHECKED);

    EXPECT_TRUE(standin::Click(invert));
    EXPECT_EQ(Mesh(cube).invert, 1);
    EXPECT_TRUE(standin::Click(invert));
    EXPECT_EQ(Mesh(cube).invert, 0);

    // The common-control form of the click is honoured too.
    standin::Send(invert, BM_SETCHECK, BST_CHECKED, 0);
    NMHDR click{invert, 5001, NM_CLICK};
    EXPECT_EQ(standin::Send(page, WM_NOTIFY, 5001, reinterpret_cast<LPARAM>(&click)), 1);
    EXPECT_EQ(Mesh(cube).invert, 1);

    // A paint refreshes from the object.
    Mesh(cube).invert = 0;
    standin::Send(page, WM_PAINT, 0, 0);
    EXPECT_EQ(standin::CheckState(invert), BST_UNCHECKED);
    DestroyWindow(page);
    EXPECT_EQ(ThePropertyPage().window(), nullptr);
}

TEST_F(Windows, PageShowsFileNamesNoneAndNoObject) {
    FillPending({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    Pending().sourceName = "C:\\models\\parts\\gear.obj";
    ObjectPtr gear = host.create();
    host.addCurrentMesh(gear);
    HWND page = openPage(host);
    EXPECT_EQ(text(page, 1000), "gear.obj");
    EXPECT_EQ(text(page, 1001), "3");
    EXPECT_EQ(text(page, 1002), "1");

    // Not one of ours: the name box says so and the counts stay.
    host.current = host.add(KIND_LIGHT).handle;
    standin::Send(page, WM_PAINT, 0, 0);
    EXPECT_EQ(text(page, 1000), "<No Object>");
    EXPECT_EQ(text(page, 1001), "3");
    // A click with no mesh current changes nothing.
    EXPECT_TRUE(standin::ClickControl(page, 5001));
    EXPECT_EQ(Mesh(gear).invert, 0);

    host.current = host.add(KIND_BOX).handle;
    ObjectPtr fromCurrent = createThroughDialog(host, CURRENT_OBJECT_BUTTON);
    host.addCurrentMesh(fromCurrent);
    standin::Send(page, WM_PAINT, 0, 0);
    EXPECT_EQ(text(page, 1000), "<None>");
    DestroyWindow(page);
}
