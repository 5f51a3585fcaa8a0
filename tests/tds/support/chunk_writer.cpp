#include "chunk_writer.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace tds::test {

ChunkWriter& ChunkWriter::begin(uint16_t id) {
    open_.push_back(data_.size());
    u16(id);
    return u32(0);
}

ChunkWriter& ChunkWriter::end() {
    const size_t start = open_.back();
    open_.pop_back();
    patchU32(start + 2, static_cast<uint32_t>(data_.size() - start));
    return *this;
}

ChunkWriter& ChunkWriter::header(uint16_t id, uint32_t length) {
    return u16(id).u32(length);
}

ChunkWriter& ChunkWriter::rawChunk(uint16_t id, const std::vector<uint8_t>& payload) {
    header(id, static_cast<uint32_t>(payload.size() + 6));
    return bytes(payload.data(), payload.size());
}

ChunkWriter& ChunkWriter::u8(uint8_t v) {
    data_.push_back(v);
    return *this;
}

ChunkWriter& ChunkWriter::u16(uint16_t v) {
    data_.push_back(static_cast<uint8_t>(v));
    data_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

ChunkWriter& ChunkWriter::u32(uint32_t v) {
    for (int i = 0; i < 4; ++i)
        data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
}

ChunkWriter& ChunkWriter::f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
}

ChunkWriter& ChunkWriter::str(const std::string& s) {
    return chars(s).u8(0);
}

ChunkWriter& ChunkWriter::chars(const std::string& s) {
    return bytes(s.data(), s.size());
}

ChunkWriter& ChunkWriter::bytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    data_.insert(data_.end(), p, p + size);
    return *this;
}

ChunkWriter& ChunkWriter::fill(uint8_t value, size_t count) {
    data_.insert(data_.end(), count, value);
    return *this;
}

ChunkWriter& ChunkWriter::colorByte(uint8_t r, uint8_t g, uint8_t b) {
    return begin(0x0011).u8(r).u8(g).u8(b).end();
}

ChunkWriter& ChunkWriter::percentInt(int16_t value) {
    return int16Chunk(0x0030, value);
}

ChunkWriter& ChunkWriter::stringChunk(uint16_t id, const std::string& s) {
    return begin(id).str(s).end();
}

ChunkWriter& ChunkWriter::int16Chunk(uint16_t id, int16_t value) {
    return begin(id).i16(value).end();
}

ChunkWriter& ChunkWriter::floatChunk(uint16_t id, float value) {
    return begin(id).f32(value).end();
}

ChunkWriter& ChunkWriter::vertices(const std::vector<Vec3>& points) {
    begin(0x4110).u16(static_cast<uint16_t>(points.size()));
    data_.reserve(data_.size() + points.size() * 12);
    for (const Vec3& p : points)
        point(p.x, p.y, p.z);
    return end();
}

ChunkWriter& ChunkWriter::texCoords(const std::vector<float>& uv) {
    begin(0x4140).u16(static_cast<uint16_t>(uv.size() / 2));
    for (float v : uv)
        f32(v);
    return end();
}

ChunkWriter& ChunkWriter::beginFaces(const std::vector<uint16_t>& abcFlags) {
    begin(0x4120).u16(static_cast<uint16_t>(abcFlags.size() / 4));
    for (uint16_t v : abcFlags)
        u16(v);
    return *this;
}

ChunkWriter& ChunkWriter::faceMaterial(const std::string& name,
                                       const std::vector<uint16_t>& faces) {
    begin(0x4130).str(name).u16(static_cast<uint16_t>(faces.size()));
    for (uint16_t f : faces)
        u16(f);
    return end();
}

ChunkWriter& ChunkWriter::smoothGroups(const std::vector<uint32_t>& masks) {
    begin(0x4150);
    for (uint32_t m : masks)
        u32(m);
    return end();
}

ChunkWriter& ChunkWriter::nodeHeader(const std::string& name, uint16_t flags1, uint16_t flags2,
                                     int16_t parent) {
    return begin(0xB010).str(name).u16(flags1).u16(flags2).i16(parent).end();
}

void ChunkWriter::patchU32(size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        data_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

namespace {

std::atomic<unsigned> gCounter{0};

std::string freshName(const std::string& prefix, const std::string& suffix) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    for (;;) {
        const std::string leaf = prefix +
                                 std::to_string(static_cast<unsigned>(std::time(nullptr))) + "_" +
                                 std::to_string(++gCounter) + suffix;
        const std::filesystem::path p = (ec ? std::filesystem::path(".") : dir) / leaf;
        if (!std::filesystem::exists(p, ec))
            return p.string();
    }
}

} // namespace

bool writeFile(const std::string& path, const std::vector<uint8_t>& contents) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(contents.data(), 1, contents.size(), f) == contents.size();
    return std::fclose(f) == 0 && ok;
}

TempFile::TempFile(const std::vector<uint8_t>& contents, const std::string& suffix)
    : path_(freshName("tdschunk_", suffix)) {
    writeFile(path_, contents);
}

TempFile::~TempFile() {
    std::remove(path_.c_str());
}

TempDir::TempDir() : path_(freshName("tdsdir_", "")) {
    std::error_code ec;
    std::filesystem::create_directories(path_, ec);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

} // namespace tds::test
