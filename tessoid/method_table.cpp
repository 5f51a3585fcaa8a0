// Record 3's operation slots. Each forwards to the object's virtual operation;
// nothing may throw across the boundary, so each catches and answers a code.
#include <new>

#include "plugin/exports.h"
#include "tessoid/property_page.h"
#include "tessoid/tessoid_object.h"

namespace tessoid {

namespace {

constexpr int32_t RESULT_FAILED = -1;

// The host knows an object by the ObjectBase pointer Create handed out.
ObjectBase* base(ObjectPtr object) {
    return static_cast<ObjectBase*>(object);
}
TessoidObject* mesh(ObjectPtr object) {
    return static_cast<TessoidObject*>(base(object));
}

template <typename F> int32_t guarded(ObjectPtr object, F f) {
    if (!object)
        return RESULT_NULL_RECORD;
    try {
        return f(base(object));
    } catch (...) {
        return RESULT_FAILED;
    }
}

// The scene operations keep the host's cookie and text function for the call.
void storeTextCall(int32_t cookie, TextFn text) {
    ObjectBase::streamCookie = cookie;
    ObjectBase::textSink = text;
}

ObjectPtr TESSOID_STDCALL createSlot(void* context) {
    TessoidObject* object = nullptr;
    try {
        object = new TessoidObject(static_cast<ObjectTypeInterface*>(context));
        if (object->InitialiseNew() == 0) {
            delete object;
            return nullptr;
        }
        return static_cast<ObjectBase*>(object);
    } catch (...) {
        delete object;
        return nullptr;
    }
}

int32_t TESSOID_STDCALL takePendingMeshSlot(ObjectPtr o) {
    return guarded(o, [](ObjectBase* b) { return b->TakePendingMesh(); });
}

int32_t TESSOID_STDCALL loadSlot(ObjectPtr o, StreamFn read, int32_t cookie, int32_t argument) {
    return guarded(o, [&](ObjectBase* b) {
        b->streamFn = read;
        ObjectBase::streamCookie = cookie;
        b->loadArgument = argument;
        return b->Load();
    });
}

int32_t TESSOID_STDCALL saveSlot(ObjectPtr o, StreamFn write, int32_t cookie) {
    return guarded(o, [&](ObjectBase* b) {
        b->streamFn = write;
        ObjectBase::streamCookie = cookie;
        return b->Save();
    });
}

int32_t TESSOID_STDCALL savedSizeSlot(ObjectPtr o) {
    return guarded(o, [](ObjectBase* b) { return b->SavedSize(); });
}

int32_t TESSOID_STDCALL copySlot(ObjectPtr target, ObjectPtr source) {
    if (!source)
        return RESULT_NULL_RECORD;
    return guarded(target, [&](ObjectBase*) {
        mesh(target)->CopyFrom(*mesh(source));
        return RESULT_OK;
    });
}

void TESSOID_STDCALL destroySlot(ObjectPtr o) {
    delete base(o);
}

int32_t TESSOID_STDCALL auxQuerySlot(ObjectPtr o, int32_t a, int32_t b, int32_t c, int32_t* out,
                                     int32_t e) {
    return guarded(o, [&](ObjectBase* x) { return x->AuxQuery(a, b, c, out, e); });
}

int32_t TESSOID_STDCALL getMasksSlot(ObjectPtr o, uint32_t* first, uint32_t* second) {
    return guarded(o, [&](ObjectBase* b) { return b->GetMasks(first, second); });
}

int32_t TESSOID_STDCALL enumVerticesAndEdgesSlot(ObjectPtr o, void* context, VertexFn vertexFn,
                                                 EdgeFn edgeFn) {
    return guarded(
        o, [&](ObjectBase* b) { return b->EnumVerticesAndEdges(context, vertexFn, edgeFn); });
}

int32_t TESSOID_STDCALL writeSceneSlot(ObjectPtr o, int32_t cookie, const char* name, TextFn text) {
    return guarded(o, [&](ObjectBase* b) {
        storeTextCall(cookie, text);
        return b->WriteScene(name);
    });
}

int32_t TESSOID_STDCALL markDeclaredSlot(ObjectPtr o, int32_t cookie, TextFn text) {
    return guarded(o, [&](ObjectBase* b) {
        storeTextCall(cookie, text);
        return b->MarkDeclared();
    });
}

int32_t TESSOID_STDCALL sceneQuerySlot(ObjectPtr o, int32_t cookie, int32_t argument, TextFn text) {
    return guarded(o, [&](ObjectBase* b) {
        storeTextCall(cookie, text);
        return b->SceneQuery(argument);
    });
}

int32_t TESSOID_STDCALL markDeclaredAgainSlot(ObjectPtr o, int32_t cookie, TextFn text) {
    return guarded(o, [&](ObjectBase* b) {
        storeTextCall(cookie, text);
        return b->MarkDeclaredAgain();
    });
}

int32_t TESSOID_STDCALL updateFlagsSlot(ObjectPtr o, int32_t keepMask, int32_t setBits) {
    return guarded(o, [&](ObjectBase* b) {
        b->flags = (b->flags & keepMask) | setBits;
        return b->flags;
    });
}

int32_t TESSOID_STDCALL enumEdgesSlot(ObjectPtr o, void* context, SegmentFn segmentFn) {
    return guarded(o, [&](ObjectBase* b) { return b->EnumEdges(context, segmentFn); });
}

int32_t TESSOID_STDCALL optionalQuerySlot(ObjectPtr o, int32_t a, int32_t b) {
    return guarded(o, [&](ObjectBase* x) { return x->OptionalQuery(a, b); });
}

int32_t TESSOID_STDCALL buildMeshSlot(ObjectPtr o, int32_t ignored, HostBuilder* builder) {
    return guarded(o, [&](ObjectBase* b) { return b->BuildMesh(ignored, builder); });
}

void* TESSOID_STDCALL getPropertyPageSlot() {
    return GetPropertyPage();
}

void TESSOID_STDCALL releasePropertyPageSlot(void* resource) {
    ReleasePropertyPage(resource);
}

int32_t TESSOID_STDCALL getValueInfoSlot(ObjectPtr o, int32_t id, ValueDescriptor* out) {
    if (!o)
        return 0;
    return guarded(o, [&](ObjectBase* b) { return b->GetValueInfo(id, out) & 0xff; });
}

int32_t TESSOID_STDCALL valueChangedSlot(ObjectPtr o, int32_t id, double value) {
    return guarded(o, [&](ObjectBase* b) { return b->ValueChanged(id, value); });
}

int32_t TESSOID_STDCALL probeSlot(ObjectPtr o, int32_t argument) {
    return guarded(o, [&](ObjectBase* b) { return b->Probe(argument); });
}

} // namespace

void InstallObjectTypeSlots(ObjectTypeInterface& record) {
    record.create = createSlot;
    record.takePendingMesh = takePendingMeshSlot;
    record.load = loadSlot;
    record.save = saveSlot;
    record.savedSize = savedSizeSlot;
    record.copy = copySlot;
    record.destroy = destroySlot;
    record.auxQuery = auxQuerySlot;
    record.getMasks = getMasksSlot;
    record.enumVerticesAndEdges = enumVerticesAndEdgesSlot;
    record.writeScene = writeSceneSlot;
    record.markDeclared = markDeclaredSlot;
    record.sceneQuery = sceneQuerySlot;
    record.markDeclaredAgain = markDeclaredAgainSlot;
    record.updateFlags = updateFlagsSlot;
    record.enumEdges = enumEdgesSlot;
    record.optionalQuery = optionalQuerySlot;
    record.buildMesh = buildMeshSlot;
    record.getPropertyPage = getPropertyPageSlot;
    record.releasePropertyPage = releasePropertyPageSlot;
    record.getValueInfo = getValueInfoSlot;
    record.valueChanged = valueChangedSlot;
    // The host creates the page window with this procedure; it has a window
    // procedure's signature, which is the slot's on this ABI.
    record.pageWindowProc = reinterpret_cast<PageWindowProcFn>(&PropertyPage::StartProc);
    record.probe = probeSlot;
}

} // namespace tessoid
