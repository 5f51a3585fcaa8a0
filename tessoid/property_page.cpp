#include "tessoid/property_page.h"

#include <cstdio>
#include <cstring>

#include "plugin/plugin_state.h"
#include "tessoid/tessoid_object.h"
#include "tessoid/window_binding.h"

namespace tessoid {

PropertyPage& ThePropertyPage() {
    static PropertyPage page;
    return page;
}

const char* FileNamePart(const char* path) {
    const char* name = path;
    // Backslash on the host's own system; a slash also appears in Linux paths.
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    return name;
}

void* GetPropertyPage() {
    HMODULE module = State().module;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(PROPERTY_PAGE_ID), RT_DIALOG);
    if (!found)
        return nullptr;
    // The host creates the page window next, on this thread.
    RegisterWindowCreation(&ThePropertyPage());
    return LoadResource(module, found);
}

void ReleasePropertyPage(void* resource) {
    if (resource)
        FreeResource(resource);
}

LRESULT CALLBACK PropertyPage::StartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = static_cast<PropertyPage*>(TakeWindowCreation());
    if (!page)
        page = &ThePropertyPage();
    page->bind(window);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK PropertyPage::BoundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PropertyPage& page = ThePropertyPage();
    // A window left behind by an earlier page gets default handling only.
    if (window != page.window_)
        return DefWindowProcA(window, message, wParam, lParam);
    return page.handle(message, wParam, lParam);
}

void PropertyPage::bind(HWND window) {
    window_ = window;
    source_ = vertices_ = faces_ = angle_ = invert_ = nullptr;
    replacedProc_ =
        SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(&PropertyPage::BoundProc));
    // Our own start procedure is no place to pass messages back to.
    const bool ours =
        replacedProc_ == 0 || replacedProc_ == reinterpret_cast<LONG>(&PropertyPage::StartProc);
    previous_ = ours ? &DefWindowProcA : reinterpret_cast<WNDPROC>(replacedProc_);
}

void PropertyPage::unbind() {
    if (GetWindowLongA(window_, GWL_WNDPROC) == reinterpret_cast<LONG>(&PropertyPage::BoundProc))
        SetWindowLongA(window_, GWL_WNDPROC, replacedProc_);
    window_ = nullptr;
    source_ = vertices_ = faces_ = angle_ = invert_ = nullptr;
    replacedProc_ = 0;
    previous_ = nullptr;
}

LRESULT PropertyPage::callPrevious(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(previous_ ? previous_ : &DefWindowProcA, window_, message, wParam,
                           lParam);
}

namespace {
// The page may be painted before its dialog initialisation gave us the controls.
void setText(HWND control, const char* text) {
    if (control)
        SetWindowTextA(control, text);
}
} // namespace

void PropertyPage::Refresh() {
    TessoidObject* object = CurrentTessoid();
    if (!object || object->sourceName[0] == '\0') {
        setText(source_, "<No Object>");
        return;
    }
    setText(source_, FileNamePart(object->sourceName));
    char number[16];
    std::snprintf(number, sizeof(number), "%d", static_cast<int>(object->vertexCount()));
    setText(vertices_, number);
    std::snprintf(number, sizeof(number), "%d", static_cast<int>(object->faceCount()));
    setText(faces_, number);
    if (invert_)
        SendMessageA(invert_, BM_SETCHECK, object->invert ? BST_CHECKED : BST_UNCHECKED, 0);
}

void PropertyPage::invertClicked() {
    if (TessoidObject* object = CurrentTessoid())
        object->invert = SendMessageA(invert_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

LRESULT PropertyPage::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        source_ = GetDlgItem(window_, CONTROL_SOURCE);
        vertices_ = GetDlgItem(window_, CONTROL_VERTICES);
        faces_ = GetDlgItem(window_, CONTROL_FACES);
        angle_ = GetDlgItem(window_, CONTROL_ANGLE);
        invert_ = GetDlgItem(window_, CONTROL_INVERT);
        Refresh();
        return 1;
    case WM_PAINT:
        Refresh();
        return callPrevious(message, wParam, lParam);
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == CONTROL_INVERT && header->code == NM_CLICK) {
            invertClicked();
            return 1;
        }
        return callPrevious(message, wParam, lParam);
    }
    case WM_COMMAND:
        // A check box reports its click as a command notification.
        if (LOWORD(wParam) == CONTROL_INVERT && HIWORD(wParam) == BN_CLICKED) {
            invertClicked();
            return 1;
        }
        return callPrevious(message, wParam, lParam);
    case WM_NCDESTROY: {
        const LRESULT result = callPrevious(message, wParam, lParam);
        unbind();
        return result;
    }
    default:
        return callPrevious(message, wParam, lParam);
    }
}

} // namespace tessoid
