// Builds 3DS files byte by byte for the reader's tests and the fuzzer's seed corpus.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace file3ds {

inline std::string u16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }

inline std::string u32(uint32_t v) {
  return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                     char((v >> 24) & 0xFF)};
}

inline std::string f32(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return u32(bits);
}

// Text with its terminating zero.
inline std::string text(const std::string& s) { return s + std::string(1, '\0'); }

// A chunk: id, length counting the 6 header bytes, then the data.
inline std::string chunk(uint16_t id, const std::string& data) {
  return u16(id) + u32(uint32_t(data.size() + 6)) + data;
}

inline std::string vertices(const std::vector<float>& xyz) {
  std::string data = u16(uint16_t(xyz.size() / 3));
  for (float f : xyz) data += f32(f);
  return chunk(0x4110, data);
}

// Face list: the faces, then any sub-chunks (material groups) inside the same chunk.
inline std::string faces(const std::vector<int>& abc, const std::string& subChunks = "") {
  std::string data = u16(uint16_t(abc.size() / 3));
  for (size_t i = 0; i < abc.size(); i += 3)
    data += u16(uint16_t(abc[i])) + u16(uint16_t(abc[i + 1])) + u16(uint16_t(abc[i + 2])) + u16(7);
  return chunk(0x4120, data + subChunks);
}

inline std::string materialGroup(const std::string& name, const std::vector<int>& faceNumbers) {
  std::string data = text(name) + u16(uint16_t(faceNumbers.size()));
  for (int f : faceNumbers) data += u16(uint16_t(f));
  return chunk(0x4130, data);
}

inline std::string texCoords(const std::vector<float>& uv) {
  std::string data = u16(uint16_t(uv.size() / 2));
  for (float f : uv) data += f32(f);
  return chunk(0x4140, data);
}

inline std::string object(const std::string& name, const std::string& meshChunks) {
  return chunk(0x4000, text(name) + chunk(0x4100, meshChunks));
}

// A material with a name, a 24-bit diffuse colour and, if given, a texture map file.
inline std::string material(const std::string& name, uint8_t r, uint8_t g, uint8_t b,
                            const std::string& mapFile = "") {
  std::string data = chunk(0xA000, text(name));
  data += chunk(0xA020, chunk(0x0011, std::string{char(r), char(g), char(b)}));
  if (!mapFile.empty()) data += chunk(0xA200, chunk(0xA300, text(mapFile)));
  return chunk(0xAFFF, data);
}

inline std::string version(uint32_t v) { return chunk(0x0002, u32(v)); }

// Main chunk holding an editor chunk (mesh version first, as modelling tools write it).
inline std::string file(const std::string& editorChunks, const std::string& topChunks = "") {
  return chunk(0x4D4D, topChunks + chunk(0x3D3D, chunk(0x3D3E, u32(3)) + editorChunks));
}

// One textured square of two triangles with one material: a small complete model.
inline std::string squareModel() {
  std::string mesh = vertices({0, 0, 0, 0, -1, 0, 1, -1, 0, 1, 0, 0}) +
                     faces({0, 1, 2, 0, 2, 3}, materialGroup("steel", {0, 1})) +
                     texCoords({0, 0, 0, 1, 1, 1, 1, 0});
  return file(material("steel", 10, 20, 30, "steel.jpg") + object("square", mesh), version(3));
}

inline bool write(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace file3ds
