// The dialog robot on Windows. A WH_CALLWNDPROCRET hook on the host's own thread
// sees every dialog once its WM_INITDIALOG has been handled: the plug-in's modal
// dialogs are read and get the planned click, message boxes are noted and answered
// with OK. Clicks are posted, so they arrive through the dialog's modal loop as a
// user's would. Debug output is caught by a vectored exception handler:
// OutputDebugStringA raises DBG_PRINTEXCEPTION_C before anything else sees it.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/dialog_robot.h"

namespace host {

namespace {

constexpr int MESSAGE_TEXT_ID = 0xFFFF; // the static that carries a message box's text

struct RobotState {
    DialogRobot* robot = nullptr;
    HHOOK hook = nullptr;
    void* debugHandler = nullptr;
    bool echo = false;
    std::vector<std::string> debugLines;
    std::vector<std::string> boxes;
};

RobotState& state() {
    static RobotState s;
    return s;
}

std::string windowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::string className(HWND window) {
    char name[64];
    int n = GetClassNameA(window, name, sizeof(name));
    return std::string(name, n > 0 ? static_cast<size_t>(n) : 0);
}

// Message boxes are dialogs USER32 builds from its own template; the plug-in's
// dialogs belong to the plug-in's module.
bool isMessageBox(HWND dialog) {
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    return (!instance || instance == GetModuleHandleA("user32.dll")) &&
           GetDlgItem(dialog, MESSAGE_TEXT_ID) && GetDlgItem(dialog, IDOK);
}

BOOL CALLBACK noteControl(HWND control, LPARAM context) {
    auto* seen = reinterpret_cast<DialogSighting*>(context);
    int id = GetDlgCtrlID(control);
    seen->enabled[id] = IsWindowEnabled(control) != FALSE;
    seen->texts[id] = windowText(control);
    seen->bitmap[id] =
        className(control) == "Button"
            ? static_cast<uintptr_t>(SendMessageA(control, BM_GETIMAGE, IMAGE_BITMAP, 0))
            : 0;
    return TRUE;
}

void echoSighting(const DialogSighting& seen, int button) {
    std::fprintf(stderr, "dialog \"%s\":", seen.caption.c_str());
    for (const auto& [id, enabled] : seen.enabled) {
        std::fprintf(stderr, " %d%s%s", id, enabled ? "" : " disabled",
                     seen.bitmap.at(id) ? " bitmap" : "");
        std::string text = seen.texts.at(id);
        for (char& c : text)
            if (c == '\r' || c == '\n')
                c = ' ';
        std::fprintf(stderr, " \"%s\";", text.c_str());
    }
    std::fprintf(stderr, " click %d\n", button);
    std::fflush(stderr);
}

// Clicks a button the way a user's click ends up: BN_CLICKED from the button to
// its dialog, queued behind whatever the dialog manager still has to do.
bool postClick(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button || className(button) != "Button" || !IsWindowEnabled(button))
        return false;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

void answerMessageBox(HWND box) {
    RobotState& s = state();
    std::string caption = windowText(box);
    std::string text = windowText(GetDlgItem(box, MESSAGE_TEXT_ID));
    s.boxes.push_back(caption + ": " + text);
    if (s.echo) {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
    }
    postClick(box, IDOK);
}

void driveDialog(HWND dialog) {
    RobotState& s = state();
    DialogSighting seen;
    seen.caption = windowText(dialog);
    EnumChildWindows(dialog, noteControl, reinterpret_cast<LPARAM>(&seen));
    bool echo = s.echo;
    DialogSighting copy = echo ? seen : DialogSighting{};
    int button = s.robot->onDialog(std::move(seen));
    if (echo)
        echoSighting(copy, button);
    if (!postClick(dialog, button)) {
        std::fprintf(stderr, "tessoid-host: button %d of dialog \"%s\" cannot be clicked\n", button,
                     windowText(dialog).c_str());
        // The user gives up and closes the window, as the Linux robot's host does.
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

LRESULT CALLBACK afterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    RobotState& s = state();
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    // Only top-level dialogs: a child dialog (a property page) is not modal.
    if (code == HC_ACTION && call->message == WM_INITDIALOG && className(call->hwnd) == "#32770" &&
        !(GetWindowLongA(call->hwnd, GWL_STYLE) & WS_CHILD)) {
        if (isMessageBox(call->hwnd))
            answerMessageBox(call->hwnd);
        else if (s.robot)
            driveDialog(call->hwnd);
        else
            PostMessageA(call->hwnd, WM_CLOSE, 0, 0); // nobody to answer: closed unseen
    }
    return CallNextHookEx(s.hook, code, wParam, lParam);
}

LONG CALLBACK catchDebugOutput(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2 &&
        record->ExceptionInformation[1]) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        RobotState& s = state();
        s.debugLines.emplace_back(text);
        if (s.echo) {
            std::fputs(text, stderr);
            std::fflush(stderr);
        }
    }
    // OutputDebugStringA's own handler still ends the exception as it always does.
    return EXCEPTION_CONTINUE_SEARCH;
}

void watchDebugOutput() {
    RobotState& s = state();
    if (!s.debugHandler)
        s.debugHandler = AddVectoredExceptionHandler(1, catchDebugOutput);
}

} // namespace

void DialogRobot::install() {
    RobotState& s = state();
    watchDebugOutput();
    if (!s.hook) {
        s.hook =
            SetWindowsHookExA(WH_CALLWNDPROCRET, afterWindowProc, nullptr, GetCurrentThreadId());
        if (!s.hook)
            std::fprintf(stderr, "tessoid-host: the dialog hook cannot be set (error %lu)\n",
                         GetLastError());
    }
    s.robot = this;
}

void DialogRobot::uninstall() {
    RobotState& s = state();
    if (s.robot != this)
        return;
    // The hook stays: message boxes are still answered, dialogs closed unseen.
    s.robot = nullptr;
}

std::vector<std::string> DebugLines() {
    return state().debugLines;
}

std::vector<std::string> MessageBoxes() {
    return state().boxes;
}

void EchoDiagnostics(bool on) {
    state().echo = on;
    // Debug output from the plug-in's start-up comes before any robot is installed.
    watchDebugOutput();
}

void ClearDiagnostics() {
    state().debugLines.clear();
    state().boxes.clear();
}

} // namespace host
