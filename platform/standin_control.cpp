// The control API of platform/standin_control.h over USER32's tables: GDI object details, host
// windows, the dialog driver and window inspection. The message-box log lives with MessageBoxA in
// user32_message_box.cpp; the module and debug-log functions work on KERNEL32's tables and live in
// kernel32.cpp.
#include "platform/user32_internal.h"

#include <cstdio>

namespace standin {

using namespace user32;

// ---- GDI objects ----------------------------------------------------------------------------

bool GetBitmapDetails(HBITMAP bitmap, BitmapDetails* out) {
    Lock g(StateLock());
    GdiObject* o = findGdi(bitmap, GdiKind::Bitmap);
    if (!o)
        return false;
    *out = o->bitmap;
    return true;
}

unsigned BitmapCount() {
    Lock g(StateLock());
    return userState().bitmapCount;
}

unsigned GdiObjectCount() {
    Lock g(StateLock());
    return static_cast<unsigned>(userState().gdi.size());
}

bool GetIconDetails(HICON icon, IconDetails* out) {
    Lock g(StateLock());
    GdiObject* o = findGdi(icon, GdiKind::Icon);
    if (!o)
        return false;
    *out = o->icon;
    return true;
}

bool GetFontDetails(HFONT font, FontDetails* out) {
    Lock g(StateLock());
    GdiObject* o = findGdi(font, GdiKind::Font);
    if (!o)
        return false;
    *out = o->font;
    return true;
}

// ---- Windows --------------------------------------------------------------------------------

HWND CreateHostWindow(const char* title) {
    HWND h = createWindow(Kind::Generic, "TessoidHostWindow", title ? title : "",
                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, nullptr,
                          Rect{0, 0, 640, 480}, nullptr, DefWindowProcA, nullptr);
    if (h) {
        Lock g(StateLock());
        userState().hostActive = h;
    }
    return h;
}

void SetDialogDriver(DialogDriver driver) {
    Lock g(StateLock());
    userState().driver = std::move(driver);
}

unsigned ModalDepth() {
    Lock g(StateLock());
    return static_cast<unsigned>(userState().modalStack.size());
}

HWND CreateWindowFromTemplate(HINSTANCE instance, const void* templateBytes, unsigned templateSize,
                              HWND parent, WNDPROC proc, LPARAM param) {
    if (!templateBytes || !proc)
        return nullptr;
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
            if (size == 0 || size > room)
                size = room;
            if (reinterpret_cast<uintptr_t>(templateBytes) == begin && e->name.isId)
                templateId = e->name.id;
        }
        if (size == 0)
            return nullptr;
        std::string error;
        if (!ParseDialogTemplate(templateBytes, size, &t, &error)) {
            std::fprintf(stderr, "win32 stand-in: dialog template is malformed: %s\n",
                         error.c_str());
            return nullptr;
        }
    }
    HWND h = createDialog(instance, t, parent, nullptr, proc, param, templateId);
    if (h) {
        Lock g(StateLock());
        if (Window* w = findWindow(h))
            w->visible = (w->style & WS_VISIBLE) != 0;
    }
    return h;
}

int TemplateId(HWND window) {
    return withWindow(window, -1, [](Window& w) { return w.templateId; });
}

HWND FindControl(HWND parent, int id) {
    if (HWND direct = GetDlgItem(parent, id))
        return direct;
    return withWindow<HWND>(parent, nullptr, [id](Window& w) -> HWND {
        for (HWND child : w.children)
            if (HWND deeper = FindControl(child, id))
                return deeper;
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

bool IsEnabled(HWND window) {
    return IsWindowEnabled(window) != FALSE;
}

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
    if (!clickable)
        return false;
    SendMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool ClickControl(HWND dialog, int id) {
    return Click(GetDlgItem(dialog, id));
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(window, message, wParam, lParam);
}

unsigned WindowCount() {
    Lock g(StateLock());
    return static_cast<unsigned>(userState().windows.size());
}

void Reset() {
    for (;;) {
        HWND top = nullptr;
        {
            Lock g(StateLock());
            auto& ws = userState().windows;
            if (ws.empty())
                break;
            for (auto& [value, w] : ws) {
                if (!(w->style & WS_CHILD)) {
                    top = w->handle;
                    break;
                }
            }
            if (!top)
                top = ws.begin()->second->handle;
            // A window caught half-way through its destruction is simply dropped.
            if (findWindow(top)->destroying) {
                ws.erase(reinterpret_cast<uintptr_t>(top));
                continue;
            }
        }
        DestroyWindow(top);
    }
    Lock g(StateLock());
    UserState& u = userState();
    u.messageBoxes.clear();
    u.messageBoxAnswer = 0;
    u.driver = nullptr;
    u.modalStack.clear();
    u.hostActive = nullptr;
    ClearDebugLog();
}

} // namespace standin
