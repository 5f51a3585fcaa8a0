// A day's session in one process, in rounds: every given file imported, solids made
// through the predefined-mesh dialog (every sixth opening cancelled), property pages
// opened and closed, the current object tessellated, the scene saved and loaded
// back, and everything the round made removed again. The long-session test runs it
// under the sanitizers; `tessoid-host session` runs it on either platform.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "host/scene_description.h"

namespace host {

struct SessionPlan {
    std::vector<std::string> files; // imported once per round, in order
    int dialogOpenings = 300;
    int pageOpenings = 100;
    int tessellations = 40;
    int saveLoadCycles = 20;
    std::string scratchScene; // the file the save/load cycles write
};

class Session {
  public:
    Session(PluginHost& host, SessionPlan plan) : host_(host), plan_(std::move(plan)) {}

    // Builds the objects the tessellations start from; they stay for every round.
    bool prepare(std::string& error);
    // One round. What broke a contract or failed is added to problems().
    void round();

    int operations() const { return operations_; }
    const std::vector<std::string>& problems() const { return problems_; }
    // Bitmap handles seen on the predefined-mesh dialog's buttons over every opening:
    // loaded once for the library's life, this stays at the number of picture buttons.
    size_t distinctButtonBitmaps() const { return buttonBitmaps_.size(); }
    int dialogOpenings() const { return dialogOpenings_; }

  private:
    void problem(std::string what) { problems_.push_back(std::move(what)); }

    PluginHost& host_;
    SessionPlan plan_;
    DescribedScene sources_;
    std::set<HostHandle> keep_;
    std::set<uintptr_t> buttonBitmaps_;
    std::vector<std::string> problems_;
    int operations_ = 0;
    int dialogOpenings_ = 0;
};

} // namespace host
