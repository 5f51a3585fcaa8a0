// Omni light and spotlight records out of the named objects of a database.
#include <new>

#include "tds/chunk/errors.h"
#include "tds/extract/extract_ids.h"
#include "tds/extract/extract_util.h"
#include "tds/extract/light_camera_record.h"
#include "tds/extract/mesh_record.h"

namespace tds {
namespace {

using detail::childWithId;

enum class LightKind { None, Omni, Spot };

LightKind lightKind(const ChunkNode* object) {
    const ChunkNode* light = childWithId(object, CK_LIGHT);
    if (!light)
        return LightKind::None;
    return childWithId(light, CK_SPOTLIGHT) ? LightKind::Spot : LightKind::Omni;
}

uint32_t countLights(ChunkDatabase* db, LightKind kind) {
    return detail::countObjects(db, [kind](ChunkNode* n) { return lightKind(n) == kind; });
}

void readFloatInto(ChunkNode* c, float& out) {
    if (const FloatData* d = readChunkDataAs<FloatData>(c))
        out = d->value;
}

void readLightChild(LightRecord& r, ChunkNode* c) {
    switch (c->id) {
    case CK_RGB_FLOAT:
        if (const ColorFloatData* d = readChunkDataAs<ColorFloatData>(c))
            r.color = {d->r, d->g, d->b};
        break;
    case CK_RGB_BYTE:
        if (const ColorByteData* d = readChunkDataAs<ColorByteData>(c))
            r.color = {detail::byteToUnit(d->r), detail::byteToUnit(d->g),
                       detail::byteToUnit(d->b)};
        break;
    case CK_LIGHT_MULTIPLIER:
        readFloatInto(c, r.multiplier);
        break;
    case CK_LIGHT_INNER_RANGE:
        readFloatInto(c, r.innerRange);
        break;
    case CK_LIGHT_OUTER_RANGE:
        readFloatInto(c, r.outerRange);
        break;
    case detail::CK_LIGHT_OFF:
        r.off = 1;
        break;
    case detail::CK_LIGHT_ATTENUATE:
        r.attenuated = 1;
        break;
    case CK_LIGHT_EXCLUDE:
        if (const StringData* d = readChunkDataAs<StringData>(c)) {
            StringList* list = r.excludeList.release();
            addToStringList(&list, d->value.c_str());
            r.excludeList.reset(list);
        }
        break;
    default:
        break;
    }
}

void readSpotChild(SpotParameters& s, ChunkNode* c) {
    switch (c->id) {
    case CK_SPOT_ROLL:
        readFloatInto(c, s.roll);
        break;
    case CK_SPOT_ASPECT:
        readFloatInto(c, s.aspect);
        break;
    case CK_LIGHT_RAY_BIAS:
        readFloatInto(c, s.rayBias);
        break;
    case detail::CK_SPOT_SHADOWED:
    case detail::CK_SPOT_SHADOWED_ALT:
        s.shadowed = 1;
        break;
    case detail::CK_SPOT_RAY_SHADOWS:
        s.rayShadows = 1;
        break;
    case detail::CK_SPOT_RECTANGULAR:
        s.rectangular = 1;
        break;
    case detail::CK_SPOT_SEE_CONE:
        s.seeCone = 1;
        break;
    case detail::CK_SPOT_OVERSHOOT:
        s.overshoot = 1;
        break;
    case CK_LIGHT_SHADOW:
        s.localShadow = 1;
        if (const LightShadowData* d = readChunkDataAs<LightShadowData>(c)) {
            s.shadowBias = d->bias;
            s.shadowFilter = d->filter;
            s.shadowMapSize = d->mapSize;
        }
        break;
    case CK_SPOT_PROJECTOR:
        s.hasProjector = 1;
        if (StringData* d = readChunkDataAs<StringData>(c))
            s.projectorName = std::move(d->value);
        break;
    default:
        break;
    }
}

void fillLight(ChunkNode* object, LightRecord** record) {
    const LightKind kind = lightKind(object);
    if (kind == LightKind::None) {
        pushError(ERR_WRONG_OBJECT);
        return;
    }
    detail::PrivateCopy copy(object);
    if (kind == LightKind::Spot)
        PrepareSpotlightRecord(record);
    else
        PrepareLightRecord(record);
    if (!*record || !copy.get())
        return;
    LightRecord& r = **record;

    if (const std::string* name = detail::objectName(copy.get()))
        detail::copyName(r.name, *name);
    // A copy cut short by a pending error may lack its light chunk.
    ChunkNode* light = childWithId(copy.get(), CK_LIGHT);
    if (!light)
        return;
    if (const PointData* d = readChunkDataAs<PointData>(light))
        r.position = d->value;
    for (ChunkNode* c = light->children; c; c = c->next)
        readLightChild(r, c);

    ChunkNode* spot = childWithId(light, CK_SPOTLIGHT);
    if (!spot || !r.spot)
        return;
    SpotParameters& s = *r.spot;
    if (const SpotlightData* d = readChunkDataAs<SpotlightData>(spot)) {
        s.target = d->target;
        s.hotspot = d->hotspot;
        s.falloff = d->falloff;
    }
    for (ChunkNode* c = spot->children; c; c = c->next)
        readSpotChild(s, c);
}

void fetchLight(ChunkDatabase* db, uint32_t index, LightRecord** record, LightKind kind) {
    if (!db || !record) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!detail::checkDatabase(db, {CK_MESH_FILE, CK_PROJECT_FILE}))
        return;
    try {
        if (ChunkNode* light =
                detail::nthObject(db, index, [kind](ChunkNode* n) { return lightKind(n) == kind; }))
            fillLight(light, record);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

} // namespace

void PrepareLightRecord(LightRecord** record) {
    detail::prepareRecord(record);
    if (!record || !*record)
        return;
    StringList* list = nullptr;
    allocStringList(&list);
    (*record)->excludeList.reset(list);
}

void PrepareSpotlightRecord(LightRecord** record) {
    PrepareLightRecord(record);
    if (!record || !*record)
        return;
    (*record)->spot.reset(new (std::nothrow) SpotParameters);
    if (!(*record)->spot)
        pushError(ERR_NO_MEM);
}

void FreeLightRecord(LightRecord** record) {
    detail::freeRecord(record);
}

uint32_t CountOmniLights(ChunkDatabase* db) {
    return countLights(db, LightKind::Omni);
}

uint32_t CountSpotlights(ChunkDatabase* db) {
    return countLights(db, LightKind::Spot);
}

void FetchOmniLightByIndex(ChunkDatabase* db, uint32_t index, LightRecord** record) {
    fetchLight(db, index, record, LightKind::Omni);
}

void FetchSpotlightByIndex(ChunkDatabase* db, uint32_t index, LightRecord** record) {
    fetchLight(db, index, record, LightKind::Spot);
}

} // namespace tds
