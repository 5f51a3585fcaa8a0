// Control side of the Linux Win32 stand-in: what hosts and tests use to register a
// module's resources, watch the plug-in's diagnostics and drive its windows. The
// plug-in itself only calls the registration functions (from its constructor and
// destructor); everything else here belongs to hosts and tests.
#pragma once

#include "platform/win32.h"

#ifdef __cplusplus
extern "C" {
#endif

// Makes a module of a compiled resource image (.res bytes, copied) and returns its
// handle for FindResourceA, LoadBitmapA, LoadIconA and DialogBoxParamA; null when the
// image is malformed (the reason goes to stderr).
HMODULE Win32StandIn_RegisterModule(const char* name, const void* resBytes, unsigned resSize);
// Forgets the module and the icons loaded from it; FALSE for an unknown handle.
BOOL Win32StandIn_UnregisterModule(HMODULE module);

#ifdef __cplusplus
}

#include <functional>
#include <string>
#include <vector>

namespace standin {

// ---- Diagnostics --------------------------------------------------------------------

// One entry per OutputDebugStringA call, verbatim.
std::vector<std::string> DebugLog();
// The whole debug log as one text.
std::string DebugText();
void ClearDebugLog();

struct MessageBoxEntry {
    HWND owner;
    std::string caption;
    std::string text;
    UINT style;
    int answer; // what MessageBoxA returned
};
std::vector<MessageBoxEntry> MessageBoxLog();
void ClearMessageBoxLog();
// The answer MessageBoxA gives; 0 (the default) answers with the box's default button.
void SetMessageBoxAnswer(int answer);

// Echo debug output and message boxes to stderr as they happen (off by default).
void SetEcho(bool on);

// ---- Modules and resources -----------------------------------------------------------

bool IsModule(HMODULE module);
std::string ModuleName(HMODULE module);
// Whether DisableThreadLibraryCalls was called for the module.
bool ThreadCallsDisabled(HMODULE module);
// Critical sections initialised and not yet deleted.
unsigned LockCount();

struct BitmapDetails {
    HMODULE module;
    int resourceId;
    unsigned resourceSize; // bytes of the bitmap resource (the .bmp without its file header)
    int width;
    int height; // positive, whatever the row order
    unsigned bitCount;
};
bool GetBitmapDetails(HBITMAP bitmap, BitmapDetails* out);
// Number of bitmaps LoadBitmapA has made so far (they live until the process ends).
unsigned BitmapCount();
// Live GDI objects: bitmaps, icons and the fonts dialogs hold while they exist.
unsigned GdiObjectCount();

struct IconDetails {
    HMODULE module; // null for a stock icon
    int groupId;    // the icon group's resource id
    int imageId;    // the RT_ICON image chosen
    int width;
    int height;
    unsigned bitCount;
};
bool GetIconDetails(HICON icon, IconDetails* out);

struct FontDetails {
    std::string faceName;
    int pointSize;
};
bool GetFontDetails(HFONT font, FontDetails* out);

// ---- Windows ----------------------------------------------------------------------------

// A plain top-level window standing for the host's main window; it becomes the active
// window, so dialogs the plug-in opens are owned by it.
HWND CreateHostWindow(const char* title);

// Called once a modal dialog has had WM_INITDIALOG and is shown, while DialogBoxParamA
// runs. It can read the dialog's controls and click buttons. When it returns without
// the dialog having ended, the dialog is closed as a user closing it would (WM_CLOSE).
// With no driver installed every modal dialog is closed that way at once.
using DialogDriver = std::function<void(HWND dialog)>;
void SetDialogDriver(DialogDriver driver);
// Number of modal dialogs currently running.
unsigned ModalDepth();

// Creates a modeless window from a dialog template, as the dialog manager would for a
// dialog whose window procedure is `proc`: WM_NCCREATE and WM_CREATE (with `param` as
// lpCreateParams), WM_SETFONT, the controls, then WM_INITDIALOG (lParam `param`).
// `templateSize` 0 means the template must lie inside a registered resource, which
// bounds it. A WS_CHILD template needs a parent. Null on failure.
HWND CreateWindowFromTemplate(HINSTANCE instance, const void* templateBytes, unsigned templateSize,
                              HWND parent, WNDPROC proc, LPARAM param);

// Resource id of the dialog template a dialog was made from; -1 when not from a resource.
int TemplateId(HWND window);
// Direct child with this control id (as GetDlgItem), else any descendant with it.
HWND FindControl(HWND parent, int id);
std::vector<HWND> Children(HWND window);
std::string WindowText(HWND window);
std::string ClassName(HWND window);
bool IsEnabled(HWND window);
bool IsVisible(HWND window);
UINT Style(HWND window);
UINT ExStyle(HWND window);
int ControlId(HWND window);
// Position and size as given in the template, in dialog units.
struct Rect {
    int x, y, cx, cy;
};
Rect TemplateRect(HWND window);
// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE; 0 for anything but a check box or radio.
int CheckState(HWND window);
// The bitmap set on a button with BM_SETIMAGE/IMAGE_BITMAP, else null.
HBITMAP ButtonBitmap(HWND button);
// The font the dialog manager gave a dialog or control, else null.
HFONT WindowFont(HWND window);
// Clicks a button as the user would (BM_CLICK): an automatic check box toggles, and the
// parent receives WM_COMMAND with BN_CLICKED. False (and nothing happens) when the
// button is missing or disabled.
bool Click(HWND button);
bool ClickControl(HWND dialog, int id);
// Sends a message through the window's current procedure.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Number of live windows.
unsigned WindowCount();

// Destroys every window, clears both logs, the driver and the message-box answer.
// Modules stay registered.
void Reset();

} // namespace standin

#endif
