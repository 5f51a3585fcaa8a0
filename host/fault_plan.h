// The hostile host: a plan that refuses the k-th call of one kind of service, so a
// test can make every call a real host may fail fail once, and see the plug-in
// carry on cleanly.
#pragma once

#include <array>
#include <cstdint>

namespace host {

// The services a host can refuse. Calls the host makes on its own (creating an object
// for a test or a scene file) are not counted; only the plug-in's calls are.
enum class Service {
    CreateObject,
    GetObjectInfo,
    SetObjectInfo,
    AddToGroup,
    AssignMaterial,
    MeshAllocation, // AllocateMesh and AllocateFaces of the mesh-building table
    StreamRead,
    StreamWrite,
    AskFileName,
};
constexpr int SERVICE_KINDS = 9;

// What a refused service answers: a failure the plug-in must take as one.
constexpr int32_t SERVICE_REFUSED = 9;

const char* ServiceName(Service service);

class FaultPlan {
  public:
    // Refuses the k-th call (1 for the first) of `service` counted from now on.
    void refuse(Service service, int k);
    // Counts from now on and refuses nothing.
    void clear();
    // Counts one call; true when it is the planned one.
    bool refuses(Service service);
    // Calls of each kind since the last refuse() (or since the host began).
    int calls(Service service) const { return calls_[static_cast<int>(service)]; }
    // Whether the planned call came and was refused.
    bool fired() const { return fired_; }

  private:
    std::array<int, SERVICE_KINDS> calls_{};
    int target_ = -1;
    int k_ = 0;
    bool fired_ = false;
};

} // namespace host
