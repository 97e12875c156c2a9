// The 3DS reader on files built byte by byte: what it keeps, what it skips, what it rejects.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "file3ds.h"
#include "formats/model3ds.h"
#include "support/scratch.h"

using namespace file3ds;

namespace {

struct Loaded {
  bool ok;
  std::string messages;  // the boxes, as written to standard error
};

Loaded load(Model& model, const std::string& bytes) {
  std::string path = tempPath("model.3ds");
  EXPECT_TRUE(write(path, bytes));
  ModelLoader loader;
  testing::internal::CaptureStderr();
  bool ok = loader.loadModel(model, path.c_str());
  std::string messages = testing::internal::GetCapturedStderr();
  std::remove(path.c_str());
  return {ok, messages};
}

// What the checks compare of a material and an object, in one value each.
typedef std::array<int, 3> Colour;
Colour colour(const Material& m) { return {m.color[0], m.color[1], m.color[2]}; }
typedef std::tuple<int, int, int, int, bool> Counts;  // vertices, faces, texture coordinates, material, textured
Counts counts(const ModelObject& o) { return Counts{o.vertexCount, o.faceCount, o.texCoordCount, o.materialId, o.hasTexture}; }
template <typename T>
std::vector<T> values(const T* first, size_t n) { return std::vector<T>(first, first + n); }

size_t count(const std::string& haystack, const std::string& needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
    n++;
  return n;
}

}  // namespace

TEST(ModelReader, KeepsMeshesMaterialsAndTheirAssignment) {
  Model model;
  Loaded result = load(model, squareModel());
  ASSERT_TRUE(result.ok) << result.messages;
  EXPECT_EQ(result.messages, "");

  ASSERT_EQ(model.materialCount, 1);
  ASSERT_EQ(model.materials.size(), 1u);
  EXPECT_STREQ(model.materials[0].name, "steel");
  EXPECT_STREQ(model.materials[0].textureFile, "steel.jpg");
  EXPECT_EQ(colour(model.materials[0]), (Colour{10, 20, 30}));

  ASSERT_EQ(model.objectCount, 1);
  ASSERT_EQ(model.objects.size(), 1u);
  const ModelObject& square = model.objects[0];
  EXPECT_STREQ(square.name, "square");
  EXPECT_EQ(counts(square), (Counts{4, 2, 4, 0, true}));
  EXPECT_EQ(values(square.faces[1].vertexIndex, 3), (std::vector<int32_t>{0, 2, 3}));
  ASSERT_NE(square.normals, nullptr);
  for (int v = 0; v < 4; v++) {
    EXPECT_FLOAT_EQ(square.normals[v * 3 + 1], 1.0f) << "vertex " << v;
  }
  releaseModel(model);
}

TEST(ModelReader, ConvertsAxesAndKeepsTextureCoordinates) {
  Model model;
  std::string mesh = vertices({1, 2, 3, -4.5f, 0.25f, 8}) + faces({0, 1, 1}) +
                     texCoords({0.1f, 0.9f, -2.0f, 3.5f});
  Loaded result = load(model, file(object("o", mesh)));
  ASSERT_TRUE(result.ok) << result.messages;
  const ModelObject& o = model.objects[0];
  // (x, y, z) in the file is (x, z, -y) in the show.
  EXPECT_EQ(values(o.vertices, 6), (std::vector<float>{1, 3, -2, -4.5f, 8, -0.25f}));
  // Texture coordinates exactly as stored, v not flipped.
  EXPECT_EQ(values(o.texCoords, 4), (std::vector<float>{0.1f, 0.9f, -2, 3.5f}));
  releaseModel(model);
}

TEST(ModelReader, VersionThreeIsSilentVersionFourWarnsPerChunk) {
  std::string mesh = vertices({0, 0, 0, 1, 0, 0, 0, 1, 0}) + faces({0, 1, 2});
  {
    Model model;
    Loaded result = load(model, file(object("o", mesh), version(3)));
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.messages, "");
    releaseModel(model);
  }
  {
    Model model;
    Loaded result = load(model, file(object("o", mesh), version(4) + version(5)));
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(count(result.messages,
                    "Warning: This 3DS file is over version 3 so it may load incorrectly\n"),
              2u)
        << result.messages;
    EXPECT_EQ(model.objectCount, 1);
    releaseModel(model);
  }
}

TEST(ModelReader, MaterialGroupsResolveAgainstEarlierMaterials) {
  std::string tri = vertices({0, 0, 0, 1, 0, 0, 0, 1, 0});
  std::string materials = material("plain", 1, 2, 3) + material("shiny", 4, 5, 6, "env.jpg");
  std::string objects =
      object("unknown", tri + faces({0, 1, 2}, materialGroup("nosuch", {0}))) +
      object("none", tri + faces({0, 1, 2})) +
      // Last group wins; the texture flag stays once a textured material was named.
      object("several", tri + faces({0, 1, 2}, materialGroup("shiny", {0}) +
                                                   materialGroup("plain", {0})));
  Model model;
  Loaded result = load(model, file(materials + objects));
  ASSERT_TRUE(result.ok) << result.messages;
  ASSERT_EQ(model.objectCount, 3);
  EXPECT_EQ(counts(model.objects[0]), (Counts{3, 1, 0, -1, false}));
  EXPECT_EQ(counts(model.objects[1]), (Counts{3, 1, 0, 0, false}));
  EXPECT_EQ(counts(model.objects[2]), (Counts{3, 1, 0, 0, true}));
  releaseModel(model);

  // With no materials loaded before it, a group leaves the object's material as it was.
  Model early;
  result = load(early, file(object("early", tri + faces({0, 1, 2}, materialGroup("x", {0}))) +
                            material("x", 0, 0, 0)));
  ASSERT_TRUE(result.ok) << result.messages;
  EXPECT_EQ(early.objects[0].materialId, 0);
  releaseModel(early);
}

TEST(ModelReader, SkipsUnknownChunksEverywhere) {
  std::string junk = chunk(0x1234, std::string(37, '\x4D'));
  std::string keyframes = chunk(0xB000, chunk(0xB002, std::string(20, '\0')));
  std::string light = chunk(0x4000, text("lamp") + chunk(0x4600, std::string(12, '\0')));
  std::string camera = chunk(0x4000, text("cam") + chunk(0x4700, std::string(32, '\0')));
  // A material colour with a second sub-chunk (gamma-corrected colour), and an unknown chunk.
  std::string mat = chunk(
      0xAFFF, chunk(0xA000, text("m")) + junk +
                  chunk(0xA020, chunk(0x0011, "\x09\x08\x07") + chunk(0x0012, "\x01\x02\x03")) +
                  chunk(0xA200, junk + chunk(0xA300, text("m.jpg"))));
  std::string mesh = junk + vertices({0, 0, 0, 1, 0, 0, 0, 1, 0}) +
                     chunk(0x4160, std::string(48, '\0')) +
                     faces({0, 1, 2}, junk + materialGroup("m", {0}) + chunk(0x4150, u32(1))) +
                     texCoords({0, 0, 1, 0, 0, 1});
  std::string bytes =
      chunk(0x4D4D, junk + version(3) +
                        chunk(0x3D3D, chunk(0x3D3E, u32(3)) + junk + chunk(0x0100, f32(1)) + mat +
                                          light + chunk(0x4000, text("tri") + chunk(0x4100, mesh)) +
                                          camera) +
                        keyframes);
  Model model;
  Loaded result = load(model, bytes);
  ASSERT_TRUE(result.ok) << result.messages;
  EXPECT_EQ(result.messages, "");
  ASSERT_EQ(model.materialCount, 1);
  EXPECT_STREQ(model.materials[0].textureFile, "m.jpg");
  EXPECT_EQ(colour(model.materials[0]), (Colour{9, 8, 7}));
  ASSERT_EQ(model.objectCount, 3);  // lights and cameras are named objects without a mesh
  EXPECT_EQ(model.objects[0].vertexCount, 0);
  EXPECT_EQ(counts(model.objects[1]), (Counts{3, 1, 3, 0, true}));
  releaseModel(model);
}

TEST(ModelReader, OversizedVersionAndColourChunksReadTheirFieldsOnly) {
  // A version chunk with 8 bytes, a colour in floats (12 bytes): only the fields are taken.
  std::string mat = chunk(0xAFFF, chunk(0xA000, text("f")) +
                                      chunk(0xA020, chunk(0x0010, f32(1) + f32(0.5f) + f32(0))));
  std::string bytes =
      file(mat + object("o", vertices({0, 0, 0, 1, 0, 0, 0, 1, 0}) + faces({0, 1, 2})),
           chunk(0x0002, u32(3) + u32(0xFFFFFFFF)));
  Model model;
  Loaded result = load(model, bytes);
  ASSERT_TRUE(result.ok) << result.messages;
  EXPECT_EQ(result.messages, "");
  // The first three bytes of the float 1.0f (00 00 80 3F, little-endian).
  EXPECT_EQ(colour(model.materials[0]), (Colour{0x00, 0x00, 0x80}));
  releaseModel(model);
}

TEST(ModelReader, MissingFileAndWrongFirstChunkShowTheirBoxes) {
  Model model;
  ModelLoader loader;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(loader.loadModel(model, "/nonexistent/kratka.3ds"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: Unable to find the file: /nonexistent/kratka.3ds!\n");

  Loaded result = load(model, chunk(0x4D4C, ""));
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.messages.find("Error: Unable to load PRIMARY chuck from file: "),
            std::string::npos)
      << result.messages;
  result = load(model, "");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.messages.find("PRIMARY chuck"), std::string::npos) << result.messages;
  EXPECT_EQ(model.objectCount, 0);
}

struct DamagedCase {
  const char* what;
  std::string bytes;
  const char* reason;
};

TEST(ModelReader, RejectsDamagedFilesWithAReason) {
  std::string tri = vertices({0, 0, 0, 1, 0, 0, 0, 1, 0});
  std::string good = squareModel();
  std::string longName(300, 'n');
  std::string nested;
  for (int i = 0; i < 40; i++) nested = chunk(0x4100, nested);
  // The vertex list names 5 points but holds 3.
  std::string shortVertices = chunk(0x4110, u16(5) + std::string(36, '\0'));
  std::string shortFaces = chunk(0x4120, u16(4) + std::string(8, '\0'));
  std::string shortTexCoords = chunk(0x4140, u16(3) + std::string(8, '\0'));
  DamagedCase cases[] = {
      {"ends inside a chunk", good.substr(0, good.size() - 5), "file ends inside chunk"},
      {"chunk length below 6", file(chunk(0x4000, text("o")).replace(2, 4, u32(3))),
       "has length 3"},
      {"main chunk length below 6", u16(0x4D4D) + u32(5), "chunk 0x4D4D has length 5"},
      {"child larger than parent",
       chunk(0x4D4D, chunk(0x3D3D, u16(0x4000) + u32(500) + text("o"))), "overruns"},
      {"vertex count beyond the chunk", file(object("o", shortVertices)),
       "vertex list of 5 points needs 60 bytes, chunk holds 36"},
      {"face count beyond the chunk", file(object("o", tri + shortFaces)), "face list of 4"},
      {"texture coordinates beyond the chunk", file(object("o", tri + shortTexCoords)),
       "texture coordinates: 3 pairs"},
      {"face index at the vertex count", file(object("o", tri + faces({0, 1, 2, 2, 1, 3}))),
       "face 1 names vertex 3 of 3"},
      {"faces without vertices", file(object("o", faces({0, 1, 2}))),
       "face 0 names vertex 0 of 0"},
      {"object name without terminator", file(chunk(0x4000, longName)), "no end within 255"},
      {"material group name without terminator",
       file(material("m", 0, 0, 0) + object("o", tri + faces({0, 1, 2}, chunk(0x4130, longName)))),
       "no end within 255"},
      {"material name too long", file(chunk(0xAFFF, chunk(0xA000, text(longName)))),
       "at most 255"},
      {"map file name unterminated at 255",
       file(chunk(0xAFFF, chunk(0xA200, chunk(0xA300, std::string(255, 'x'))))),
       "no end within 255"},
      {"fewer texture coordinates than vertices",
       file(object("o", tri + faces({0, 1, 2}) + texCoords({0, 0, 1, 1}))),
       "2 texture coordinates for 3 vertices"},
      {"chunks nested too deep", file(chunk(0x4000, text("o") + nested)), "nested deeper"},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.what);
    Model model;
    Loaded result = load(model, c.bytes);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.messages.find("Error: " + tempPath("model.3ds") + ": "), std::string::npos) << result.messages;
    EXPECT_NE(result.messages.find(c.reason), std::string::npos) << result.messages;
    // A rejected file leaves no partial model behind.
    EXPECT_EQ((std::array<size_t, 3>{size_t(model.objectCount), model.objects.size(), size_t(model.materialCount)}),
              (std::array<size_t, 3>{0, 0, 0}));
  }
}

TEST(ModelReader, EveryTruncationOfAValidFileIsRejected) {
  std::string good = squareModel();
  for (size_t size = 0; size < good.size(); size++) {
    Model model;
    Loaded result = load(model, good.substr(0, size));
    EXPECT_FALSE(result.ok) << "file cut to " << size << " bytes";
  }
  Model model;
  EXPECT_TRUE(load(model, good).ok);
  releaseModel(model);
}
