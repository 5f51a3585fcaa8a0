// The abstract scene object behind record 3's slots. Each slot's forwarder
// calls one virtual operation; the order below is the slot order of the type.
#pragma once

#include <cstdint>

#include "plugin/interface_records.h"

namespace tessoid {

class ObjectBase {
  public:
    explicit ObjectBase(ObjectTypeInterface* creationContext);
    virtual ~ObjectBase();
    ObjectBase(const ObjectBase&) = delete;
    ObjectBase& operator=(const ObjectBase&) = delete;

    virtual int32_t TakePendingMesh() = 0;
    virtual int32_t GetMasks(uint32_t* first, uint32_t* second) = 0;
    virtual int32_t OptionalQuery(int32_t a, int32_t b);
    virtual int32_t EnumVerticesAndEdges(void* context, VertexFn vertexFn, EdgeFn edgeFn) = 0;
    virtual int32_t EnumEdges(void* context, SegmentFn segmentFn) = 0;
    virtual int32_t BuildMesh(int32_t ignored, HostBuilder* builder) = 0;
    virtual int32_t AuxQuery(int32_t a, int32_t b, int32_t c, int32_t* out, int32_t e) = 0;
    virtual int32_t ValueChanged(int32_t id, double value) = 0;
    virtual int32_t Probe(int32_t argument);
    virtual int32_t GetValueInfo(int32_t id, ValueDescriptor* out) = 0;
    virtual int32_t SavedSize();
    virtual int32_t InitialiseNew();
    virtual int32_t Load() = 0;
    virtual int32_t Save() = 0;
    virtual int32_t WriteScene(const char* name) = 0;
    virtual int32_t MarkDeclared() = 0;
    virtual int32_t SceneQuery(int32_t argument) = 0;
    virtual int32_t MarkDeclaredAgain() = 0;
    virtual int32_t HostHookA(int32_t a) = 0;
    virtual int32_t HostHookB(int32_t a, int32_t b) = 0;
    virtual int32_t HostHookC(int32_t a) = 0;
    virtual int32_t HostHookD(int32_t a, int32_t b) = 0;
    virtual int32_t HostHookE(int32_t a) = 0;

    // Scene text flags.
    static constexpr int32_t FLAG_DECLARE = 1;  // write "#declare name = mesh {"
    static constexpr int32_t FLAG_DECLARED = 8; // already declared: a reference only

    StreamFn streamFn = nullptr; // read or write function of the current Load or Save
    int32_t measuredBytes = 0;   // bytes counted by a measuring Save
    bool measuring = false;      // writes only count their size
    int32_t loadArgument = 0;    // last Load's fourth argument, kept only
    int32_t flags = 0;
    ObjectTypeInterface* typeRecord; // the creation context given to Create

    // One stream or text call runs at a time, so these are process-wide.
    static int32_t streamCookie;
    static TextFn textSink;

  protected:
    // Hands bytes to the stream function, or only counts them while measuring.
    void streamWrite(const void* bytes, uint32_t count);
    // Fills `buffer` from the stream. The buffer is preset to `fill` first, so a
    // short read leaves known bytes rather than stale ones.
    void streamRead(void* buffer, uint32_t count, uint8_t fill = 0);
};

} // namespace tessoid
