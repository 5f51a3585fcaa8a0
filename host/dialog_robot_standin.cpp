// The dialog robot over the Linux Win32 stand-in's control API.
#include <cstdio>

#include "host/dialog_robot.h"
#include "platform/standin_control.h"

namespace host {

namespace {
DialogRobot* installed = nullptr;
}

void DialogRobot::install() {
    installed = this;
    standin::SetDialogDriver([](HWND dialog) {
        if (!installed)
            return;
        DialogSighting seen;
        seen.caption = standin::WindowText(dialog);
        for (HWND control : standin::Children(dialog)) {
            int id = standin::ControlId(control);
            seen.enabled[id] = standin::IsEnabled(control);
            seen.texts[id] = standin::WindowText(control);
            seen.bitmap[id] = reinterpret_cast<uintptr_t>(standin::ButtonBitmap(control));
        }
        int button = installed->onDialog(std::move(seen));
        if (!standin::ClickControl(dialog, button))
            std::fprintf(stderr, "tessoid-host: button %d of dialog \"%s\" cannot be clicked\n",
                         button, standin::WindowText(dialog).c_str());
    });
}

void DialogRobot::uninstall() {
    if (installed == this) {
        installed = nullptr;
        standin::SetDialogDriver(nullptr);
    }
}

std::vector<std::string> DebugLines() {
    return standin::DebugLog();
}

std::vector<std::string> MessageBoxes() {
    std::vector<std::string> boxes;
    for (const standin::MessageBoxEntry& e : standin::MessageBoxLog())
        boxes.push_back(e.caption + ": " + e.text);
    return boxes;
}

void EchoDiagnostics(bool on) {
    standin::SetEcho(on);
}

void ClearDiagnostics() {
    standin::ClearDebugLog();
    standin::ClearMessageBoxLog();
}

} // namespace host
