// 3DS materials into host library-item trees: material, standard texture,
// pigment (solid colour or image map), finish, ambient colour.
#include <cstring>
#include <memory>
#include <strings.h>

#include "import/import_command.h"
#include "import/import_context.h"
#include "import/sanitize_name.h"
#include "plugin/host_object_record.h"
#include "plugin/host_services.h"
#include "plugin/import_records.h"

namespace tessoid {

namespace {

HostHandle createItem(int32_t type, HostHandle parent, const std::string& name) {
    LibraryItemSpec spec{};
    spec.type = type;
    spec.parent = parent;
    std::strncpy(spec.name, name.c_str(), sizeof(spec.name) - 1);
    HostHandle handle = 0;
    if (host::CreateObject(KIND_LIBRARY_ITEM, &spec, &handle) != 0)
        return 0;
    return handle;
}

// Reads an item's record, lets `fill` set its values and writes them back.
template <typename Fill> void writeItemValues(HostHandle item, Fill fill) {
    auto record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(record.get(), true, false);
    // Writing back a record that was never read would blank the item's other values.
    if (host::GetObjectInfo(item, record.get()) != 0) {
        DebugLine("Failed to read a material item\n");
        return;
    }
    fill(*record);
    host::SetObjectInfo(item, record.get(), MASK_LIBRARY_ITEM);
}

void writeColour(HostObjectRecord& r, double red, double green, double blue, double c4, double c5) {
    WriteRecordField(r, COLOUR_RED, red);
    WriteRecordField(r, COLOUR_GREEN, green);
    WriteRecordField(r, COLOUR_BLUE, blue);
    WriteRecordField(r, COLOUR_COMPONENT4, c4);
    WriteRecordField(r, COLOUR_COMPONENT5, c5);
}

int32_t imageTypeOf(const char* fileName) {
    static const struct {
        const char* extension;
        int32_t type;
    } types[] = {{"gif", 0}, {"tga", 1}, {"iff", 2}, {"ppm", 3}, {"pgm", 4}, {"png", 5}};
    const char* extension = FileExtension(fileName);
    if (extension)
        for (const auto& t : types)
            if (strcasecmp(extension, t.extension) == 0)
                return t.type;
    return 6;
}

} // namespace

HostHandle BuildSolidColourPigment(ImportContext&, const tds::MaterialRecord& material,
                                   HostHandle pigment) {
    HostHandle colour = createItem(ITEM_SOLID_COLOUR, pigment, "");
    if (!colour) {
        DebugLine("Failed to create solid color\n");
        return 0;
    }
    writeItemValues(colour, [&](HostObjectRecord& r) {
        double t = material.transparency;
        writeColour(r, material.diffuse.r, material.diffuse.g, material.diffuse.b,
                    material.additive ? t : 0.0, material.additive ? 0.0 : t);
    });
    return colour;
}

void BuildImageMapPigment(ImportContext&, const tds::MaterialRecord& material, HostHandle pigment) {
    HostHandle image = createItem(ITEM_IMAGE_MAP, pigment, "");
    if (!image) {
        DebugLine("Failed to create solid color\n");
        return;
    }
    const tds::TextureMap& map = material.texture1;
    writeItemValues(image, [&](HostObjectRecord& r) {
        char name[IMAGE_FILE_NAME_SIZE] = {};
        std::strncpy(name, map.fileName, sizeof(map.fileName));
        name[sizeof(name) - 1] = '\0';
        std::memcpy(reinterpret_cast<uint8_t*>(&r) + IMAGE_FILE_NAME, name, sizeof(name));
        WriteRecordField<int32_t>(r, IMAGE_TYPE, imageTypeOf(name));
        WriteRecordField<int32_t>(r, IMAGE_WORD_280, 8);
        WriteRecordField<int32_t>(r, IMAGE_ONCE, (map.tiling == 1 || map.tiling == 3) ? 0 : 1);
        WriteRecordField<int32_t>(r, IMAGE_WORD_288, 1);
        WriteRecordField<int32_t>(r, IMAGE_WORD_292, 2);
        for (size_t i = 0; i < 4; ++i) {
            WriteRecordField<int32_t>(r, IMAGE_WORDS_296 + 4 * i, 0);
            WriteRecordField<int32_t>(r, IMAGE_WORDS_2360 + 4 * i, 0);
        }
        WriteRecordField<int32_t>(r, IMAGE_WORD_4424, 0);
    });
}

void ImportMaterial(ImportContext& context, const tds::MaterialRecord& material) {
    std::string name = SanitizeName(material.name, MATERIAL_NAME_MAX);
    HostHandle item = createItem(ITEM_MATERIAL, 0, name);
    if (!item) {
        DebugLine("Failed to create material\n");
        return;
    }
    HostHandle texture = createItem(ITEM_STANDARD_TEXTURE, item, "");
    if (!texture) {
        DebugLine("Failed to create standard texture\n");
        return;
    }
    HostHandle pigment = createItem(ITEM_PIGMENT, texture, "");
    if (!pigment) {
        DebugLine("Failed to create pigment\n");
    } else if (material.texture1.percent > 0) {
        BuildImageMapPigment(context, material, pigment);
    } else {
        BuildSolidColourPigment(context, material, pigment);
    }
    HostHandle finish = createItem(ITEM_FINISH, texture, "");
    if (!finish) {
        DebugLine("Failed to create finish\n");
        return;
    }
    writeItemValues(finish, [&](HostObjectRecord& r) {
        WriteRecordField(r, FINISH_A, 1.0);
        WriteRecordField(r, FINISH_B, 1.0);
        WriteRecordField(r, FINISH_SHININESS_STRENGTH,
                         static_cast<double>(material.shininessStrength));
        WriteRecordField(r, FINISH_C, 40.0);
        WriteRecordField(r, FINISH_D, 0.0);
        WriteRecordField(r, FINISH_E, 1.0);
        for (size_t i = 0; i < 3; ++i)
            WriteRecordField<int32_t>(r, FINISH_WORDS + 4 * i, 0);
    });
    const tds::Color& ambient = material.ambient;
    if (ambient.r > 0 || ambient.g > 0 || ambient.b > 0) {
        HostHandle colour = createItem(ITEM_AMBIENT_COLOUR, finish, "");
        if (!colour) {
            DebugLine("Failed to create ambient color\n");
            return;
        }
        writeItemValues(colour, [&](HostObjectRecord& r) {
            writeColour(r, ambient.r, ambient.g, ambient.b, 0.0, 0.0);
        });
    }
}

} // namespace tessoid
