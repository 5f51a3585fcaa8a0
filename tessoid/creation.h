// The "Select Predefined Mesh" dialog (resource 109).
#pragma once

#include "platform/win32.h"

namespace tessoid {

constexpr int SOLID_DIALOG_ID = 109;
constexpr int FIRST_SOLID_BUTTON = 1013; // 1013 to 1017: the five solids
constexpr int CURRENT_OBJECT_BUTTON = 1018;
constexpr int FIRST_SOLID_BITMAP = 123; // 123 to 127, in button order
constexpr INT_PTR CURRENT_OBJECT_CHOICE = 5;

// Ends with 0 to 4 for a solid, 5 for the current object, -1 for Cancel.
INT_PTR CALLBACK SolidDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace tessoid
