// Vertex normals: direction, area weighting, undefined vertices, and equality with the plain
// per-vertex scan of all faces.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

#include "file3ds.h"
#include "formats/normals.h"
#include "support/scratch.h"

namespace {

// One object over the given vertices (show axes) and faces.
Model makeModel(std::vector<float> xyz, std::vector<int> abc) {
  Model model;
  ModelObject object{};
  object.vertexCount = int(xyz.size() / 3);
  object.vertices = new float[xyz.size()];
  std::memcpy(object.vertices, xyz.data(), xyz.size() * sizeof(float));
  object.faceCount = int(abc.size() / 3);
  object.faces = new Face[object.faceCount];
  for (int f = 0; f < object.faceCount; f++)
    for (int k = 0; k < 3; k++) object.faces[f].vertexIndex[k] = abc[f * 3 + k];
  model.objects.push_back(object);
  model.objectCount = 1;
  return model;
}

// The normal of vertex v of the model's one object.
std::array<float, 3> normalOf(const Model& model, int v) {
  const float* n = model.objects[0].normals + v * 3;
  return {n[0], n[1], n[2]};
}
const std::array<float, 3> kUp = {0.0f, 1.0f, 0.0f};

// The per-vertex scan over all faces, step by step.
std::vector<float> referenceNormals(const ModelObject& o) {
  std::vector<Vector3> raw(o.faceCount);
  auto at = [&](int i) { return Vector3{o.vertices[i * 3], o.vertices[i * 3 + 1], o.vertices[i * 3 + 2]}; };
  for (int f = 0; f < o.faceCount; f++) {
    const int32_t* i = o.faces[f].vertexIndex;
    raw[f] = crossProduct(vectorBetween(at(i[0]), at(i[2])), vectorBetween(at(i[2]), at(i[1])));
  }
  std::vector<float> out(o.vertexCount * 3);
  for (int v = 0; v < o.vertexCount; v++) {
    Vector3 sum = {0, 0, 0};
    int shared = 0;
    for (int f = 0; f < o.faceCount; f++) {
      const int32_t* i = o.faces[f].vertexIndex;
      if (i[0] == v || i[1] == v || i[2] == v) {
        sum = addVectors(sum, raw[f]);
        shared++;
      }
    }
    Vector3 n = normalizeVector(divideVector(sum, -float(shared)));
    out[v * 3] = n.x;
    out[v * 3 + 1] = n.y;
    out[v * 3 + 2] = n.z;
  }
  return out;
}

}  // namespace

TEST(Normals, FlatSquareFacingUpGetsUpEverywhere) {
  Model model = makeModel({0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 0}, {0, 1, 2, 0, 2, 3});
  computeNormals(model);
  for (int v = 0; v < 4; v++) EXPECT_EQ(normalOf(model, v), kUp) << v;
  releaseModel(model);
}

TEST(Normals, LargerFaceWeighsMore) {
  // Vertex 0 is shared by a large face facing +y and a small face facing +x.
  Model model = makeModel({0, 0, 0, 0, 0, 4, 4, 0, 4, 0, 1, 0, 0, 0, 1},
                          {0, 1, 2, 0, 3, 4});
  computeNormals(model);
  const float* n = model.objects[0].normals;
  EXPECT_GT(n[1], 0.9f);
  EXPECT_GT(n[0], 0.0f);
  EXPECT_LT(n[0], n[1]);
  EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0, 1e-6);
  releaseModel(model);
}

TEST(Normals, UnusedAndDegenerateVerticesGetUp) {
  // Vertices 0..2 form a face, 3 is unused, 4..6 form a degenerate face (a line).
  Model model = makeModel({0, 0, 0, 1, 0, 0, 0, 0, -1, 9, 9, 9, 0, 5, 0, 1, 5, 0, 2, 5, 0},
                          {0, 1, 2, 4, 5, 6});
  computeNormals(model);
  const float* n = model.objects[0].normals;
  for (int v : {3, 4, 5, 6}) EXPECT_EQ(normalOf(model, v), kUp) << v;
  EXPECT_FALSE(std::isnan(n[0]));
  releaseModel(model);
}

TEST(Normals, EqualThePerVertexScanBitForBit) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> coordinate(-10.0f, 10.0f);
  const int vertexCount = 300, faceCount = 900;
  std::vector<float> xyz(vertexCount * 3);
  for (float& c : xyz) c = coordinate(random);
  std::vector<int> abc(faceCount * 3);
  // Indices drawn from a narrow range so that faces often name a vertex twice.
  std::uniform_int_distribution<int> index(0, vertexCount - 1);
  for (int f = 0; f < faceCount; f++) {
    abc[f * 3] = index(random);
    abc[f * 3 + 1] = f % 5 == 0 ? abc[f * 3] : index(random);
    abc[f * 3 + 2] = index(random);
  }
  Model model = makeModel(xyz, abc);
  computeNormals(model);
  std::vector<float> expected = referenceNormals(model.objects[0]);
  int compared = 0;
  for (int v = 0; v < vertexCount; v++) {
    if (std::isnan(expected[v * 3])) continue;  // unused vertex: no direction defined
    EXPECT_EQ(std::memcmp(&expected[v * 3], &model.objects[0].normals[v * 3], 12), 0)
        << "vertex " << v;
    compared++;
  }
  EXPECT_GT(compared, 250);
  releaseModel(model);
}

TEST(Normals, SixtyThousandTriangleModelLoadsQuickly) {
  using namespace file3ds;
  // A 174 x 174 grid of quads: 30 625 vertices, 60 552 triangles.
  const int side = 175;
  std::string vertexData = u16(uint16_t(side * side));
  for (int i = 0; i < side; i++)
    for (int j = 0; j < side; j++) vertexData += f32(float(i)) + f32(float(j)) + f32(float((i * j) % 7));
  std::string faceData = u16(uint16_t((side - 1) * (side - 1) * 2));
  for (int i = 0; i + 1 < side; i++)
    for (int j = 0; j + 1 < side; j++) {
      int a = i * side + j, b = a + 1, c = a + side, d = c + 1;
      faceData += u16(uint16_t(a)) + u16(uint16_t(b)) + u16(uint16_t(d)) + u16(0);
      faceData += u16(uint16_t(a)) + u16(uint16_t(d)) + u16(uint16_t(c)) + u16(0);
    }
  std::string path = tempPath("large.3ds");
  ASSERT_TRUE(write(path, file(object("grid", chunk(0x4110, vertexData) + chunk(0x4120, faceData)))));

  Model model;
  ModelLoader loader;
  auto start = std::chrono::steady_clock::now();
  bool ok = loader.loadModel(model, path.c_str());
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::remove(path.c_str());
  ASSERT_TRUE(ok);
  EXPECT_EQ(model.objects[0].faceCount, 60552);
  std::printf("loaded %d triangles with normals in %.3f s\n", model.objects[0].faceCount, seconds);
  RecordProperty("seconds", std::to_string(seconds));
  // The per-vertex scan would take about 1.8e9 comparisons; one pass takes milliseconds.
  EXPECT_LT(seconds, 2.0);
  releaseModel(model);
}
