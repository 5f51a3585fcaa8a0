// The dialog robot's plan, the same on every platform; the platform files hook the
// dialogs and read their controls.
#include "host/dialog_robot.h"

#include "platform/win32.h"
#include "resources/resource.h"

namespace host {

const std::map<std::string, int>& SolidButtons() {
    static const std::map<std::string, int> buttons = {{"tetrahedron", IDC_TETRAHEDRON},
                                                       {"cube", IDC_CUBE},
                                                       {"octahedron", IDC_OCTAHEDRON},
                                                       {"dodecahedron", IDC_DODECAHEDRON},
                                                       {"icosahedron", IDC_ICOSAHEDRON}};
    return buttons;
}

void DialogRobot::plan(std::vector<int> buttonIds) {
    plan_ = std::move(buttonIds);
    next_ = 0;
}

int DialogRobot::onDialog(DialogSighting sighting) {
    sightings_.push_back(std::move(sighting));
    return next_ < plan_.size() ? plan_[next_++] : IDCANCEL;
}

} // namespace host
