// The two 3DS models: a twisted lattice sculpture for the grid room and a grate with railings for
// the title board's platform.
//
// Geometry is built in the show's axes (y up) and written in the file's axes: the reader turns
// a stored (x, y, z) into (x, z, -y), so a point (X, Y, Z) is stored as (X, -Z, Y). Triangles
// run clockwise seen from outside, so that the grid room's clockwise front-face culling keeps
// the near side of every bar; sphere-map reflections do not depend on the normal's sign.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "content.h"

namespace {

struct Vec3 {
  float x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalize(Vec3 a) {
  float m = std::sqrt(dot(a, a));
  return m > 0 ? a * (1 / m) : a;
}

struct Mesh {
  std::string name;
  std::vector<Vec3> vertices;
  std::vector<float> uv;  // two per vertex
  std::vector<uint16_t> faces;  // three per triangle

  int addVertex(Vec3 p, float u, float v) {
    vertices.push_back(p);
    uv.push_back(u);
    uv.push_back(v);
    return int(vertices.size()) - 1;
  }
  // Triangle a, b, c given counter-clockwise seen from outside; stored clockwise.
  void addTriangle(int a, int b, int c) {
    faces.push_back(uint16_t(a));
    faces.push_back(uint16_t(c));
    faces.push_back(uint16_t(b));
  }
};

// A closed prism of `sides` around the segment a..b. uvPerUnit sets how often the texture
// repeats along it; the seam vertex is duplicated only when withSeam is set (for models drawn
// with their own texture coordinates).
void addBar(Mesh& m, Vec3 a, Vec3 b, float radius, int sides, float uvPerUnit, bool withSeam, float twist = 0) {
  Vec3 axis = normalize(b - a);
  Vec3 helper = std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  Vec3 side1 = normalize(cross(axis, helper));
  Vec3 side2 = cross(axis, side1);
  float length = std::sqrt(dot(b - a, b - a));
  int ring = withSeam ? sides + 1 : sides;
  int base = int(m.vertices.size());
  for (int end = 0; end < 2; ++end)
    for (int i = 0; i < ring; ++i) {
      float ang = (i + 0.5f) * 2 * 3.14159265f / sides + twist;
      Vec3 off = side1 * (std::cos(ang) * radius) + side2 * (std::sin(ang) * radius);
      m.addVertex((end ? b : a) + off, end * length * uvPerUnit, float(i) / sides);
    }
  for (int i = 0; i < sides; ++i) {
    int j = withSeam ? i + 1 : (i + 1) % sides;
    // Ring vertices run counter-clockwise seen from b, so this quad faces outwards.
    m.addTriangle(base + i, base + j, base + ring + j);
    m.addTriangle(base + i, base + ring + j, base + ring + i);
  }
  // End caps.
  int ca = m.addVertex(a, 0, 0.5f), cb = m.addVertex(b, length * uvPerUnit, 0.5f);
  for (int i = 0; i < sides; ++i) {
    int j = withSeam ? i + 1 : (i + 1) % sides;
    m.addTriangle(ca, base + j, base + i);
    m.addTriangle(cb, base + ring + i, base + ring + j);
  }
}

// An octahedron jewel at a lattice node.
void addNode(Mesh& m, Vec3 c, float r) {
  int px = m.addVertex(c + Vec3{r, 0, 0}, 1, 0.5f), nx = m.addVertex(c + Vec3{-r, 0, 0}, 0, 0.5f);
  int py = m.addVertex(c + Vec3{0, r, 0}, 0.5f, 0), ny = m.addVertex(c + Vec3{0, -r, 0}, 0.5f, 1);
  int pz = m.addVertex(c + Vec3{0, 0, r}, 0.5f, 0.5f), nz = m.addVertex(c + Vec3{0, 0, -r}, 0.5f, 0.5f);
  m.addTriangle(px, py, pz);
  m.addTriangle(pz, py, nx);
  m.addTriangle(nx, py, nz);
  m.addTriangle(nz, py, px);
  m.addTriangle(pz, ny, px);
  m.addTriangle(nx, ny, pz);
  m.addTriangle(nz, ny, nx);
  m.addTriangle(px, ny, nz);
}

// ---- 3DS chunk writer ----

struct Chunk {
  uint16_t id;
  std::vector<uint8_t> data;
  std::vector<Chunk> children;
};

void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v & 0xff));
  out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, uint16_t(v & 0xffff));
  put16(out, uint16_t(v >> 16));
}
void putFloat(std::vector<uint8_t>& out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  put32(out, bits);
}
void putString(std::vector<uint8_t>& out, const std::string& s) {
  out.insert(out.end(), s.begin(), s.end());
  out.push_back(0);
}

void serialize(const Chunk& c, std::vector<uint8_t>& out) {
  size_t start = out.size();
  put16(out, c.id);
  put32(out, 0);
  out.insert(out.end(), c.data.begin(), c.data.end());
  for (const Chunk& child : c.children) serialize(child, out);
  uint32_t length = uint32_t(out.size() - start);
  for (int i = 0; i < 4; ++i) out[start + 2 + i] = uint8_t(length >> (8 * i));
}

Chunk materialChunk(const std::string& name, uint8_t r, uint8_t g, uint8_t b, const std::string& texture) {
  Chunk mat{0xAFFF, {}, {}};
  Chunk nameChunk{0xA000, {}, {}};
  putString(nameChunk.data, name);
  Chunk color{0x0011, {r, g, b}, {}};
  Chunk diffuse{0xA020, {}, {color}};
  Chunk file{0xA300, {}, {}};
  putString(file.data, texture);
  Chunk map{0xA200, {}, {file}};
  mat.children = {nameChunk, diffuse, map};
  return mat;
}

Chunk objectChunk(const Mesh& m, const std::string& material) {
  Chunk vertices{0x4110, {}, {}};
  put16(vertices.data, uint16_t(m.vertices.size()));
  for (const Vec3& p : m.vertices) {
    putFloat(vertices.data, p.x);
    putFloat(vertices.data, -p.z);
    putFloat(vertices.data, p.y);
  }
  Chunk texCoords{0x4140, {}, {}};
  put16(texCoords.data, uint16_t(m.vertices.size()));
  for (float f : m.uv) putFloat(texCoords.data, f);
  size_t faceCount = m.faces.size() / 3;
  Chunk group{0x4130, {}, {}};
  putString(group.data, material);
  put16(group.data, uint16_t(faceCount));
  for (size_t i = 0; i < faceCount; ++i) put16(group.data, uint16_t(i));
  Chunk faces{0x4120, {}, {group}};
  put16(faces.data, uint16_t(faceCount));
  for (size_t i = 0; i < faceCount; ++i) {
    put16(faces.data, m.faces[3 * i]);
    put16(faces.data, m.faces[3 * i + 1]);
    put16(faces.data, m.faces[3 * i + 2]);
    put16(faces.data, 0x0007);  // all edges visible
  }
  Chunk mesh{0x4100, {}, {vertices, texCoords, faces}};
  Chunk object{0x4000, {}, {mesh}};
  putString(object.data, m.name);
  return object;
}

bool writeFile(const std::string& path, const std::vector<Mesh>& meshes, const Chunk& material,
               const std::string& materialName, std::string& error) {
  for (const Mesh& m : meshes)
    if (m.vertices.size() > 0xffff || m.faces.size() / 3 > 0xffff) {
      error = path + ": object " + m.name + " is too large for 16-bit counts";
      return false;
    }
  Chunk version{0x0002, {}, {}};
  put32(version.data, 3);
  Chunk meshVersion{0x3D3E, {}, {}};
  put32(meshVersion.data, 3);
  Chunk editor{0x3D3D, {}, {meshVersion, material}};
  for (const Mesh& m : meshes) editor.children.push_back(objectChunk(m, materialName));
  Chunk main{0x4D4D, {}, {version, editor}};
  std::vector<uint8_t> bytes;
  serialize(main, bytes);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = path + ": cannot create";
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) {
    error = path + ": write failed";
    return false;
  }
  return true;
}

// A 4 x 4 x 4 lattice whose layers turn 14 degrees each and narrow towards the top, with
// jewels at the nodes. Model units: x and z within +-20, y 0..36; the room scales it by
// (8, 5, 8). One object per layer plus one for the slanted struts keeps each object small.
std::vector<Mesh> gridMeshes() {
  const int n = 4;
  const float spacing = 12, layerHeight = 12;
  auto node = [&](int i, int j, int k) {
    float ang = j * 14.0f * 3.14159265f / 180;
    float shrink = 1 - 0.09f * j;
    float x = (i - 1.5f) * spacing * shrink, z = (k - 1.5f) * spacing * shrink;
    return Vec3{x * std::cos(ang) - z * std::sin(ang), j * layerHeight, x * std::sin(ang) + z * std::cos(ang)};
  };
  std::vector<Mesh> meshes;
  for (int j = 0; j < n; ++j) {
    Mesh layer;
    layer.name = "layer" + std::to_string(j);
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < n; ++k) {
        if (i + 1 < n) addBar(layer, node(i, j, k), node(i + 1, j, k), 0.7f, 6, 0.1f, false);
        if (k + 1 < n) addBar(layer, node(i, j, k), node(i, j, k + 1), 0.7f, 6, 0.1f, false);
        addNode(layer, node(i, j, k), 1.9f);
      }
    meshes.push_back(layer);
  }
  Mesh struts;
  struts.name = "struts";
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < n; ++k) addBar(struts, node(i, j, k), node(i, j + 1, k), 0.55f, 6, 0.1f, false);
  meshes.push_back(struts);
  return meshes;
}

// A grate on the title board's platform (x 41..91, z 23..73, top at y 800): a floor grid of
// flat bars, posts around the edge and two rails, kept below the picture frame's bottom bar
// (y 819) so it never covers the title.
std::vector<Mesh> kratkaMeshes() {
  const float x0 = 42.5f, x1 = 89.5f, z0 = 24.5f, z1 = 71.5f, top = 800;
  Mesh floor;
  floor.name = "floor";
  for (int i = 0; i <= 10; ++i) {
    float x = x0 + (x1 - x0) * i / 10, z = z0 + (z1 - z0) * i / 10;
    addBar(floor, Vec3{x, top + 0.35f, z0}, Vec3{x, top + 0.35f, z1}, 0.45f, 4, 0.25f, true, 0);
    addBar(floor, Vec3{x0, top + 0.35f, z}, Vec3{x1, top + 0.35f, z}, 0.45f, 4, 0.25f, true, 0);
  }
  Mesh posts;
  posts.name = "posts";
  Mesh rails;
  rails.name = "rails";
  const Vec3 corners[4] = {{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}};
  for (int s = 0; s < 4; ++s) {
    Vec3 a = corners[s], b = corners[(s + 1) % 4];
    for (int p = 0; p < 8; ++p) {
      Vec3 q = a + (b - a) * (p / 8.0f);
      addBar(posts, Vec3{q.x, top, q.z}, Vec3{q.x, top + 16.5f, q.z}, p == 0 ? 0.7f : 0.4f, 8, 0.2f, true);
    }
    for (float h : {8.0f, 16.0f})
      addBar(rails, Vec3{a.x, top + h, a.z}, Vec3{b.x, top + h, b.z}, h > 10 ? 0.55f : 0.35f, 8, 0.2f, true);
  }
  for (const Vec3& c : corners) addNode(posts, Vec3{c.x, top + 17.5f, c.z}, 1.3f);
  return {floor, posts, rails};
}

}  // namespace

bool writeModels(const std::string& dataDir, std::string& error) {
  // Both materials carry a texture file name, so every object is textured.
  if (!writeFile(dataDir + "/kratka.3ds", kratkaMeshes(), materialChunk("kratka_metal", 200, 150, 90, "flara.jpg"),
                 "kratka_metal", error))
    return false;
  return writeFile(dataDir + "/grid.3ds", gridMeshes(), materialChunk("grid_chrome", 180, 190, 200, "sciana.jpg"),
                   "grid_chrome", error);
}
