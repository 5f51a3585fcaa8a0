// The window table and GDI objects the USER32 files of the stand-in share. Not for the plug-in.
//
// Window procedures run on the caller's thread with no stand-in lock held, so a procedure may call
// back into any function here, destroy windows or open dialogs.
#pragma once

#include "platform/resource_format.h"
#include "platform/standin_control.h"
#include "platform/standin_internal.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Hidden: none of this belongs in libwin32.so's exports.
#pragma GCC visibility push(hidden)

namespace standin {
namespace user32 {

enum class Kind { Generic, Dialog, Button, Edit, Static };

// Bytes of extra window memory a dialog has (DLGWINDOWEXTRA on 32-bit Windows).
const int kDialogExtra = 30;

struct Window {
    HWND handle = nullptr;
    Kind kind = Kind::Generic;
    std::string className;
    std::string text;
    LONG style = 0;
    LONG exStyle = 0;
    LONG id = 0;
    HWND parent = nullptr; // the parent of a child, the owner of a top-level window
    std::vector<HWND> children;
    WNDPROC proc = nullptr;
    LONG userData = 0;
    HINSTANCE instance = nullptr;
    Rect rect{0, 0, 0, 0};
    HFONT font = nullptr;
    HFONT ownFont = nullptr; // made by the dialog manager for this dialog; goes with it
    bool visible = false;
    bool destroying = false;
    // Dialogs.
    unsigned char extra[kDialogExtra] = {};
    bool hasExtra = false;
    bool ended = false;
    INT_PTR endCode = 0;
    int templateId = -1;
    // Buttons.
    int check = BST_UNCHECKED;
    int imageType = -1;
    HANDLE image = nullptr;
    // Edits.
    bool modified = false;
};

enum class GdiKind { Bitmap, Icon, Font };

struct GdiObject {
    GdiKind kind;
    BitmapDetails bitmap{};
    IconDetails icon{};
    FontDetails font;
};

struct UserState {
    std::map<uintptr_t, std::unique_ptr<Window>> windows;
    uintptr_t nextWindow = 0x00020000;
    std::map<uintptr_t, GdiObject> gdi;
    uintptr_t nextGdi = 0x0A000000;
    unsigned bitmapCount = 0;
    std::vector<MessageBoxEntry> messageBoxes;
    int messageBoxAnswer = 0;
    DialogDriver driver;
    std::vector<HWND> modalStack;
    HWND hostActive = nullptr;
};

using Lock = std::lock_guard<std::recursive_mutex>;

// ---- The window table (user32_windows.cpp) --------------------------------------------------

// Every USER32 table. Under StateLock.
UserState& userState();
// The record of a live window, else null. Under StateLock.
Window* findWindow(HWND h);

// Reads or changes one window record: `apply` runs on it under StateLock and its answer is
// returned; `absent` when there is no such window. `apply` must not call a window procedure, as
// none may run under the lock.
template <typename R, typename F> R withWindow(HWND h, R absent, F apply) {
    Lock g(StateLock());
    if (Window* w = findWindow(h))
        return apply(*w);
    return absent;
}

template <typename T> T readExtra(const Window& w, int offset) {
    T v;
    std::memcpy(&v, w.extra + offset, sizeof(T));
    return v;
}

// Creates the window record and runs the creation messages. Null when the window procedure refuses
// creation.
HWND createWindow(Kind kind, const std::string& className, const std::string& text, LONG style,
                  LONG exStyle, LONG id, HWND parent, Rect rect, HINSTANCE instance, WNDPROC proc,
                  LPVOID createParam);

inline LRESULT sendCommand(HWND parent, int id, WORD code, HWND from) {
    return SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(from));
}

// ---- Predefined control classes (user32_controls.cpp) ---------------------------------------

// The kind and window procedure of a predefined class by name; Kind::Generic and a null procedure
// for a class the stand-in does not know.
Kind kindOfClass(const std::string& name, WNDPROC* proc);
// Check boxes and radio buttons, of any flavour.
bool isCheckable(const Window& w);
// WM_SETFONT and WM_GETFONT, answered alike by every predefined class and dialogs.
LRESULT fontMessage(HWND hwnd, UINT msg, WPARAM wp);

// ---- Dialog manager (user32_dialogs.cpp) ----------------------------------------------------

// The dialog manager's work: the dialog window, its font, its controls, then WM_INITDIALOG.
// `dialogProc` makes a dialog of the dialog class; `windowProc` a dialog whose window procedure is
// the caller's.
HWND createDialog(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC dialogProc,
                  WNDPROC windowProc, LPARAM param, int templateId);

// ---- GDI objects (user32_gdi_objects.cpp) ---------------------------------------------------

// The object behind a handle when it is of this kind, else null. Under StateLock.
GdiObject* findGdi(const void* h, GdiKind kind);
// A new font object for a dialog template's font.
HFONT newDialogFont(const DialogTemplate& t);

} // namespace user32
} // namespace standin

#pragma GCC visibility pop
