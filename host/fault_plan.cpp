#include "host/fault_plan.h"

namespace host {

const char* ServiceName(Service service) {
    switch (service) {
    case Service::CreateObject:
        return "CreateObject";
    case Service::GetObjectInfo:
        return "GetObjectInfo";
    case Service::SetObjectInfo:
        return "SetObjectInfo";
    case Service::AddToGroup:
        return "AddToGroup";
    case Service::AssignMaterial:
        return "AssignMaterial";
    case Service::MeshAllocation:
        return "mesh allocation";
    case Service::StreamRead:
        return "stream read";
    case Service::StreamWrite:
        return "stream write";
    case Service::AskFileName:
        return "AskFileName";
    }
    return "?";
}

void FaultPlan::refuse(Service service, int k) {
    calls_ = {};
    target_ = static_cast<int>(service);
    k_ = k;
    fired_ = false;
}

void FaultPlan::clear() {
    calls_ = {};
    target_ = -1;
    k_ = 0;
    fired_ = false;
}

bool FaultPlan::refuses(Service service) {
    const int kind = static_cast<int>(service);
    const int call = ++calls_[kind];
    if (kind != target_ || call != k_)
        return false;
    fired_ = true;
    return true;
}

} // namespace host
