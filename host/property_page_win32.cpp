// Shows the plug-in's property page the way the modeller's panel does on Windows:
// the dialog manager builds the template GetPropertyPage returns, in a window class
// whose procedure is record 3's, so that procedure sees the window from its first
// message on (it binds itself there) and then WM_INITDIALOG, WM_PAINT and the
// controls' WM_COMMAND notifications.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "host/property_page_common.h"
#include "host/report.h"

namespace host {

using namespace tessoid;

namespace {

const char PAGE_CLASS[] = "TessoidHostPage";
const char PANEL_CLASS[] = "TessoidHostPanel";
constexpr size_t TEMPLATE_LIMIT = 64 * 1024; // far beyond any page; stops a runaway parse

// Reads a classic dialog template (the resource compiler's DIALOG form) and writes
// it again with `className` in its class field. Every item starts on a DWORD
// boundary, so the items are copied one by one behind the longer header.
class TemplateCopier {
  public:
    explicit TemplateCopier(const uint8_t* source) : in_(source) {}

    bool copyWithClass(const char* className, std::vector<uint8_t>& out) {
        uint16_t firstWords[2];
        std::memcpy(firstWords, in_, sizeof(firstWords));
        if (firstWords[0] == 1 && firstWords[1] == 0xFFFF)
            return false; // an extended template: the plug-in's page is not one
        uint32_t style;
        std::memcpy(&style, in_, 4);
        uint16_t items;
        std::memcpy(&items, in_ + 8, 2);
        if (!copy(18, out) || !copyNameOrOrdinal(out)) // header, menu
            return false;
        skipNameOrOrdinal(); // the class field being replaced
        for (const char* c = className;; ++c) {
            putWord(static_cast<uint16_t>(static_cast<unsigned char>(*c)), out);
            if (!*c)
                break;
        }
        if (!copyString(out)) // title
            return false;
        if ((style & DS_SETFONT) && !(copy(2, out) && copyString(out)))
            return false;
        for (uint16_t i = 0; i < items; ++i) {
            at_ = (at_ + 3) & ~size_t(3);
            out.resize((out.size() + 3) & ~size_t(3), 0);
            if (!copy(18, out) || !copyNameOrOrdinal(out) || !copyNameOrOrdinal(out))
                return false;
            uint16_t extra;
            if (!peekWord(extra) || !copy(2u + extra, out))
                return false;
        }
        return true;
    }

  private:
    bool copy(size_t n, std::vector<uint8_t>& out) {
        if (n > TEMPLATE_LIMIT - at_)
            return false;
        out.insert(out.end(), in_ + at_, in_ + at_ + n);
        at_ += n;
        return true;
    }
    bool peekWord(uint16_t& word) const {
        if (TEMPLATE_LIMIT - at_ < 2)
            return false;
        std::memcpy(&word, in_ + at_, 2);
        return true;
    }
    static void putWord(uint16_t word, std::vector<uint8_t>& out) {
        out.push_back(static_cast<uint8_t>(word & 0xFF));
        out.push_back(static_cast<uint8_t>(word >> 8));
    }
    // Length in bytes of the name or ordinal at the read position, terminator included.
    size_t nameOrOrdinalSize() const {
        uint16_t word;
        if (!peekWord(word))
            return SIZE_MAX;
        if (word == 0xFFFF)
            return 4;
        return stringSize();
    }
    size_t stringSize() const {
        for (size_t n = 0; TEMPLATE_LIMIT - at_ - n >= 2; n += 2) {
            uint16_t word;
            std::memcpy(&word, in_ + at_ + n, 2);
            if (word == 0)
                return n + 2;
        }
        return SIZE_MAX;
    }
    bool copyNameOrOrdinal(std::vector<uint8_t>& out) {
        size_t n = nameOrOrdinalSize();
        return n != SIZE_MAX && copy(n, out);
    }
    bool copyString(std::vector<uint8_t>& out) {
        size_t n = stringSize();
        return n != SIZE_MAX && copy(n, out);
    }
    void skipNameOrOrdinal() {
        size_t n = nameOrOrdinalSize();
        if (n != SIZE_MAX)
            at_ += n;
    }

    const uint8_t* in_;
    size_t at_ = 0;
};

std::string windowText(HWND window) {
    char text[256] = "";
    if (window)
        GetWindowTextA(window, text, sizeof(text));
    return text;
}

// (Re)registers a class; a class left by an earlier page in this process may carry
// another procedure.
bool registerClass(const char* name, WNDPROC procedure, int windowExtra) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    UnregisterClassA(name, self);
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = windowExtra;
    wc.hInstance = self;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

// The page's own window procedure handles everything and never calls DefDlgProc, so
// this is never asked; it is there because the dialog manager sends WM_INITDIALOG
// only to dialogs that have a dialog procedure.
INT_PTR CALLBACK noDialogProcedure(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

bool ShowPropertyPage(PluginHost& host, HostHandle handle, bool setAngle, double angle,
                      std::ostream& out) {
    void* page = nullptr;
    SceneObject* object = BeginPropertyPage(host, handle, setAngle, angle, out, &page);
    if (!object)
        return false;
    ObjectTypeInterface& type = host.objectType();
    std::vector<uint8_t> copied;
    if (!TemplateCopier(static_cast<const uint8_t*>(page)).copyWithClass(PAGE_CLASS, copied)) {
        type.releasePropertyPage(page);
        host.fail("property page: GetPropertyPage gave no readable dialog template");
        return false;
    }
    HINSTANCE self = GetModuleHandleA(nullptr);
    if (!registerClass(PAGE_CLASS, reinterpret_cast<WNDPROC>(type.pageWindowProc),
                       DLGWINDOWEXTRA) ||
        !registerClass(PANEL_CLASS, DefWindowProcA, 0)) {
        type.releasePropertyPage(page);
        host.fail("property page: window classes cannot be registered");
        return false;
    }
    HWND panel = CreateWindowExA(0, PANEL_CLASS, "Properties", WS_OVERLAPPEDWINDOW, 0, 0, 320, 400,
                                 nullptr, nullptr, self, nullptr);
    HWND window =
        panel ? CreateDialogIndirectParamA(self, reinterpret_cast<LPCDLGTEMPLATEA>(copied.data()),
                                           panel, noDialogProcedure, 0)
              : nullptr;
    if (!window) {
        if (panel)
            DestroyWindow(panel);
        type.releasePropertyPage(page);
        host.fail("property page: the template does not make a window");
        return false;
    }
    // Shown and painted for real: the page fills its controls in WM_PAINT.
    ShowWindow(panel, SW_SHOWNOACTIVATE);
    ShowWindow(window, SW_SHOWNA);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    PrintPropertyPage(
        host, *object, [&](int id) { return windowText(GetDlgItem(window, id)); },
        [&](int id) {
            HWND control = GetDlgItem(window, id);
            return control && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        },
        out);
    DestroyWindow(window);
    DestroyWindow(panel);
    UnregisterClassA(PAGE_CLASS, self);
    UnregisterClassA(PANEL_CLASS, self);
    type.releasePropertyPage(page);
    return true;
}

} // namespace host
