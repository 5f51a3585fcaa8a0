// Where a new mesh object's geometry comes from: a pending mesh with a source
// name, or the user's pick in the predefined-mesh dialog.
#include "tessoid/creation.h"

#include "mesh/pending_mesh.h"
#include "plugin/host_services.h"
#include "plugin/plugin_state.h"
#include "tessoid/solids.h"
#include "tessoid/tessoid_object.h"

namespace tessoid {

namespace {

CurrentObjectTessellation& currentObjectTessellation() {
    static CurrentObjectTessellation given;
    return given;
}

bool canTessellateCurrent() {
    const CurrentObjectTessellation& t = currentObjectTessellation();
    if (!t.isTessellable || !t.tessellateCurrent)
        return false;
    HostHandle current = 0;
    return host::GetCurrentObject(&current) == RESULT_OK && current != 0 &&
           t.isTessellable(current);
}

// The buttons do not own their pictures, and the library has no GDI import to free
// them: each picture is loaded once per loaded module and shared by every dialog, so
// a long session does not run the process out of GDI handles.
HBITMAP solidPicture(int solid) {
    static HMODULE loadedFrom = nullptr;
    static HBITMAP pictures[SOLID_COUNT] = {};
    HMODULE module = State().module;
    if (module != loadedFrom) {
        loadedFrom = module;
        for (HBITMAP& picture : pictures)
            picture = nullptr;
    }
    if (!pictures[solid])
        pictures[solid] = LoadBitmapA(reinterpret_cast<HINSTANCE>(module),
                                      MAKEINTRESOURCEA(FIRST_SOLID_BITMAP + solid));
    return pictures[solid];
}

void onDialogOpen(HWND dialog) {
    for (int i = 0; i < SOLID_COUNT; ++i)
        SendMessageA(GetDlgItem(dialog, FIRST_SOLID_BUTTON + i), BM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(solidPicture(i)));
    EnableWindow(GetDlgItem(dialog, CURRENT_OBJECT_BUTTON), canTessellateCurrent() ? TRUE : FALSE);
}

} // namespace

void GiveCurrentObjectTessellation(CurrentObjectTessellation given) {
    currentObjectTessellation() = given;
}

INT_PTR CALLBACK SolidDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        onDialogOpen(dialog);
        return TRUE; // the dialog manager picks the focus
    case WM_COMMAND: {
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        const int id = LOWORD(wParam);
        if (id >= FIRST_SOLID_BUTTON && id <= CURRENT_OBJECT_BUTTON) {
            EndDialog(dialog, id - FIRST_SOLID_BUTTON);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, -1);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

int32_t TessoidObject::InitialiseNew() {
    // The host is about to fill the object itself (Load or Copy).
    if (typeRecord && (typeRecord->typeFlags & TYPE_FLAG_NO_DIALOG))
        return 1;
    PendingMesh& pending = Pending();
    if (pending.sourceName) {
        SetSourceName(pending.sourceName);
        return 1;
    }
    const INT_PTR choice =
        DialogBoxParamA(reinterpret_cast<HINSTANCE>(State().module),
                        MAKEINTRESOURCEA(SOLID_DIALOG_ID), GetActiveWindow(), SolidDialogProc, 0);
    if (choice == -1)
        return 0;
    if (const Solid* solid = SolidAt(static_cast<int32_t>(choice))) {
        SetSourceName(solid->name);
        FillPendingWithSolid(static_cast<int32_t>(choice));
        return 1;
    }
    if (const auto tessellate = currentObjectTessellation().tessellateCurrent)
        tessellate();
    SetSourceName("<None>");
    return 1;
}

} // namespace tessoid
