// The "Select Predefined Mesh" dialog (resource 109).
#pragma once

#include "platform/win32.h"
#include "plugin/abi.h"
#include "resources/resource.h"

namespace tessoid {

constexpr int SOLID_DIALOG_ID = IDD_SELECT_MESH;
constexpr int FIRST_SOLID_BUTTON = IDC_TETRAHEDRON; // then the other four solids
constexpr int CURRENT_OBJECT_BUTTON = IDC_CURRENT_OBJECT;
constexpr int FIRST_SOLID_BITMAP = IDB_TETRAHEDRON; // the five pictures, in button order
// The dialog's code counts through the buttons and pictures in one run.
static_assert(IDC_ICOSAHEDRON == FIRST_SOLID_BUTTON + 4 &&
              CURRENT_OBJECT_BUTTON == FIRST_SOLID_BUTTON + 5);
static_assert(IDB_ICOSAHEDRON == FIRST_SOLID_BITMAP + 4);
constexpr INT_PTR CURRENT_OBJECT_CHOICE = 5;

// What the dialog's "current object" button needs from the tessellation layer, which
// sits above this one: the module gives it at start-up (module/library_main.cpp). Until
// then, or with either left null, the button stays disabled.
struct CurrentObjectTessellation {
    bool (*isTessellable)(HostHandle object) = nullptr; // whether the button is enabled
    void (*tessellateCurrent)() = nullptr;              // fills the pending mesh
};
void GiveCurrentObjectTessellation(CurrentObjectTessellation given);

// Ends with 0 to 4 for a solid, 5 for the current object, -1 for Cancel.
INT_PTR CALLBACK SolidDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace tessoid
