// USER32 half of the stand-in, the dialog manager: dialogs built from the templates of registered
// modules, the dialog class's window procedure, modal dialogs and their end.
#include "platform/user32_internal.h"

#include <algorithm>
#include <cstdio>

namespace standin {
namespace user32 {

namespace {

DLGPROC dialogProcOf(HWND h) {
    return withWindow<DLGPROC>(h, nullptr, [](Window& w) {
        return w.hasExtra ? readExtra<DLGPROC>(w, DWL_DLGPROC) : nullptr;
    });
}

// Messages whose dialog-procedure answer is the result itself rather than a flag.
bool answersDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

// The dialog class's window procedure: the dialog procedure first, then the default dialog
// handling.
LRESULT CALLBACK dialogClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (DLGPROC dp = dialogProcOf(hwnd)) {
        INT_PTR handled = dp(hwnd, msg, wp, lp);
        Lock g(StateLock());
        Window* w = findWindow(hwnd);
        if (!w)
            return 0;
        if (handled)
            return answersDirectly(msg) ? handled : readExtra<LONG>(*w, DWL_MSGRESULT);
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
        return fontMessage(hwnd, msg, wp);
    case WM_INITDIALOG:
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

bool loadTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate* t, int* id) {
    Lock g(StateLock());
    Module* m = FindModule(instance);
    if (!m)
        return false;
    const ResEntry* e = FindEntry(*m, name, RT_DIALOG);
    if (!e)
        return false;
    *id = e->name.isId ? e->name.id : -1;
    std::string error;
    if (!ParseDialogTemplate(m->image.data() + e->offset, e->size, t, &error)) {
        std::fprintf(stderr, "win32 stand-in: dialog template is malformed: %s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace

HWND createDialog(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC dialogProc,
                  WNDPROC windowProc, LPARAM param, int templateId) {
    std::string className =
        t.windowClass.isOrdinal || t.windowClass.text.empty() ? "#32770" : t.windowClass.text;
    WNDPROC proc = windowProc ? windowProc : dialogClassProc;
    // Modal dialogs are shown by the modal loop, not by their style.
    LONG style = static_cast<LONG>(t.style);
    LPVOID createParam = windowProc ? reinterpret_cast<LPVOID>(param) : nullptr;
    HWND dlg = createWindow(Kind::Dialog, className, t.title, style, static_cast<LONG>(t.exStyle),
                            0, parent, Rect{t.x, t.y, t.cx, t.cy}, instance, proc, createParam);
    if (!dlg)
        return nullptr;
    HFONT font = nullptr;
    {
        Lock g(StateLock());
        Window* w = findWindow(dlg);
        if (!w)
            return nullptr;
        w->templateId = templateId;
        if (dialogProc)
            std::memcpy(w->extra + DWL_DLGPROC, &dialogProc, sizeof dialogProc);
    }
    if (t.hasFont) {
        font = newDialogFont(t);
        {
            // Kept here too: a caller's window procedure need not store it.
            Lock g(StateLock());
            if (Window* w = findWindow(dlg))
                w->font = w->ownFont = font;
        }
        SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    HWND focus = nullptr;
    for (const DialogItem& item : t.items) {
        WNDPROC controlProc = nullptr;
        Kind kind = kindOfClass(item.className, &controlProc);
        if (!controlProc) {
            // An unregistered class fails the dialog, as on Windows, unless it asks not to.
            if (t.style & DS_NOFAILCREATE)
                continue;
            DestroyWindow(dlg);
            return nullptr;
        }
        LONG style = static_cast<LONG>(item.style) | WS_CHILD;
        HWND control =
            createWindow(kind, item.className, item.text.isOrdinal ? std::string() : item.text.text,
                         style, static_cast<LONG>(item.exStyle), static_cast<LONG>(item.id), dlg,
                         Rect{item.x, item.y, item.cx, item.cy}, instance, controlProc, nullptr);
        if (!control) {
            if (t.style & DS_NOFAILCREATE)
                continue;
            DestroyWindow(dlg);
            return nullptr;
        }
        if (font)
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (!focus && (style & WS_TABSTOP) && !(style & WS_DISABLED))
            focus = control;
        if (!IsWindow(dlg))
            return nullptr;
    }
    SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
    return IsWindow(dlg) ? dlg : nullptr;
}

} // namespace user32
} // namespace standin

using namespace standin;
using namespace standin::user32;

extern "C" {

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    return withWindow<HWND>(hDlg, nullptr, [nIDDlgItem](Window& w) -> HWND {
        for (HWND c : w.children) {
            Window* child = findWindow(c);
            if (child && child->id == nIDDlgItem)
                return c;
        }
        return nullptr;
    });
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    if (hWndParent && !IsWindow(hWndParent))
        return 0;
    DialogTemplate t;
    int templateId = -1;
    if (!loadTemplate(hInstance, lpTemplateName, &t, &templateId))
        return -1;
    // A modal dialog is a top-level window owned by the parent's top-level window.
    t.style &= ~static_cast<uint32_t>(WS_CHILD);
    t.style |= static_cast<uint32_t>(WS_POPUP);
    HWND dlg =
        createDialog(hInstance, t, hWndParent, lpDialogFunc, nullptr, dwInitParam, templateId);
    if (!dlg)
        return -1;

    bool ownerWasEnabled = false;
    if (hWndParent)
        ownerWasEnabled = EnableWindow(hWndParent, FALSE) == FALSE;
    DialogDriver driver;
    bool endedEarly;
    {
        Lock g(StateLock());
        UserState& u = userState();
        u.modalStack.push_back(dlg);
        driver = u.driver;
        Window* w = findWindow(dlg);
        endedEarly = !w || w->ended;
        if (w && !w->ended)
            w->visible = true;
    }
    if (!endedEarly && driver)
        driver(dlg);
    if (!withWindow(dlg, true, [](Window& w) { return w.ended; }))
        SendMessageA(dlg, WM_CLOSE, 0, 0);
    INT_PTR result = -1;
    {
        Lock g(StateLock());
        UserState& u = userState();
        auto& s = u.modalStack;
        s.erase(std::remove(s.begin(), s.end(), dlg), s.end());
        Window* w = findWindow(dlg);
        if (w && w->ended) {
            result = w->endCode;
            w->visible = false;
        } else if (w) {
            std::fprintf(stderr,
                         "win32 stand-in: modal dialog %d ignored WM_CLOSE; closed with -1\n",
                         templateId);
        }
    }
    if (hWndParent && ownerWasEnabled)
        EnableWindow(hWndParent, TRUE);
    if (IsWindow(dlg))
        DestroyWindow(dlg);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    return withWindow<BOOL>(hDlg, FALSE, [nResult](Window& w) {
        if (w.kind != Kind::Dialog)
            return FALSE;
        w.ended = true;
        w.endCode = nResult;
        return TRUE;
    });
}

} // extern "C"
