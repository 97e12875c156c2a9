// 3DS model reader: walks the chunk tree of a .3ds file and keeps meshes, materials and the
// material of each mesh. Every size is checked against what remains of its chunk and of the
// file; a file that breaks a bound is rejected with a short reason, never read past.
#include "formats/model3ds.h"

#include <cstdarg>
#include <cstring>

#include "formats/normals.h"
#include "platform/win32.h"

// Chunk ids, by level.
static const uint16_t CHUNK_MAIN = 0x4D4D;
static const uint16_t CHUNK_VERSION = 0x0002;
static const uint16_t CHUNK_EDITOR = 0x3D3D;
static const uint16_t CHUNK_OBJECT = 0x4000;
static const uint16_t CHUNK_MATERIAL = 0xAFFF;
static const uint16_t CHUNK_MESH = 0x4100;
static const uint16_t CHUNK_VERTICES = 0x4110;
static const uint16_t CHUNK_FACES = 0x4120;
static const uint16_t CHUNK_FACE_MATERIAL = 0x4130;
static const uint16_t CHUNK_TEXCOORDS = 0x4140;
static const uint16_t CHUNK_MATERIAL_NAME = 0xA000;
static const uint16_t CHUNK_DIFFUSE = 0xA020;
static const uint16_t CHUNK_TEXTURE_MAP = 0xA200;
static const uint16_t CHUNK_MAP_FILE = 0xA300;

static const uint32_t CHUNK_HEADER_SIZE = 6;
static const int NAME_SIZE = 255;
// Deep enough for any real file; stops a file of nested headers from exhausting the stack.
static const int MAX_DEPTH = 32;

ModelLoader g_kratkaLoader;
Model g_kratkaModel;
ModelLoader g_gridLoader;
Model g_gridModel;

static uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

static uint32_t le32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

static float leFloat(const unsigned char* p) {
  uint32_t bits = le32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

static uint32_t remaining(const Chunk* chunk) { return chunk->length - chunk->bytesRead; }

ModelLoader::ModelLoader() {
  currentChunk = new Chunk();
  tempChunk = new Chunk();
}

ModelLoader::~ModelLoader() {
  if (file) std::fclose(file);
  delete currentChunk;
  delete tempChunk;
}

void ModelLoader::fail(const char* format, ...) {
  if (failed) return;  // the first reason is the one that counts
  failed = true;
  va_list args;
  va_start(args, format);
  std::vsnprintf(reason, sizeof reason, format, args);
  va_end(args);
}

bool ModelLoader::readData(void* buffer, uint32_t count, Chunk* chunk) {
  if (failed) return false;
  if (count > remaining(chunk)) {
    fail("chunk 0x%04X has %u bytes left, %u needed", chunk->id, remaining(chunk), count);
    return false;
  }
  if (count > 0 && std::fread(buffer, 1, count, file) != count) {
    fail("file ends inside chunk 0x%04X", chunk->id);
    return false;
  }
  chunk->bytesRead += count;
  return true;
}

bool ModelLoader::skipData(uint32_t count, Chunk* chunk) {
  unsigned char scratch[4096];
  while (count > 0 && !failed) {
    uint32_t part = count < sizeof scratch ? count : uint32_t(sizeof scratch);
    if (!readData(scratch, part, chunk)) return false;
    count -= part;
  }
  return !failed;
}

void ModelLoader::readChunk(Chunk* chunk) {
  unsigned char header[CHUNK_HEADER_SIZE] = {};
  size_t got = std::fread(header, 1, CHUNK_HEADER_SIZE, file);
  chunk->id = le16(header);
  chunk->length = le32(header + 2);
  chunk->bytesRead = uint32_t(got);
}

// Reads the header of a chunk nested in `parent` and checks that it fits there.
bool ModelLoader::readSubChunk(Chunk* chunk, Chunk* parent) {
  if (failed) return false;
  if (remaining(parent) < CHUNK_HEADER_SIZE) {
    fail("chunk 0x%04X has %u bytes left, too few for a chunk", parent->id, remaining(parent));
    return false;
  }
  readChunk(chunk);
  if (chunk->bytesRead < CHUNK_HEADER_SIZE) {
    fail("file ends inside chunk 0x%04X", parent->id);
    return false;
  }
  if (chunk->length < CHUNK_HEADER_SIZE) {
    fail("chunk 0x%04X has length %u", chunk->id, chunk->length);
    return false;
  }
  if (chunk->length > remaining(parent)) {
    fail("chunk 0x%04X of %u bytes overruns chunk 0x%04X (%u bytes left)", chunk->id,
         chunk->length, parent->id, remaining(parent));
    return false;
  }
  return true;
}

int ModelLoader::readString(char* buffer) {
  int index = 0;
  while (!failed) {
    if (index == NAME_SIZE) {
      fail("name in chunk 0x%04X has no end within %d bytes", currentChunk->id, NAME_SIZE);
      break;
    }
    if (!readData(&buffer[index], 1, currentChunk)) break;
    if (buffer[index] == 0) return index + 1;
    index++;
  }
  buffer[index < NAME_SIZE ? index : NAME_SIZE - 1] = 0;
  return index;
}

bool ModelLoader::loadModel(Model& model, const char* path) {
  char message[255];
  failed = false;
  depth = 0;
  if (!currentChunk) currentChunk = new Chunk();
  if (!tempChunk) tempChunk = new Chunk();

  file = std::fopen(path, "rb");
  if (!file) {
    std::snprintf(message, sizeof message, "Unable to find the file: %s!", path);
    MessageBoxA(NULL, message, "Error", MB_OK);
    return false;
  }

  readChunk(currentChunk);
  if (currentChunk->bytesRead < CHUNK_HEADER_SIZE || currentChunk->id != CHUNK_MAIN) {
    std::snprintf(message, sizeof message, "Unable to load PRIMARY chuck from file: %s!", path);
    MessageBoxA(NULL, message, "Error", MB_OK);
    closeLoader();
    return false;
  }

  if (currentChunk->length < CHUNK_HEADER_SIZE)
    fail("chunk 0x%04X has length %u", currentChunk->id, currentChunk->length);
  else
    processChunk(model, currentChunk);
  if (failed) {
    char failure[sizeof message + sizeof reason];
    std::snprintf(failure, sizeof failure, "%s: %s", path, reason);
    MessageBoxA(NULL, failure, "Error", MB_OK);
    closeLoader();
    // No partial model is kept: free what was read and leave the model empty.
    releaseModel(model);
    model.objects.clear();
    model.materials.clear();
    model.objectCount = 0;
    model.materialCount = 0;
    return false;
  }

  computeNormals(model);
  closeLoader();
  return true;
}

template <typename Handle>
void ModelLoader::walkSubChunks(Chunk* parent, Handle handle) {
  if (++depth > MAX_DEPTH) fail("chunks nested deeper than %d levels", MAX_DEPTH);
  currentChunk = new Chunk();
  while (!failed && parent->bytesRead < parent->length) {
    if (!readSubChunk(currentChunk, parent)) break;
    if (!handle(currentChunk)) skipData(remaining(currentChunk), currentChunk);
    parent->bytesRead += currentChunk->bytesRead;
  }
  delete currentChunk;
  currentChunk = parent;
  depth--;
}

void ModelLoader::processChunk(Model& model, Chunk* parent) {
  walkSubChunks(parent, [&](Chunk* chunk) {
    switch (chunk->id) {
      case CHUNK_VERSION: {
        // A 4-byte version; anything longer is skipped.
        unsigned char bytes[4] = {};
        uint32_t size = remaining(chunk) < 4 ? remaining(chunk) : 4;
        if (readData(bytes, size, chunk) && le32(bytes) > 3)
          MessageBoxA(NULL, "This 3DS file is over version 3 so it may load incorrectly",
                      "Warning", MB_OK);
        return false;
      }

      case CHUNK_EDITOR:
        // The first sub-chunk (the mesh version) is read whole and ignored.
        if (remaining(chunk) >= CHUNK_HEADER_SIZE && readSubChunk(tempChunk, chunk)) {
          skipData(remaining(tempChunk), tempChunk);
          chunk->bytesRead += tempChunk->bytesRead;
        }
        processChunk(model, chunk);
        return true;

      case CHUNK_OBJECT: {
        model.objectCount++;
        model.objects.push_back(ModelObject{});
        ModelObject& object = model.objects.back();
        readString(object.name);
        processObjectChunk(model, object, chunk);
        // The renderer indexes vertices, normals and texture coordinates by face index.
        for (int f = 0; f < object.faceCount && !failed; f++)
          for (int k = 0; k < 3; k++)
            if (object.faces[f].vertexIndex[k] >= object.vertexCount) {
              fail("object \"%s\": face %d names vertex %d of %d", object.name, f,
                   object.faces[f].vertexIndex[k], object.vertexCount);
              break;
            }
        if (!failed && object.texCoords && object.texCoordCount < object.vertexCount)
          fail("object \"%s\": %d texture coordinates for %d vertices", object.name,
               object.texCoordCount, object.vertexCount);
        return true;
      }

      case CHUNK_MATERIAL:
        model.materialCount++;
        model.materials.push_back(Material{});
        processMaterialChunk(model, chunk);
        return true;
    }
    return false;
  });
}

void ModelLoader::processObjectChunk(Model& model, ModelObject& object, Chunk* parent) {
  walkSubChunks(parent, [&](Chunk* chunk) {
    switch (chunk->id) {
      case CHUNK_MESH:
        processObjectChunk(model, object, chunk);
        return true;
      case CHUNK_VERTICES:
        readVertices(object, chunk);
        return true;
      case CHUNK_FACES:
        // Only the face data is consumed: the sub-chunks after it (material groups) are met
        // next by this loop as if they were siblings.
        readFaces(object, chunk);
        return true;
      case CHUNK_FACE_MATERIAL:
        readObjectMaterial(model, object, chunk);
        return true;
      case CHUNK_TEXCOORDS:
        readTexCoords(object, chunk);
        return true;
    }
    return false;
  });
}

void ModelLoader::processMaterialChunk(Model& model, Chunk* parent) {
  walkSubChunks(parent, [&](Chunk* chunk) {
    Material& material = model.materials.back();
    switch (chunk->id) {
      case CHUNK_MATERIAL_NAME:
        readNameField(material.name, chunk);
        return true;
      case CHUNK_DIFFUSE:
        readColor(material, chunk);
        return true;
      case CHUNK_TEXTURE_MAP:
        processMaterialChunk(model, chunk);
        return true;
      case CHUNK_MAP_FILE:
        readNameField(material.textureFile, chunk);
        return true;
    }
    return false;
  });
}

// Name and map-file chunks hold their text and its terminator: at most 255 bytes in all.
void ModelLoader::readNameField(char* field, Chunk* chunk) {
  uint32_t size = remaining(chunk);
  if (size > uint32_t(NAME_SIZE)) {
    fail("name in chunk 0x%04X has %u bytes, at most %d allowed", chunk->id, size, NAME_SIZE);
    return;
  }
  std::memset(field, 0, NAME_SIZE);
  if (readData(field, size, chunk) && std::memchr(field, 0, NAME_SIZE) == nullptr) {
    fail("name in chunk 0x%04X has no end within %d bytes", chunk->id, NAME_SIZE);
    field[NAME_SIZE - 1] = 0;
  }
}

void ModelLoader::readVertices(ModelObject& object, Chunk* chunk) {
  unsigned char countBytes[2];
  if (!readData(countBytes, 2, chunk)) return;
  uint32_t count = le16(countBytes);
  uint32_t size = count * 12;
  if (size > remaining(chunk)) {
    fail("vertex list of %u points needs %u bytes, chunk holds %u", count, size, remaining(chunk));
    return;
  }
  delete[] object.vertices;
  object.vertexCount = int32_t(count);
  object.vertices = new float[count * 3]();
  unsigned char* data = new unsigned char[size];
  if (readData(data, size, chunk)) {
    for (uint32_t i = 0; i < count; i++) {
      // The file's z is up; the show's y is up.
      float x = leFloat(data + i * 12);
      float y = leFloat(data + i * 12 + 4);
      float z = leFloat(data + i * 12 + 8);
      object.vertices[i * 3] = x;
      object.vertices[i * 3 + 1] = z;
      object.vertices[i * 3 + 2] = -y;
    }
  }
  delete[] data;
  skipData(remaining(chunk), chunk);
}

void ModelLoader::readFaces(ModelObject& object, Chunk* chunk) {
  unsigned char countBytes[2];
  if (!readData(countBytes, 2, chunk)) return;
  uint32_t count = le16(countBytes);
  uint32_t size = count * 8;
  if (size > remaining(chunk)) {
    fail("face list of %u faces needs %u bytes, chunk holds %u", count, size, remaining(chunk));
    return;
  }
  delete[] object.faces;
  object.faceCount = int32_t(count);
  object.faces = new Face[count]();
  unsigned char* data = new unsigned char[size];
  if (readData(data, size, chunk)) {
    for (uint32_t i = 0; i < count; i++) {
      // Three vertex indices, then a flags word that is dropped.
      object.faces[i].vertexIndex[0] = le16(data + i * 8);
      object.faces[i].vertexIndex[1] = le16(data + i * 8 + 2);
      object.faces[i].vertexIndex[2] = le16(data + i * 8 + 4);
    }
  }
  delete[] data;
}

void ModelLoader::readTexCoords(ModelObject& object, Chunk* chunk) {
  unsigned char countBytes[2];
  if (!readData(countBytes, 2, chunk)) return;
  uint32_t count = le16(countBytes);
  uint32_t size = count * 8;
  if (size > remaining(chunk)) {
    fail("texture coordinates: %u pairs need %u bytes, chunk holds %u", count, size,
         remaining(chunk));
    return;
  }
  delete[] object.texCoords;
  object.texCoordCount = int32_t(count);
  object.texCoords = new float[count * 2]();
  unsigned char* data = new unsigned char[size];
  if (readData(data, size, chunk))
    for (uint32_t i = 0; i < count * 2; i++) object.texCoords[i] = leFloat(data + i * 4);
  delete[] data;
  skipData(remaining(chunk), chunk);
}

void ModelLoader::readObjectMaterial(Model& model, ModelObject& object, Chunk* chunk) {
  char materialName[NAME_SIZE] = {};
  readString(materialName);
  if (failed) return;
  // With no materials read yet, the object keeps its material.
  if (model.materialCount > 0) {
    object.materialId = -1;
    for (int i = 0; i < model.materialCount; i++) {
      if (std::strcmp(materialName, model.materials[i].name) == 0) {
        object.materialId = i;
        if (model.materials[i].textureFile[0] != 0) object.hasTexture = true;
        break;
      }
    }
  }
  // The face count and face numbers of the group are not used.
  skipData(remaining(chunk), chunk);
}

void ModelLoader::readColor(Material& material, Chunk* chunk) {
  // One colour sub-chunk, whatever its id: its first three data bytes are R, G, B.
  if (remaining(chunk) < CHUNK_HEADER_SIZE) {
    skipData(remaining(chunk), chunk);
    return;
  }
  if (!readSubChunk(tempChunk, chunk)) return;
  unsigned char rgb[3] = {};
  uint32_t size = remaining(tempChunk) < 3 ? remaining(tempChunk) : 3;
  if (readData(rgb, size, tempChunk) && skipData(remaining(tempChunk), tempChunk)) {
    std::memcpy(material.color, rgb, size);
  }
  chunk->bytesRead += tempChunk->bytesRead;
}

void ModelLoader::closeLoader() {
  if (file) std::fclose(file);
  file = nullptr;
  delete currentChunk;
  delete tempChunk;
  currentChunk = nullptr;
  tempChunk = nullptr;
}

void releaseModel(Model model) {
  for (ModelObject& object : model.objects) {
    delete[] object.faces;
    delete[] object.normals;
    delete[] object.vertices;
    delete[] object.texCoords;
  }
  model.objects.clear();
  model.materials.clear();
}
