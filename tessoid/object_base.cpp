#include "tessoid/object_base.h"

#include <algorithm>
#include <cstring>

namespace tessoid {

int32_t ObjectBase::streamCookie = 0;
TextFn ObjectBase::textSink = nullptr;

ObjectBase::ObjectBase(ObjectTypeInterface* creationContext) : typeRecord(creationContext) {
    streamCookie = 0;
}

ObjectBase::~ObjectBase() = default;

int32_t ObjectBase::OptionalQuery(int32_t, int32_t) {
    return RESULT_NO_MORE;
}

int32_t ObjectBase::Probe(int32_t) {
    return 0;
}

int32_t ObjectBase::InitialiseNew() {
    return 1;
}

int32_t ObjectBase::SavedSize() {
    measuring = true;
    measuredBytes = 0;
    Save();
    measuring = false;
    return measuredBytes;
}

namespace {
// The host's stream functions take a signed 32-bit count; large arrays go in pieces.
constexpr uint32_t MAX_STREAM_CALL = 1u << 20;
} // namespace

void ObjectBase::streamWrite(const void* bytes, uint32_t count) {
    if (measuring) {
        // Saturate: a size the host cannot represent must not wrap to a small one.
        const uint32_t room = static_cast<uint32_t>(INT32_MAX - measuredBytes);
        measuredBytes = count > room ? INT32_MAX : measuredBytes + static_cast<int32_t>(count);
        return;
    }
    if (!streamFn)
        return;
    auto* p = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        const uint32_t piece = std::min(count, MAX_STREAM_CALL);
        streamFn(streamCookie, const_cast<uint8_t*>(p), static_cast<int32_t>(piece));
        p += piece;
        count -= piece;
    }
}

void ObjectBase::streamRead(void* buffer, uint32_t count, uint8_t fill) {
    std::memset(buffer, fill, count);
    if (!streamFn)
        return;
    auto* p = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const uint32_t piece = std::min(count, MAX_STREAM_CALL);
        streamFn(streamCookie, p, static_cast<int32_t>(piece));
        p += piece;
        count -= piece;
    }
}

} // namespace tessoid
