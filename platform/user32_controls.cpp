// USER32 half of the stand-in, the predefined control classes: the window procedures of buttons
// (check boxes, radio buttons, images, clicks), edits and statics.
#include "platform/user32_internal.h"

#include <strings.h>

namespace standin {
namespace user32 {

namespace {

LONG buttonType(const Window& w) {
    return w.style & BS_TYPEMASK;
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case BM_GETCHECK:
        return withWindow<LRESULT>(hwnd, BST_UNCHECKED, [](Window& w) {
            return isCheckable(w) ? w.check : BST_UNCHECKED;
        });
    case BM_SETCHECK:
        return withWindow<LRESULT>(hwnd, 0, [wp](Window& w) {
            if (!isCheckable(w))
                return 0;
            LONG type = buttonType(w);
            bool threeState = type == BS_3STATE || type == BS_AUTO3STATE;
            int state = static_cast<int>(wp);
            if (state == BST_INDETERMINATE && !threeState)
                state = BST_CHECKED;
            if (state != BST_UNCHECKED && state != BST_CHECKED && state != BST_INDETERMINATE)
                state = BST_CHECKED;
            w.check = state;
            return 0;
        });
    case BM_GETSTATE:
        return withWindow<LRESULT>(hwnd, 0, [](Window& w) { return isCheckable(w) ? w.check : 0; });
    case BM_SETIMAGE:
        if (wp != IMAGE_BITMAP && wp != IMAGE_ICON)
            return 0;
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
            Window* w = findWindow(hwnd);
            if (!w || (w->style & WS_DISABLED))
                return 0;
            // Automatic buttons change state before the parent hears of the click.
            switch (buttonType(*w)) {
            case BS_AUTOCHECKBOX:
                w->check = w->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
                break;
            case BS_AUTO3STATE:
                w->check = (w->check + 1) % 3;
                break;
            case BS_AUTORADIOBUTTON:
                w->check = BST_CHECKED;
                break;
            default:
                break;
            }
            parent = (w->style & WS_CHILD) ? w->parent : nullptr;
            id = w->id;
        }
        if (parent)
            sendCommand(parent, id, BN_CLICKED, hwnd);
        return 0;
    }
    case WM_SETFONT:
    case WM_GETFONT:
        return fontMessage(hwnd, msg, wp);
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
            Window* w = findWindow(hwnd);
            if (!w)
                return r;
            w->modified = false;
            // A single-line edit tells its parent of the new text; a multi-line one does not.
            if ((w->style & WS_CHILD) && !(w->style & ES_MULTILINE))
                parent = w->parent;
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
        return withWindow<LRESULT>(hwnd, FALSE,
                                   [](Window& w) { return w.modified ? TRUE : FALSE; });
    case EM_SETMODIFY:
        return withWindow<LRESULT>(hwnd, 0, [wp](Window& w) {
            w.modified = wp != 0;
            return 0;
        });
    case WM_SETFONT:
    case WM_GETFONT:
        return fontMessage(hwnd, msg, wp);
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFONT || msg == WM_GETFONT)
        return fontMessage(hwnd, msg, wp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

bool isCheckable(const Window& w) {
    switch (buttonType(w)) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

LRESULT fontMessage(HWND hwnd, UINT msg, WPARAM wp) {
    return withWindow<LRESULT>(hwnd, 0, [msg, wp](Window& w) {
        if (msg == WM_GETFONT)
            return reinterpret_cast<LRESULT>(w.font);
        w.font = reinterpret_cast<HFONT>(wp);
        return LRESULT(0);
    });
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

} // namespace user32
} // namespace standin
