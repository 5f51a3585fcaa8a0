// USER32 half of the stand-in: a small window manager (handles, parent and child,
// control ids, text, enabled and check state, window procedures and their
// subclassing, dialog extra bytes), dialogs built from the real templates, the
// predefined control classes, icons, bitmaps and message boxes.
//
// Window procedures run on the caller's thread with no stand-in lock held, so a
// procedure may call back into any function here, destroy windows or open dialogs.
#include "platform/standin_control.h"
#include "platform/standin_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include <strings.h>

namespace standin {

namespace {

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
    HWND parent = nullptr;  // the parent of a child, the owner of a top-level window
    std::vector<HWND> children;
    WNDPROC proc = nullptr;
    LONG userData = 0;
    HINSTANCE instance = nullptr;
    Rect rect{0, 0, 0, 0};
    HFONT font = nullptr;
    HFONT ownFont = nullptr;  // made by the dialog manager for this dialog; goes with it
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

UserState& user() {
    static UserState* state = new UserState;  // outlives every static destructor
    return *state;
}

using Lock = std::lock_guard<std::recursive_mutex>;

Window* find(HWND h) {
    auto& w = user().windows;
    auto it = w.find(reinterpret_cast<uintptr_t>(h));
    return it == w.end() ? nullptr : it->second.get();
}

// Reads or changes one window record: `apply` runs on it under StateLock and
// its answer is returned; `absent` when there is no such window. `apply` must not call
// a window procedure, as none may run under the lock.
template <typename R, typename F>
R withWindow(HWND h, R absent, F apply) {
    Lock g(StateLock());
    if (Window* w = find(h)) return apply(*w);
    return absent;
}

WNDPROC procOf(HWND h) {
    return withWindow<WNDPROC>(h, nullptr, [](Window& w) { return w.proc; });
}

template <typename T>
T readExtra(const Window& w, int offset) {
    T v;
    std::memcpy(&v, w.extra + offset, sizeof(T));
    return v;
}

DLGPROC dialogProcOf(HWND h) {
    return withWindow<DLGPROC>(h, nullptr, [](Window& w) {
        return w.hasExtra ? readExtra<DLGPROC>(w, DWL_DLGPROC) : nullptr;
    });
}

uintptr_t newGdi(GdiObject obj) {
    UserState& u = user();
    uintptr_t h = u.nextGdi;
    u.nextGdi += 4;
    u.gdi.emplace(h, std::move(obj));
    return h;
}

GdiObject* findGdi(const void* h, GdiKind kind) {
    auto& t = user().gdi;
    auto it = t.find(reinterpret_cast<uintptr_t>(h));
    return (it == t.end() || it->second.kind != kind) ? nullptr : &it->second;
}

LONG buttonType(const Window& w) { return w.style & BS_TYPEMASK; }

bool isCheckable(const Window& w) {
    switch (buttonType(w)) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON:
    case BS_3STATE: case BS_AUTO3STATE: case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

LRESULT sendCommand(HWND parent, int id, WORD code, HWND from) {
    return SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(from));
}

// ---- Window procedures of the predefined classes -------------------------------------

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case BM_GETCHECK:
        return withWindow<LRESULT>(hwnd, BST_UNCHECKED,
                                   [](Window& w) { return isCheckable(w) ? w.check : BST_UNCHECKED; });
    case BM_SETCHECK:
        return withWindow<LRESULT>(hwnd, 0, [wp](Window& w) {
            if (!isCheckable(w)) return 0;
            LONG type = buttonType(w);
            bool threeState = type == BS_3STATE || type == BS_AUTO3STATE;
            int state = static_cast<int>(wp);
            if (state == BST_INDETERMINATE && !threeState) state = BST_CHECKED;
            if (state != BST_UNCHECKED && state != BST_CHECKED && state != BST_INDETERMINATE) state = BST_CHECKED;
            w.check = state;
            return 0;
        });
    case BM_GETSTATE:
        return withWindow<LRESULT>(hwnd, 0, [](Window& w) { return isCheckable(w) ? w.check : 0; });
    case BM_SETIMAGE:
        if (wp != IMAGE_BITMAP && wp != IMAGE_ICON) return 0;
        return withWindow<LRESULT>(hwnd, 0, [wp, lp](Window& w) {
            HANDLE previous = w.image;
            w.image = reinterpret_cast<HANDLE>(lp);
            w.imageType = static_cast<int>(wp);
            return reinterpret_cast<LRESULT>(previous);
        });
    case BM_GETIMAGE:
        return withWindow<LRESULT>(hwnd, 0, [wp](Window& w) {
            return w.imageType == static_cast<int>(wp) ? reinterpret_cast<LRESULT>(w.image) : 0;
        });
    case BM_CLICK: {
        HWND parent = nullptr;
        int id = 0;
        {
            Lock g(StateLock());
            Window* w = find(hwnd);
            if (!w || (w->style & WS_DISABLED)) return 0;
            // Automatic buttons change state before the parent hears of the click.
            switch (buttonType(*w)) {
            case BS_AUTOCHECKBOX: w->check = w->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED; break;
            case BS_AUTO3STATE: w->check = (w->check + 1) % 3; break;
            case BS_AUTORADIOBUTTON: w->check = BST_CHECKED; break;
            default: break;
            }
            parent = (w->style & WS_CHILD) ? w->parent : nullptr;
            id = w->id;
        }
        if (parent) sendCommand(parent, id, BN_CLICKED, hwnd);
        return 0;
    }
    case WM_SETFONT:
    case WM_GETFONT:
        return withWindow<LRESULT>(hwnd, 0, [msg, wp](Window& w) {
            if (msg == WM_GETFONT) return reinterpret_cast<LRESULT>(w.font);
            w.font = reinterpret_cast<HFONT>(wp);
            return LRESULT(0);
        });
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
        HWND parent = nullptr;
        int id = 0;
        {
            Lock g(StateLock());
            Window* w = find(hwnd);
            if (!w) return r;
            w->modified = false;
            // A single-line edit tells its parent of the new text; a multi-line one does not.
            if ((w->style & WS_CHILD) && !(w->style & ES_MULTILINE)) parent = w->parent;
            id = w->id;
        }
        if (parent) {
            sendCommand(parent, id, EN_UPDATE, hwnd);
            sendCommand(parent, id, EN_CHANGE, hwnd);
        }
        return r;
    }
    case EM_SETREADONLY:
        return withWindow<LRESULT>(hwnd, FALSE, [wp](Window& w) {
            if (wp)
                w.style |= ES_READONLY;
            else
                w.style &= ~ES_READONLY;
            return TRUE;
        });
    case EM_GETMODIFY:
        return withWindow<LRESULT>(hwnd, FALSE, [](Window& w) { return w.modified ? TRUE : FALSE; });
    case EM_SETMODIFY:
        return withWindow<LRESULT>(hwnd, 0, [wp](Window& w) {
            w.modified = wp != 0;
            return 0;
        });
    case WM_SETFONT:
    case WM_GETFONT:
        return buttonProc(hwnd, msg, wp, lp);
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFONT || msg == WM_GETFONT) return buttonProc(hwnd, msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Messages whose dialog-procedure answer is the result itself rather than a flag.
bool answersDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG: case WM_CTLCOLOREDIT: case WM_CTLCOLORBTN: case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

// The dialog class's window procedure: the dialog procedure first, then the default
// dialog handling.
LRESULT CALLBACK dialogClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (DLGPROC dp = dialogProcOf(hwnd)) {
        INT_PTR handled = dp(hwnd, msg, wp, lp);
        Lock g(StateLock());
        Window* w = find(hwnd);
        if (!w) return 0;
        if (handled) return answersDirectly(msg) ? handled : readExtra<LONG>(*w, DWL_MSGRESULT);
    }
    switch (msg) {
    case WM_CLOSE: {
        // As the close box does: the dialog is asked to cancel.
        HWND cancel = GetDlgItem(hwnd, IDCANCEL);
        sendCommand(hwnd, IDCANCEL, BN_CLICKED, cancel);
        return 0;
    }
    case WM_SETFONT:
    case WM_GETFONT:
        return buttonProc(hwnd, msg, wp, lp);
    case WM_INITDIALOG:
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// ---- Creation and destruction ---------------------------------------------------------

// Creates the window record and runs the creation messages. Null when the window
// procedure refuses creation.
HWND createWindow(Kind kind, const std::string& className, const std::string& text, LONG style, LONG exStyle,
                  LONG id, HWND parent, Rect rect, HINSTANCE instance, WNDPROC proc, LPVOID createParam) {
    HWND handle;
    {
        Lock g(StateLock());
        if (parent && !find(parent)) return nullptr;
        // A child window needs its parent.
        if ((style & WS_CHILD) && !parent) return nullptr;
        UserState& u = user();
        auto w = std::make_unique<Window>();
        handle = reinterpret_cast<HWND>(u.nextWindow);
        u.nextWindow += 4;  // never reused, so stale handles stay invalid
        w->handle = handle;
        w->kind = kind;
        w->className = className;
        w->style = style;
        w->exStyle = exStyle;
        w->id = (style & WS_CHILD) ? id : 0;
        w->parent = parent;
        w->rect = rect;
        w->instance = instance;
        w->proc = proc;
        w->hasExtra = kind == Kind::Dialog;
        w->visible = (style & WS_VISIBLE) != 0;
        if (style & WS_CHILD) find(parent)->children.push_back(handle);
        u.windows.emplace(reinterpret_cast<uintptr_t>(handle), std::move(w));
    }
    CREATESTRUCTA cs;
    cs.lpCreateParams = createParam;
    cs.hInstance = instance;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<uintptr_t>((style & WS_CHILD) ? id : 0));
    cs.hwndParent = parent;
    cs.cy = rect.cy;
    cs.cx = rect.cx;
    cs.y = rect.y;
    cs.x = rect.x;
    cs.style = style;
    cs.lpszName = text.c_str();
    cs.lpszClass = className.c_str();
    cs.dwExStyle = static_cast<DWORD>(exStyle);
    LPARAM lp = reinterpret_cast<LPARAM>(&cs);
    if (!SendMessageA(handle, WM_NCCREATE, 0, lp)) {
        // Refused: the window only ever sees its final message.
        SendMessageA(handle, WM_NCDESTROY, 0, 0);
        Lock g(StateLock());
        if (Window* w = find(handle)) {
            if (Window* p = find(w->parent)) {
                auto& c = p->children;
                c.erase(std::remove(c.begin(), c.end(), handle), c.end());
            }
            user().windows.erase(reinterpret_cast<uintptr_t>(handle));
        }
        return nullptr;
    }
    if (SendMessageA(handle, WM_CREATE, 0, lp) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return IsWindow(handle) ? handle : nullptr;
}

HFONT fontFor(const DialogTemplate& t) {
    Lock g(StateLock());
    GdiObject f{GdiKind::Font, {}, {}, {t.faceName, t.pointSize}};
    return reinterpret_cast<HFONT>(newGdi(f));
}

Kind kindOfClass(const std::string& name, WNDPROC* proc) {
    auto same = [&](const char* s) { return strcasecmp(name.c_str(), s) == 0; };
    if (same("Button")) {
        *proc = buttonProc;
        return Kind::Button;
    }
    if (same("Edit")) {
        *proc = editProc;
        return Kind::Edit;
    }
    if (same("Static")) {
        *proc = staticProc;
        return Kind::Static;
    }
    *proc = nullptr;
    return Kind::Generic;
}

// The dialog manager's work: the dialog window, its font, its controls, then
// WM_INITDIALOG. `dialogProc` makes a dialog of the dialog class; `windowProc` a
// dialog whose window procedure is the caller's.
HWND createDialog(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC dialogProc, WNDPROC windowProc,
                  LPARAM param, int templateId) {
    std::string className = t.windowClass.isOrdinal || t.windowClass.text.empty() ? "#32770" : t.windowClass.text;
    WNDPROC proc = windowProc ? windowProc : dialogClassProc;
    // Modal dialogs are shown by the modal loop, not by their style.
    LONG style = static_cast<LONG>(t.style);
    LPVOID createParam = windowProc ? reinterpret_cast<LPVOID>(param) : nullptr;
    HWND dlg = createWindow(Kind::Dialog, className, t.title, style, static_cast<LONG>(t.exStyle), 0, parent,
                            Rect{t.x, t.y, t.cx, t.cy}, instance, proc, createParam);
    if (!dlg) return nullptr;
    HFONT font = nullptr;
    {
        Lock g(StateLock());
        Window* w = find(dlg);
        if (!w) return nullptr;
        w->templateId = templateId;
        if (dialogProc) std::memcpy(w->extra + DWL_DLGPROC, &dialogProc, sizeof dialogProc);
    }
    if (t.hasFont) {
        font = fontFor(t);
        {
            // Kept here too: a caller's window procedure need not store it.
            Lock g(StateLock());
            if (Window* w = find(dlg)) w->font = w->ownFont = font;
        }
        SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    HWND focus = nullptr;
    for (const DialogItem& item : t.items) {
        WNDPROC controlProc = nullptr;
        Kind kind = kindOfClass(item.className, &controlProc);
        if (!controlProc) {
            // An unregistered class fails the dialog, as on Windows, unless it asks not to.
            if (t.style & DS_NOFAILCREATE) continue;
            DestroyWindow(dlg);
            return nullptr;
        }
        LONG style = static_cast<LONG>(item.style) | WS_CHILD;
        HWND control = createWindow(kind, item.className, item.text.isOrdinal ? std::string() : item.text.text, style,
                                    static_cast<LONG>(item.exStyle), static_cast<LONG>(item.id), dlg,
                                    Rect{item.x, item.y, item.cx, item.cy}, instance, controlProc, nullptr);
        if (!control) {
            if (t.style & DS_NOFAILCREATE) continue;
            DestroyWindow(dlg);
            return nullptr;
        }
        if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (!focus && (style & WS_TABSTOP) && !(style & WS_DISABLED)) focus = control;
        if (!IsWindow(dlg)) return nullptr;
    }
    SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
    return IsWindow(dlg) ? dlg : nullptr;
}

bool loadTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate* t, int* id) {
    Lock g(StateLock());
    Module* m = FindModule(instance);
    if (!m) return false;
    const ResEntry* e = FindEntry(*m, name, RT_DIALOG);
    if (!e) return false;
    *id = e->name.isId ? e->name.id : -1;
    std::string error;
    if (!ParseDialogTemplate(m->image.data() + e->offset, e->size, t, &error)) {
        std::fprintf(stderr, "win32 stand-in: dialog template is malformed: %s\n", error.c_str());
        return false;
    }
    return true;
}

int defaultAnswer(UINT type) {
    UINT buttons = type & MB_TYPEMASK;
    UINT which = (type & MB_DEFMASK) >> 8;  // 0, 1 or 2
    static const int answers[6][3] = {
        {IDOK, IDOK, IDOK},           {IDOK, IDCANCEL, IDOK},  {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL},      {IDYES, IDNO, IDYES},    {IDRETRY, IDCANCEL, IDRETRY}};
    if (buttons > 5) return IDOK;
    return answers[buttons][which > 2 ? 0 : which];
}

}  // namespace

// ---- Control API -----------------------------------------------------------------------

std::vector<MessageBoxEntry> MessageBoxLog() {
    Lock g(StateLock());
    return user().messageBoxes;
}

void ClearMessageBoxLog() {
    Lock g(StateLock());
    user().messageBoxes.clear();
}

void SetMessageBoxAnswer(int answer) {
    Lock g(StateLock());
    user().messageBoxAnswer = answer;
}

bool GetBitmapDetails(HBITMAP bitmap, BitmapDetails* out) {
    Lock g(StateLock());
    GdiObject* o = findGdi(bitmap, GdiKind::Bitmap);
    if (!o) return false;
    *out = o->bitmap;
    return true;
}

unsigned BitmapCount() {
    Lock g(StateLock());
    return user().bitmapCount;
}

unsigned GdiObjectCount() {
    Lock g(StateLock());
    return static_cast<unsigned>(user().gdi.size());
}

bool GetIconDetails(HICON icon, IconDetails* out) {
    Lock g(StateLock());
    GdiObject* o = findGdi(icon, GdiKind::Icon);
    if (!o) return false;
    *out = o->icon;
    return true;
}

bool GetFontDetails(HFONT font, FontDetails* out) {
    Lock g(StateLock());
    GdiObject* o = findGdi(font, GdiKind::Font);
    if (!o) return false;
    *out = o->font;
    return true;
}

void ForgetModuleObjects(HMODULE module) {
    Lock g(StateLock());
    // Shared icons go with their module; bitmaps belong to whoever loaded them.
    auto& t = user().gdi;
    for (auto it = t.begin(); it != t.end();) {
        if (it->second.kind == GdiKind::Icon && it->second.icon.module == module)
            it = t.erase(it);
        else
            ++it;
    }
}

HWND CreateHostWindow(const char* title) {
    HWND h = createWindow(Kind::Generic, "TessoidHostWindow", title ? title : "", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0,
                          nullptr, Rect{0, 0, 640, 480}, nullptr, DefWindowProcA, nullptr);
    if (h) {
        Lock g(StateLock());
        user().hostActive = h;
    }
    return h;
}

void SetDialogDriver(DialogDriver driver) {
    Lock g(StateLock());
    user().driver = std::move(driver);
}

unsigned ModalDepth() {
    Lock g(StateLock());
    return static_cast<unsigned>(user().modalStack.size());
}

HWND CreateWindowFromTemplate(HINSTANCE instance, const void* templateBytes, unsigned templateSize, HWND parent,
                              WNDPROC proc, LPARAM param) {
    if (!templateBytes || !proc) return nullptr;
    DialogTemplate t;
    int templateId = -1;
    {
        Lock g(StateLock());
        size_t size = templateSize;
        const Module* m = nullptr;
        const ResEntry* e = EntryContaining(templateBytes, &m);
        if (e) {
            auto begin = reinterpret_cast<uintptr_t>(m->image.data()) + e->offset;
            size_t room = e->size - (reinterpret_cast<uintptr_t>(templateBytes) - begin);
            if (size == 0 || size > room) size = room;
            if (reinterpret_cast<uintptr_t>(templateBytes) == begin && e->name.isId) templateId = e->name.id;
        }
        if (size == 0) return nullptr;
        std::string error;
        if (!ParseDialogTemplate(templateBytes, size, &t, &error)) {
            std::fprintf(stderr, "win32 stand-in: dialog template is malformed: %s\n", error.c_str());
            return nullptr;
        }
    }
    HWND h = createDialog(instance, t, parent, nullptr, proc, param, templateId);
    if (h) {
        Lock g(StateLock());
        if (Window* w = find(h)) w->visible = (w->style & WS_VISIBLE) != 0;
    }
    return h;
}

int TemplateId(HWND window) {
    return withWindow(window, -1, [](Window& w) { return w.templateId; });
}

HWND FindControl(HWND parent, int id) {
    if (HWND direct = GetDlgItem(parent, id)) return direct;
    return withWindow<HWND>(parent, nullptr, [id](Window& w) -> HWND {
        for (HWND child : w.children)
            if (HWND deeper = FindControl(child, id)) return deeper;
        return nullptr;
    });
}

std::vector<HWND> Children(HWND window) {
    return withWindow(window, std::vector<HWND>(), [](Window& w) { return w.children; });
}

std::string WindowText(HWND window) {
    return withWindow(window, std::string(), [](Window& w) { return w.text; });
}

std::string ClassName(HWND window) {
    return withWindow(window, std::string(), [](Window& w) { return w.className; });
}

bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

bool IsVisible(HWND window) {
    return withWindow(window, false, [](Window& w) { return w.visible; });
}

UINT Style(HWND window) {
    return withWindow<UINT>(window, 0, [](Window& w) { return static_cast<UINT>(w.style); });
}

UINT ExStyle(HWND window) {
    return withWindow<UINT>(window, 0, [](Window& w) { return static_cast<UINT>(w.exStyle); });
}

int ControlId(HWND window) {
    return withWindow(window, 0, [](Window& w) { return static_cast<int>(w.id); });
}

Rect TemplateRect(HWND window) {
    return withWindow(window, Rect{0, 0, 0, 0}, [](Window& w) { return w.rect; });
}

int CheckState(HWND window) {
    return withWindow(window, 0, [](Window& w) {
        return (w.kind == Kind::Button && isCheckable(w)) ? w.check : 0;
    });
}

HBITMAP ButtonBitmap(HWND button) {
    return withWindow<HBITMAP>(button, nullptr, [](Window& w) {
        return w.imageType == IMAGE_BITMAP ? static_cast<HBITMAP>(w.image) : nullptr;
    });
}

HFONT WindowFont(HWND window) {
    return withWindow<HFONT>(window, nullptr, [](Window& w) { return w.font; });
}

bool Click(HWND button) {
    bool clickable = withWindow(button, false, [](Window& w) {
        return w.kind == Kind::Button && !(w.style & WS_DISABLED);
    });
    if (!clickable) return false;
    SendMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool ClickControl(HWND dialog, int id) { return Click(GetDlgItem(dialog, id)); }

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(window, message, wParam, lParam);
}

unsigned WindowCount() {
    Lock g(StateLock());
    return static_cast<unsigned>(user().windows.size());
}

void Reset() {
    for (;;) {
        HWND top = nullptr;
        {
            Lock g(StateLock());
            auto& ws = user().windows;
            if (ws.empty()) break;
            for (auto& [value, w] : ws) {
                if (!(w->style & WS_CHILD)) {
                    top = w->handle;
                    break;
                }
            }
            if (!top) top = ws.begin()->second->handle;
            // A window caught half-way through its destruction is simply dropped.
            if (find(top)->destroying) {
                ws.erase(reinterpret_cast<uintptr_t>(top));
                continue;
            }
        }
        DestroyWindow(top);
    }
    Lock g(StateLock());
    UserState& u = user();
    u.messageBoxes.clear();
    u.messageBoxAnswer = 0;
    u.driver = nullptr;
    u.modalStack.clear();
    u.hostActive = nullptr;
    ClearDebugLog();
}

}  // namespace standin

using namespace standin;

extern "C" {

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = procOf(hWnd);
    return proc ? proc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
    case WM_NCCREATE:
        return withWindow<LRESULT>(hWnd, FALSE, [lParam](Window& w) {
            auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w.text = cs->lpszName;
            return TRUE;
        });
    case WM_SETTEXT:
        return withWindow<LRESULT>(hWnd, FALSE, [lParam](Window& w) {
            const char* s = reinterpret_cast<const char*>(lParam);
            w.text = s ? s : "";
            return TRUE;
        });
    case WM_GETTEXT:
        return withWindow<LRESULT>(hWnd, 0, [wParam, lParam](Window& w) {
            char* buffer = reinterpret_cast<char*>(lParam);
            if (!buffer || wParam == 0) return LRESULT(0);
            size_t n = std::min<size_t>(w.text.size(), wParam - 1);
            std::memcpy(buffer, w.text.data(), n);
            buffer[n] = '\0';
            return static_cast<LRESULT>(n);
        });
    case WM_GETTEXTLENGTH:
        return withWindow<LRESULT>(hWnd, 0, [](Window& w) { return static_cast<LRESULT>(w.text.size()); });
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    default:
        return 0;
    }
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return withWindow<BOOL>(hWnd, FALSE, [](Window&) { return TRUE; });
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    return withWindow<BOOL>(hWnd, FALSE, [](Window& w) { return (w.style & WS_DISABLED) ? FALSE : TRUE; });
}

HWND WINAPI GetParent(HWND hWnd) {
    return withWindow<HWND>(hWnd, nullptr, [](Window& w) { return w.parent; });
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    std::vector<HWND> owned;
    {
        Lock g(StateLock());
        Window* w = find(hWnd);
        if (!w) return FALSE;
        if (w->destroying) return TRUE;
        w->destroying = true;
        for (auto& [value, other] : user().windows)
            if (!(other->style & WS_CHILD) && other->parent == hWnd && !other->destroying) owned.push_back(other->handle);
    }
    // Owned windows go first, then the window hears WM_DESTROY before its children
    // and WM_NCDESTROY after them.
    for (HWND o : owned) DestroyWindow(o);
    SendMessageA(hWnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children = Children(hWnd);
    for (HWND c : children) DestroyWindow(c);
    SendMessageA(hWnd, WM_NCDESTROY, 0, 0);
    Lock g(StateLock());
    UserState& u = user();
    Window* w = find(hWnd);
    if (!w) return TRUE;
    if (Window* p = find(w->parent)) {
        auto& c = p->children;
        c.erase(std::remove(c.begin(), c.end(), hWnd), c.end());
    }
    if (u.hostActive == hWnd) u.hostActive = nullptr;
    if (w->ownFont) u.gdi.erase(reinterpret_cast<uintptr_t>(w->ownFont));
    u.windows.erase(reinterpret_cast<uintptr_t>(hWnd));
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    return withWindow<HWND>(hDlg, nullptr, [nIDDlgItem](Window& w) -> HWND {
        for (HWND c : w.children) {
            Window* child = find(c);
            if (child && child->id == nIDDlgItem) return c;
        }
        return nullptr;
    });
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    bool wasDisabled;
    {
        Lock g(StateLock());
        Window* w = find(hWnd);
        if (!w) return FALSE;
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (bEnable)
            w->style &= ~WS_DISABLED;
        else
            w->style |= WS_DISABLED;
    }
    if (wasDisabled == (bEnable == FALSE)) return wasDisabled ? TRUE : FALSE;
    SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

HWND WINAPI GetActiveWindow(void) {
    Lock g(StateLock());
    UserState& u = user();
    for (auto it = u.modalStack.rbegin(); it != u.modalStack.rend(); ++it)
        if (find(*it)) return *it;
    return find(u.hostActive) ? u.hostActive : nullptr;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!IsWindow(hWnd)) return FALSE;
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0) return 0;
    lpString[0] = '\0';
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    return withWindow<LONG>(hWnd, 0, [nIndex](Window& w) -> LONG {
        switch (nIndex) {
        case GWL_WNDPROC: return reinterpret_cast<LONG>(w.proc);
        case GWL_HINSTANCE: return reinterpret_cast<LONG>(w.instance);
        case GWL_HWNDPARENT: return reinterpret_cast<LONG>(w.parent);
        case GWL_ID: return w.id;
        case GWL_STYLE: return w.style;
        case GWL_EXSTYLE: return w.exStyle;
        case GWL_USERDATA: return w.userData;
        default:
            if (nIndex >= 0 && w.hasExtra && nIndex <= kDialogExtra - static_cast<int>(sizeof(LONG)))
                return readExtra<LONG>(w, nIndex);
            return 0;
        }
    });
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    return withWindow<LONG>(hWnd, 0, [nIndex, dwNewLong](Window& w) -> LONG {
        LONG old = 0;
        switch (nIndex) {
        case GWL_WNDPROC:
            if (dwNewLong == 0) return 0;
            old = reinterpret_cast<LONG>(w.proc);
            w.proc = reinterpret_cast<WNDPROC>(dwNewLong);
            return old;
        case GWL_HINSTANCE:
            old = reinterpret_cast<LONG>(w.instance);
            w.instance = reinterpret_cast<HINSTANCE>(dwNewLong);
            return old;
        case GWL_ID:
            old = w.id;
            w.id = dwNewLong;
            return old;
        case GWL_STYLE:
            old = w.style;
            w.style = dwNewLong;
            return old;
        case GWL_EXSTYLE:
            old = w.exStyle;
            w.exStyle = dwNewLong;
            return old;
        case GWL_USERDATA:
            old = w.userData;
            w.userData = dwNewLong;
            return old;
        default:
            if (nIndex >= 0 && w.hasExtra && nIndex <= kDialogExtra - static_cast<int>(sizeof(LONG))) {
                old = readExtra<LONG>(w, nIndex);
                std::memcpy(w.extra + nIndex, &dwNewLong, sizeof dwNewLong);
                return old;
            }
            // Reparenting and out-of-range indexes are refused.
            return 0;
        }
    });
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    if (hWndParent && !IsWindow(hWndParent)) return 0;
    DialogTemplate t;
    int templateId = -1;
    if (!loadTemplate(hInstance, lpTemplateName, &t, &templateId)) return -1;
    // A modal dialog is a top-level window owned by the parent's top-level window.
    t.style &= ~static_cast<uint32_t>(WS_CHILD);
    t.style |= static_cast<uint32_t>(WS_POPUP);
    HWND dlg = createDialog(hInstance, t, hWndParent, lpDialogFunc, nullptr, dwInitParam, templateId);
    if (!dlg) return -1;

    bool ownerWasEnabled = false;
    if (hWndParent) ownerWasEnabled = EnableWindow(hWndParent, FALSE) == FALSE;
    DialogDriver driver;
    bool endedEarly;
    {
        Lock g(StateLock());
        UserState& u = user();
        u.modalStack.push_back(dlg);
        driver = u.driver;
        Window* w = find(dlg);
        endedEarly = !w || w->ended;
        if (w && !w->ended) w->visible = true;
    }
    if (!endedEarly && driver) driver(dlg);
    if (!withWindow(dlg, true, [](Window& w) { return w.ended; })) SendMessageA(dlg, WM_CLOSE, 0, 0);
    INT_PTR result = -1;
    {
        Lock g(StateLock());
        UserState& u = user();
        auto& s = u.modalStack;
        s.erase(std::remove(s.begin(), s.end(), dlg), s.end());
        Window* w = find(dlg);
        if (w && w->ended) {
            result = w->endCode;
            w->visible = false;
        } else if (w) {
            std::fprintf(stderr, "win32 stand-in: modal dialog %d ignored WM_CLOSE; closed with -1\n", templateId);
        }
    }
    if (hWndParent && ownerWasEnabled) EnableWindow(hWndParent, TRUE);
    if (IsWindow(dlg)) DestroyWindow(dlg);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    return withWindow<BOOL>(hDlg, FALSE, [nResult](Window& w) {
        if (w.kind != Kind::Dialog) return FALSE;
        w.ended = true;
        w.endCode = nResult;
        return TRUE;
    });
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    MessageBoxEntry e;
    e.owner = hWnd;
    e.caption = lpCaption ? lpCaption : "Error";  // Windows' caption when none is given
    e.text = lpText ? lpText : "";
    e.style = uType;
    {
        Lock g(StateLock());
        UserState& u = user();
        e.answer = u.messageBoxAnswer ? u.messageBoxAnswer : defaultAnswer(uType);
        u.messageBoxes.push_back(e);
    }
    if (EchoOn()) {
        std::fprintf(stderr, "[%s] %s\n", e.caption.c_str(), e.text.c_str());
        std::fflush(stderr);
    }
    return e.answer;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    Lock g(StateLock());
    UserState& u = user();
    if (!hInstance) {
        // Stock icons: one shared handle each.
        if (!IS_INTRESOURCE(lpIconName) || LOWORD(lpIconName) != 32512) return nullptr;
        for (auto& [h, o] : u.gdi)
            if (o.kind == GdiKind::Icon && !o.icon.module && o.icon.groupId == 32512) return reinterpret_cast<HICON>(h);
        GdiObject icon{GdiKind::Icon, {}, {nullptr, 32512, 0, 32, 32, 32}, {}};
        return reinterpret_cast<HICON>(newGdi(icon));
    }
    Module* m = FindModule(hInstance);
    if (!m) return nullptr;
    const ResEntry* group = FindEntry(*m, lpIconName, RT_GROUP_ICON);
    if (!group || !group->name.isId) return nullptr;
    // Icons from a module are shared: each load answers the same handle.
    for (auto& [h, o] : u.gdi)
        if (o.kind == GdiKind::Icon && o.icon.module == hInstance && o.icon.groupId == group->name.id)
            return reinterpret_cast<HICON>(h);
    std::vector<GroupIconEntry> images;
    std::string error;
    if (!ParseGroupIcon(m->image.data() + group->offset, group->size, &images, &error)) return nullptr;
    // The system icon size is 32 by 32; otherwise the largest image.
    const GroupIconEntry* pick = &images.front();
    for (const GroupIconEntry& e : images) {
        if (e.width == 32 && e.height == 32) {
            pick = &e;
            break;
        }
        if (e.width > pick->width) pick = &e;
    }
    if (!FindEntry(*m, MAKEINTRESOURCEA(pick->id), RT_ICON)) return nullptr;
    GdiObject icon{GdiKind::Icon, {}, {hInstance, group->name.id, pick->id, pick->width, pick->height, pick->bitCount}, {}};
    return reinterpret_cast<HICON>(newGdi(icon));
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
    Lock g(StateLock());
    Module* m = FindModule(hInstance);
    if (!m) return nullptr;
    const ResEntry* e = FindEntry(*m, lpBitmapName, RT_BITMAP);
    if (!e) return nullptr;
    BitmapHeader header;
    std::string error;
    if (!ParseBitmapResource(m->image.data() + e->offset, e->size, &header, &error)) return nullptr;
    GdiObject bitmap{GdiKind::Bitmap,
                     {hInstance, e->name.isId ? e->name.id : -1, e->size, header.width,
                      header.height < 0 ? -header.height : header.height, header.bitCount},
                     {},
                     {}};
    ++user().bitmapCount;
    return reinterpret_cast<HBITMAP>(newGdi(bitmap));
}

}  // extern "C"
