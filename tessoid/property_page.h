// The property page of a mesh object (dialog resource 106): source file, vertex
// and face counts of the host's current object, and its invert check box. The
// smoothing angle (control 1003) is filled and read by the host itself through
// GetValueInfo and ValueChanged.
#pragma once

#include "platform/win32.h"
#include "resources/resource.h"

namespace tessoid {

constexpr int PROPERTY_PAGE_ID = IDD_PROPERTY_PAGE;
constexpr int CONTROL_SOURCE = IDC_SOURCE_FILE;
constexpr int CONTROL_VERTICES = IDC_VERTEX_COUNT;
constexpr int CONTROL_FACES = IDC_FACE_COUNT;
constexpr int CONTROL_ANGLE = IDC_SMOOTH_ANGLE;
constexpr int CONTROL_INVERT = IDC_INVERT;

// The one page object; it serves one page window at a time.
class PropertyPage {
  public:
    // The window procedure the host creates the page window with: its first
    // message binds the window to the page object.
    static LRESULT CALLBACK StartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window() const { return window_; }
    // Shows the current object's source, counts and invert flag.
    void Refresh();

  private:
    static LRESULT CALLBACK BoundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void bind(HWND window);
    void unbind();
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT callPrevious(UINT message, WPARAM wParam, LPARAM lParam);
    void invertClicked();

    HWND window_ = nullptr;
    HWND source_ = nullptr, vertices_ = nullptr, faces_ = nullptr, angle_ = nullptr,
         invert_ = nullptr;
    LONG replacedProc_ = 0;      // what the window ran before we took it over
    WNDPROC previous_ = nullptr; // where unhandled messages go
};

PropertyPage& ThePropertyPage();

// The template of the page for the host: resource 106 of the library, or null.
void* GetPropertyPage();
void ReleasePropertyPage(void* resource);

// The part of a path after its last separator.
const char* FileNamePart(const char* path);

} // namespace tessoid
