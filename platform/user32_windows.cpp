// USER32 half of the stand-in, the window manager: handles, parent and child, control ids, text,
// enabled state, window procedures and their subclassing, dialog extra bytes, and sending messages.
#include "platform/user32_internal.h"

#include <algorithm>
#include <utility>

namespace standin {
namespace user32 {

UserState& userState() {
    static UserState* state = new UserState; // outlives every static destructor
    return *state;
}

Window* findWindow(HWND h) {
    auto& w = userState().windows;
    auto it = w.find(reinterpret_cast<uintptr_t>(h));
    return it == w.end() ? nullptr : it->second.get();
}

HWND createWindow(Kind kind, const std::string& className, const std::string& text, LONG style,
                  LONG exStyle, LONG id, HWND parent, Rect rect, HINSTANCE instance, WNDPROC proc,
                  LPVOID createParam) {
    HWND handle;
    {
        Lock g(StateLock());
        if (parent && !findWindow(parent))
            return nullptr;
        // A child window needs its parent.
        if ((style & WS_CHILD) && !parent)
            return nullptr;
        UserState& u = userState();
        auto w = std::make_unique<Window>();
        handle = reinterpret_cast<HWND>(u.nextWindow);
        u.nextWindow += 4; // never reused, so stale handles stay invalid
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
        if (style & WS_CHILD)
            findWindow(parent)->children.push_back(handle);
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
        if (Window* w = findWindow(handle)) {
            if (Window* p = findWindow(w->parent)) {
                auto& c = p->children;
                c.erase(std::remove(c.begin(), c.end(), handle), c.end());
            }
            userState().windows.erase(reinterpret_cast<uintptr_t>(handle));
        }
        return nullptr;
    }
    if (SendMessageA(handle, WM_CREATE, 0, lp) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return IsWindow(handle) ? handle : nullptr;
}

namespace {

WNDPROC procOf(HWND h) {
    return withWindow<WNDPROC>(h, nullptr, [](Window& w) { return w.proc; });
}

} // namespace

} // namespace user32
} // namespace standin

using namespace standin;
using namespace standin::user32;

extern "C" {

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = procOf(hWnd);
    return proc ? proc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
    case WM_NCCREATE:
        return withWindow<LRESULT>(hWnd, FALSE, [lParam](Window& w) {
            auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName))
                w.text = cs->lpszName;
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
            if (!buffer || wParam == 0)
                return LRESULT(0);
            size_t n = std::min<size_t>(w.text.size(), wParam - 1);
            std::memcpy(buffer, w.text.data(), n);
            buffer[n] = '\0';
            return static_cast<LRESULT>(n);
        });
    case WM_GETTEXTLENGTH:
        return withWindow<LRESULT>(hWnd, 0,
                                   [](Window& w) { return static_cast<LRESULT>(w.text.size()); });
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
    return withWindow<BOOL>(hWnd, FALSE,
                            [](Window& w) { return (w.style & WS_DISABLED) ? FALSE : TRUE; });
}

HWND WINAPI GetParent(HWND hWnd) {
    return withWindow<HWND>(hWnd, nullptr, [](Window& w) { return w.parent; });
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    std::vector<HWND> owned;
    {
        Lock g(StateLock());
        Window* w = findWindow(hWnd);
        if (!w)
            return FALSE;
        if (w->destroying)
            return TRUE;
        w->destroying = true;
        for (auto& [value, other] : userState().windows)
            if (!(other->style & WS_CHILD) && other->parent == hWnd && !other->destroying)
                owned.push_back(other->handle);
    }
    // Owned windows go first, then the window hears WM_DESTROY before its children and WM_NCDESTROY
    // after them.
    for (HWND o : owned)
        DestroyWindow(o);
    SendMessageA(hWnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children = Children(hWnd);
    for (HWND c : children)
        DestroyWindow(c);
    SendMessageA(hWnd, WM_NCDESTROY, 0, 0);
    Lock g(StateLock());
    UserState& u = userState();
    Window* w = findWindow(hWnd);
    if (!w)
        return TRUE;
    if (Window* p = findWindow(w->parent)) {
        auto& c = p->children;
        c.erase(std::remove(c.begin(), c.end(), hWnd), c.end());
    }
    if (u.hostActive == hWnd)
        u.hostActive = nullptr;
    if (w->ownFont)
        u.gdi.erase(reinterpret_cast<uintptr_t>(w->ownFont));
    u.windows.erase(reinterpret_cast<uintptr_t>(hWnd));
    return TRUE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    bool wasDisabled;
    {
        Lock g(StateLock());
        Window* w = findWindow(hWnd);
        if (!w)
            return FALSE;
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (bEnable)
            w->style &= ~WS_DISABLED;
        else
            w->style |= WS_DISABLED;
    }
    if (wasDisabled == (bEnable == FALSE))
        return wasDisabled ? TRUE : FALSE;
    SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

HWND WINAPI GetActiveWindow(void) {
    Lock g(StateLock());
    UserState& u = userState();
    for (auto it = u.modalStack.rbegin(); it != u.modalStack.rend(); ++it)
        if (findWindow(*it))
            return *it;
    return findWindow(u.hostActive) ? u.hostActive : nullptr;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!IsWindow(hWnd))
        return FALSE;
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0)
        return 0;
    lpString[0] = '\0';
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    return withWindow<LONG>(hWnd, 0, [nIndex](Window& w) -> LONG {
        switch (nIndex) {
        case GWL_WNDPROC:
            return reinterpret_cast<LONG>(w.proc);
        case GWL_HINSTANCE:
            return reinterpret_cast<LONG>(w.instance);
        case GWL_HWNDPARENT:
            return reinterpret_cast<LONG>(w.parent);
        case GWL_ID:
            return w.id;
        case GWL_STYLE:
            return w.style;
        case GWL_EXSTYLE:
            return w.exStyle;
        case GWL_USERDATA:
            return w.userData;
        default:
            if (nIndex >= 0 && w.hasExtra &&
                nIndex <= kDialogExtra - static_cast<int>(sizeof(LONG)))
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
            if (dwNewLong == 0)
                return 0;
            old = reinterpret_cast<LONG>(w.proc);
            w.proc = reinterpret_cast<WNDPROC>(dwNewLong);
            return old;
        case GWL_HINSTANCE:
            old = reinterpret_cast<LONG>(w.instance);
            w.instance = reinterpret_cast<HINSTANCE>(dwNewLong);
            return old;
        case GWL_ID:
            return std::exchange(w.id, dwNewLong);
        case GWL_STYLE:
            return std::exchange(w.style, dwNewLong);
        case GWL_EXSTYLE:
            return std::exchange(w.exStyle, dwNewLong);
        case GWL_USERDATA:
            return std::exchange(w.userData, dwNewLong);
        default:
            if (nIndex >= 0 && w.hasExtra &&
                nIndex <= kDialogExtra - static_cast<int>(sizeof(LONG))) {
                old = readExtra<LONG>(w, nIndex);
                std::memcpy(w.extra + nIndex, &dwNewLong, sizeof dwNewLong);
                return old;
            }
            // Reparenting and out-of-range indexes are refused.
            return 0;
        }
    });
}

} // extern "C"
