// Material records out of the material entries of a database.
#include <new>

#include "tds/chunk/errors.h"
#include "tds/extract/extract_ids.h"
#include "tds/extract/extract_util.h"
#include "tds/extract/material_record.h"

namespace tds {
namespace {

using detail::byteToUnit;
using detail::childWithId;
using detail::copyName;

// Int16 percentages are whole percents; the factor is the float nearest 0.01.
float percentFromInt(int16_t value) {
    return static_cast<float>(value) * 0.01f;
}

Color colorFrom(const ColorByteData& c) {
    return {byteToUnit(c.r), byteToUnit(c.g), byteToUnit(c.b)};
}

// A percentage chunk's value from its int or float child; the later one wins.
float readPercent(ChunkNode* node) {
    float value = 0.0f;
    for (ChunkNode* c = node->children; c; c = c->next) {
        if (c->id == CK_PERCENT_INT) {
            if (const Int16Data* d = readChunkDataAs<Int16Data>(c))
                value = percentFromInt(d->value);
        } else if (c->id == CK_PERCENT_FLOAT) {
            if (const FloatData* d = readChunkDataAs<FloatData>(c))
                value = d->value;
        }
    }
    return value;
}

// A colour chunk: its 24-bit child, replaced by a linear 24-bit child when
// there is one. Without the 24-bit child the colour is left as it was.
void readColor(ChunkNode* node, Color& out) {
    ChunkNode* rgb = childWithId(node, CK_RGB_BYTE);
    if (!rgb) {
        pushError(ERR_UNFOUND_CHUNK);
        return;
    }
    if (const ColorByteData* d = readChunkDataAs<ColorByteData>(rgb))
        out = colorFrom(*d);
    if (ChunkNode* linear = childWithId(node, CK_RGB_BYTE_LINEAR))
        if (const ColorByteData* d = readChunkDataAs<ColorByteData>(linear))
            out = colorFrom(*d);
}

void decodeTilingWord(TextureMap& m, uint16_t w) {
    auto bit = [w](int n) { return (w >> n) & 1u; };
    m.tiling = !bit(0) ? 1 : bit(4) ? 2 : 3;
    m.ignoreAlpha = static_cast<uint8_t>(bit(8));
    m.filter = static_cast<int32_t>(bit(5));
    m.mirror = static_cast<uint8_t>(bit(1));
    m.negative = static_cast<uint8_t>(bit(3));
    if (bit(7))
        m.tintType = bit(6) ? 3 : 2;
    else
        m.tintType = bit(9) ? 4 : static_cast<int32_t>(bit(6));
}

// Fills a map from the children of its map chunk; the map is not reset first.
void fillTextureMap(TextureMap& m, ChunkNode* node) {
    for (ChunkNode* c = node->children; c; c = c->next) {
        float* value = nullptr;
        Color* tint = nullptr;
        switch (c->id) {
        case CK_PERCENT_INT:
            if (const Int16Data* d = readChunkDataAs<Int16Data>(c))
                m.percent = percentFromInt(d->value);
            break;
        case CK_PERCENT_FLOAT:
            value = &m.percent;
            break;
        case CK_MAP_FILE_NAME:
            if (const StringData* d = readChunkDataAs<StringData>(c))
                copyName(m.fileName, d->value);
            break;
        case CK_MAP_TILING:
            if (const Uint16Data* d = readChunkDataAs<Uint16Data>(c))
                decodeTilingWord(m, d->value);
            break;
        case CK_MAP_BLUR:
            value = &m.blur;
            break;
        case CK_MAP_U_SCALE:
            value = &m.uScale;
            break;
        case CK_MAP_V_SCALE:
            value = &m.vScale;
            break;
        case CK_MAP_U_OFFSET:
            value = &m.uOffset;
            break;
        case CK_MAP_V_OFFSET:
            value = &m.vOffset;
            break;
        case CK_MAP_ROTATION:
            value = &m.rotation;
            break;
        case CK_MAP_TINT_1:
            tint = &m.tint1;
            break;
        case CK_MAP_TINT_2:
            tint = &m.tint2;
            break;
        case CK_MAP_TINT_R:
            tint = &m.redTint;
            break;
        case CK_MAP_TINT_G:
            tint = &m.greenTint;
            break;
        case CK_MAP_TINT_B:
            tint = &m.blueTint;
            break;
        default:
            break;
        }
        if (value)
            if (const FloatData* d = readChunkDataAs<FloatData>(c))
                *value = d->value;
        if (tint)
            if (const ColorByteData* d = readChunkDataAs<ColorByteData>(c))
                *tint = colorFrom(*d);
        if (mustStop())
            return;
    }
}

TextureMap* mapOf(MaterialRecord& r, uint32_t id) {
    switch (id) {
    case CK_MAT_TEXTURE_MAP:
        return &r.texture1;
    case CK_MAT_TEXTURE_MASK:
        return &r.texture1Mask;
    case CK_MAT_TEXTURE2_MAP:
        return &r.texture2;
    case CK_MAT_TEXTURE2_MASK:
        return &r.texture2Mask;
    case CK_MAT_OPACITY_MAP:
        return &r.opacityMap;
    case CK_MAT_OPACITY_MASK:
        return &r.opacityMask;
    case CK_MAT_BUMP_MAP:
        return &r.bumpMap;
    case CK_MAT_BUMP_MASK:
        return &r.bumpMask;
    case CK_MAT_SPECULAR_MAP:
        return &r.specularMap;
    case CK_MAT_SPECULAR_MASK:
        return &r.specularMask;
    case CK_MAT_SHININESS_MAP:
        return &r.shininessMap;
    case CK_MAT_SHININESS_MASK:
        return &r.shininessMask;
    case CK_MAT_SELF_ILLUM_MAP:
        return &r.selfIllumMap;
    case CK_MAT_SELF_ILLUM_MASK:
        return &r.selfIllumMask;
    case CK_MAT_REFLECTION_MAP:
        return &r.reflectionMap;
    case CK_MAT_REFLECTION_MASK:
        return &r.reflectionMask;
    default:
        return nullptr;
    }
}

// The map whose procedural parameters a CK_MAP_PROC_DATA family id carries.
TextureMap* procedureMapOf(MaterialRecord& r, uint32_t id) {
    switch (id) {
    case CK_MAP_PROC_DATA:
        return &r.texture1;
    case CK_MAP_PROC_TEXTURE2_MAP:
        return &r.texture2;
    case CK_MAP_PROC_OPACITY_MAP:
        return &r.opacityMap;
    case CK_MAP_PROC_BUMP_MAP:
        return &r.bumpMap;
    case CK_MAP_PROC_SPECULAR_MAP:
        return &r.specularMap;
    case CK_MAP_PROC_SHININESS_MAP:
        return &r.shininessMap;
    case CK_MAP_PROC_SELF_ILLUM_MAP:
        return &r.selfIllumMap;
    case CK_MAP_PROC_TEXTURE_MASK:
        return &r.texture1Mask;
    case CK_MAP_PROC_TEXTURE2_MASK:
        return &r.texture2Mask;
    case CK_MAP_PROC_OPACITY_MASK:
        return &r.opacityMask;
    case CK_MAP_PROC_BUMP_MASK:
        return &r.bumpMask;
    case CK_MAP_PROC_SPECULAR_MASK:
        return &r.specularMask;
    case CK_MAP_PROC_SHININESS_MASK:
        return &r.shininessMask;
    case CK_MAP_PROC_SELF_ILLUM_MASK:
        return &r.selfIllumMask;
    case CK_MAP_PROC_REFLECTION_MASK:
        return &r.reflectionMask;
    default:
        return nullptr;
    }
}

float* percentOf(MaterialRecord& r, uint32_t id) {
    switch (id) {
    case CK_MAT_SHININESS:
        return &r.shininess;
    case CK_MAT_SHININESS_STRENGTH:
        return &r.shininessStrength;
    case CK_MAT_TRANSPARENCY:
        return &r.transparency;
    case CK_MAT_TRANSPARENCY_FALLOFF:
        return &r.transparencyFalloff;
    case CK_MAT_REFLECT_BLUR:
        return &r.reflectionBlur;
    case CK_MAT_SELF_ILLUM:
        return &r.selfIllumination;
    default:
        return nullptr;
    }
}

uint8_t* flagOf(MaterialRecord& r, uint32_t id) {
    switch (id) {
    case detail::CK_MAT_USE_REFLECT_BLUR:
        return &r.useReflectionBlur;
    case detail::CK_MAT_USE_FALLOFF:
        return &r.useTransparencyFalloff;
    case detail::CK_MAT_TWO_SIDED:
        return &r.twoSided;
    case detail::CK_MAT_SELF_ILLUM_ON:
        return &r.selfIlluminated;
    case detail::CK_MAT_ADDITIVE:
        return &r.additive;
    case detail::CK_MAT_WIRE_ABSOLUTE:
        return &r.wireAbsolute;
    case detail::CK_MAT_FACE_MAP:
        return &r.faceMapped;
    case detail::CK_MAT_SOFTEN:
        return &r.soften;
    default:
        return nullptr;
    }
}

// Reads one child of a material entry (a private copy) into the record.
void readMaterialChild(MaterialRecord& r, ChunkNode* c) {
    const uint32_t id = c->id;
    if (float* percent = percentOf(r, id)) {
        *percent = readPercent(c);
        return;
    }
    if (uint8_t* flag = flagOf(r, id)) {
        *flag = 1;
        return;
    }
    if (TextureMap* map = mapOf(r, id)) {
        fillTextureMap(*map, c);
        if (id == CK_MAT_BUMP_MAP)
            if (ChunkNode* p = childWithId(c, CK_MAT_BUMP_PERCENT))
                if (const Int16Data* d = readChunkDataAs<Int16Data>(p))
                    map->percent = percentFromInt(d->value);
        return;
    }
    if (isMapProcData(id)) {
        TextureMap* map = procedureMapOf(r, id);
        if (RawData* d = map ? readChunkDataAs<RawData>(c) : nullptr) {
            map->procedureData = std::move(d->bytes);
            d->bytes.clear();
            d->count = 0;
            map->procedureSize = static_cast<uint32_t>(map->procedureData.size());
        }
        if (map)
            return;
    }
    switch (id) {
    case CK_MATERIAL_NAME:
        if (const StringData* d = readChunkDataAs<StringData>(c))
            copyName(r.name, d->value);
        return;
    case CK_MAT_AMBIENT:
        readColor(c, r.ambient);
        return;
    case CK_MAT_DIFFUSE:
        readColor(c, r.diffuse);
        return;
    case CK_MAT_SPECULAR:
        readColor(c, r.specular);
        return;
    case detail::CK_MAT_FALLOFF_IN:
        r.transparency = -r.transparency;
        return;
    case CK_MAT_WIRE_SIZE:
        if (const FloatData* d = readChunkDataAs<FloatData>(c))
            r.wireSize = d->value;
        return;
    case CK_MAT_SHADING:
        if (const Int16Data* d = readChunkDataAs<Int16Data>(c))
            r.shading = d->value;
        return;
    case detail::CK_MAT_WIRE:
        r.shading = 0;
        return;
    case CK_MAT_AUTO_REFLECT:
        r.useAutoReflection = 1;
        if (const AutoReflectData* d = readChunkDataAs<AutoReflectData>(c)) {
            const uint16_t f = static_cast<uint16_t>(d->flags);
            r.autoReflectionFlagA = (f & 0x01) && (f & 0x08) ? 1 : 0;
            r.autoReflectionFlagB = (f & 0x01) && (f & 0x10) ? 1 : 0;
            r.autoReflectionSize = static_cast<int32_t>(d->size);
            r.autoReflectionFrameStep = static_cast<int32_t>(d->frameStep);
        }
        return;
    default:
        pushError(ERR_INVALID_CHUNK);
        return;
    }
}

void fillMaterial(ChunkNode* entry, MaterialRecord** record) {
    if (!entry || entry->id != CK_MATERIAL) {
        pushError(ERR_INVALID_CHUNK);
        return;
    }
    PrepareMaterialRecord(record);
    if (!*record)
        return;
    for (ChunkNode* c = entry->children; c; c = c->next) {
        // Other applications' data and the third shininess value carry nothing here.
        if ((c->id & 0xFF00) == 0x8000 || c->id == CK_MAT_SHININESS_3)
            continue;
        detail::PrivateCopy copy(c);
        if (copy.get()) {
            readChunkData(copy.get());
            readMaterialChild(**record, copy.get());
        }
        if (mustStop())
            return;
    }
}

} // namespace

void PrepareMaterialRecord(MaterialRecord** record) {
    detail::prepareRecord(record);
}

void FreeMaterialRecord(MaterialRecord** record) {
    detail::freeRecord(record);
}

void RefreshMaterialIndex(ChunkDatabase* db) {
    if (!db) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!db->materialIndexStale)
        return;
    db->materialIndexStale = false;
    freeChunkIndex(&db->materialIndex);

    ChunkNode* section = nullptr;
    findChunk(db->top, CK_EDITOR, &section);
    if (!section)
        findChunk(db->top, CK_MATERIAL_LIBRARY, &section);
    uint32_t count = 0;
    for (ChunkNode* c = section ? section->children : nullptr; c; c = c->next)
        if (c->id == CK_MATERIAL)
            ++count;
    // Unlike the object index, this one is built whatever error is pending:
    // counting materials does not depend on earlier failures.
    allocChunkIndex(&db->materialIndex, count);
    if (!db->materialIndex || db->materialIndex->count != count)
        return;
    uint32_t i = 0;
    for (ChunkNode* c = section ? section->children : nullptr; c && i < count; c = c->next)
        if (c->id == CK_MATERIAL)
            db->materialIndex->entries[i++].chunk = c;
    try {
        for (ChunkIndexEntry& e : db->materialIndex->entries)
            if (const StringData* name =
                    detail::optionalData<StringData>(childWithId(e.chunk, CK_MATERIAL_NAME)))
                e.name = name->value;
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

uint32_t CountMaterials(ChunkDatabase* db) {
    if (!db) {
        pushError(ERR_INVALID_ARG);
        return 0;
    }
    RefreshMaterialIndex(db);
    return db->materialIndex ? db->materialIndex->count : 0;
}

void FetchMaterialByIndex(ChunkDatabase* db, uint32_t index, MaterialRecord** record) {
    if (!record || !db) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!detail::checkDatabase(db, {CK_MATERIAL_LIBRARY, CK_MESH_FILE, CK_PROJECT_FILE}))
        return;
    RefreshMaterialIndex(db);
    if (mustStop() || !db->materialIndex || index >= db->materialIndex->count)
        return;
    try {
        fillMaterial(db->materialIndex->entries[index].chunk, record);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

} // namespace tds
