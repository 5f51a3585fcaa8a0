// Builds chunk files byte by byte for tests and benchmarks.
//
//   ChunkWriter w;
//   w.begin(0x4D4D);            // opens a chunk; its length is patched by end()
//   w.begin(0x3D3D).end();
//   w.end();
//   TempFile f(w.bytes());      // written to a temporary file, removed on scope exit
//
// Everything is little-endian. Nothing is checked: malformed files are built on
// purpose with rawChunk() or by patching lengths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tds::test {

struct Vec3 {
    float x, y, z;
};

class ChunkWriter {
  public:
    // Opens a chunk with `id`; end() writes its length.
    ChunkWriter& begin(uint16_t id);
    ChunkWriter& end();
    // A complete chunk whose length field says `length`, whatever follows.
    ChunkWriter& header(uint16_t id, uint32_t length);
    // A complete chunk holding exactly `payload`.
    ChunkWriter& rawChunk(uint16_t id, const std::vector<uint8_t>& payload);

    ChunkWriter& u8(uint8_t v);
    ChunkWriter& i16(int16_t v) { return u16(static_cast<uint16_t>(v)); }
    ChunkWriter& u16(uint16_t v);
    ChunkWriter& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    ChunkWriter& u32(uint32_t v);
    ChunkWriter& f32(float v);
    ChunkWriter& point(float x, float y, float z) { return f32(x).f32(y).f32(z); }
    // The characters and a zero byte.
    ChunkWriter& str(const std::string& s);
    // The characters without a zero byte.
    ChunkWriter& chars(const std::string& s);
    ChunkWriter& bytes(const void* data, size_t size);
    ChunkWriter& fill(uint8_t value, size_t count);

    // Convenience chunks.
    ChunkWriter& colorByte(uint8_t r, uint8_t g, uint8_t b);     // CK_RGB_BYTE
    ChunkWriter& percentInt(int16_t value);                      // CK_PERCENT_INT
    ChunkWriter& stringChunk(uint16_t id, const std::string& s); // id + string payload
    ChunkWriter& int16Chunk(uint16_t id, int16_t value);
    ChunkWriter& floatChunk(uint16_t id, float value);
    ChunkWriter& vertices(const std::vector<Vec3>& points); // CK_VERTICES
    ChunkWriter& texCoords(const std::vector<float>& uv);   // CK_TEX_COORDS, u v pairs
    // CK_FACES with its array; call end() after adding face material / smoothing children.
    ChunkWriter& beginFaces(const std::vector<uint16_t>& abcFlags); // 4 values per face
    ChunkWriter& faceMaterial(const std::string& name, const std::vector<uint16_t>& faces);
    ChunkWriter& smoothGroups(const std::vector<uint32_t>& masks);
    // CK_NODE_HEADER
    ChunkWriter& nodeHeader(const std::string& name, uint16_t flags1, uint16_t flags2,
                            int16_t parent);

    size_t size() const { return data_.size(); }
    const std::vector<uint8_t>& bytes() const { return data_; }
    std::vector<uint8_t> take() { return std::move(data_); }
    // Overwrites 4 bytes at `offset` (for length faults).
    void patchU32(size_t offset, uint32_t value);

  private:
    std::vector<uint8_t> data_;
    std::vector<size_t> open_;
};

// A file with the given bytes under a fresh temporary name, removed on destruction.
class TempFile {
  public:
    explicit TempFile(const std::vector<uint8_t>& contents, const std::string& suffix = ".3ds");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }
    const char* c_str() const { return path_.c_str(); }

  private:
    std::string path_;
};

// A fresh directory under the system temporary directory, removed (with its
// files) on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

bool writeFile(const std::string& path, const std::vector<uint8_t>& contents);

} // namespace tds::test
