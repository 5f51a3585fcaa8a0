// Plays the user in the plug-in's modal dialogs: once a dialog is initialised it
// notes the state of its controls and clicks the button the command line chose.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace host {

struct DialogSighting {
    std::string caption;
    std::map<int, bool> enabled;      // control id -> enabled
    std::map<int, std::string> texts; // control id -> text
    std::map<int, uintptr_t> bitmap;  // control id -> the button's bitmap handle, 0 for none
};

// The predefined-mesh dialog's solid buttons by the names the command line and scene
// descriptions give them: tetrahedron, cube, octahedron, dodecahedron, icosahedron.
const std::map<std::string, int>& SolidButtons();

class DialogRobot {
  public:
    // The next modal dialogs get a click on `buttonId` each, in order; with none
    // left, the robot clicks Cancel (id 2).
    void plan(std::vector<int> buttonIds);
    void install();
    void uninstall();
    const std::vector<DialogSighting>& sightings() const { return sightings_; }

    // Called by the platform hook; answers the id to click.
    int onDialog(DialogSighting sighting);

  private:
    std::vector<int> plan_;
    size_t next_ = 0;
    std::vector<DialogSighting> sightings_;
};

// Debug output and message boxes the plug-in produced, as the platform saw them.
std::vector<std::string> DebugLines();
std::vector<std::string> MessageBoxes(); // "caption: text"
void EchoDiagnostics(bool on);
// Forgets the debug output and message boxes seen so far.
void ClearDiagnostics();

} // namespace host
