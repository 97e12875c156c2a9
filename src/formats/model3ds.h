// 3DS model reader: the chunk records, the loaded model and its reader.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

struct Material {
  char name[255];
  char textureFile[255];
  uint8_t color[3];
};

struct Face {
  int32_t vertexIndex[3];
};

struct ModelObject {
  int32_t vertexCount;
  int32_t faceCount;
  int32_t texCoordCount;
  int32_t materialId;
  bool hasTexture;
  char name[255];
  float* vertices;   // vertexCount x (x, y, z), in the show's axes
  float* normals;    // vertexCount x (x, y, z), unit length
  float* texCoords;  // texCoordCount x (u, v), or null
  Face* faces;       // faceCount triangles
};

struct Model {
  int32_t objectCount = 0;
  int32_t materialCount = 0;
  std::vector<Material> materials;
  std::vector<ModelObject> objects;
};

struct Chunk {
  uint16_t id;
  uint32_t length;
  uint32_t bytesRead;
};

class ModelLoader {
 public:
  ModelLoader();
  ~ModelLoader();
  // True on success. Shows the reader's "Error" box and returns false on failure.
  bool loadModel(Model& model, const char* path);

 private:
  void readChunk(Chunk* chunk);
  int readString(char* buffer);
  void processChunk(Model& model, Chunk* parent);
  void processObjectChunk(Model& model, ModelObject& object, Chunk* parent);
  void processMaterialChunk(Model& model, Chunk* parent);
  // Reads the sub-chunks of `parent` one after another into currentChunk; `handle` consumes
  // those it knows and returns false for the others, which are skipped.
  template <typename Handle>
  void walkSubChunks(Chunk* parent, Handle handle);
  void readVertices(ModelObject& object, Chunk* chunk);
  void readFaces(ModelObject& object, Chunk* chunk);
  void readTexCoords(ModelObject& object, Chunk* chunk);
  void readObjectMaterial(Model& model, ModelObject& object, Chunk* chunk);
  void readColor(Material& material, Chunk* chunk);
  void closeLoader();

  // Checked reading: every read stays inside `chunk` and inside the file; a breach marks the
  // load as failed with a short reason, and every loop stops at the first failure.
  bool readData(void* buffer, uint32_t count, Chunk* chunk);
  bool skipData(uint32_t count, Chunk* chunk);
  bool readSubChunk(Chunk* chunk, Chunk* parent);
  void readNameField(char* field, Chunk* chunk);
  void fail(const char* format, ...);

  FILE* file = nullptr;
  Chunk* currentChunk = nullptr;
  Chunk* tempChunk = nullptr;
  bool failed = false;
  int depth = 0;
  char reason[255] = {};
};

void releaseModel(Model model);

extern ModelLoader g_kratkaLoader;
extern Model g_kratkaModel;
extern ModelLoader g_gridLoader;
extern Model g_gridModel;
