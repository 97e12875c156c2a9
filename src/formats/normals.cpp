// Smooth vertex normals: each vertex gets the normalised, area-weighted sum of the raw normals
// of the faces that use it, reversed so that it points to the side from which the face's
// vertices run counter-clockwise.
#include "formats/normals.h"

#include <cmath>

// A vertex that no face uses, or whose faces are all degenerate, has no direction of its own.
static const Vector3 UNDEFINED_NORMAL = {0.0f, 1.0f, 0.0f};

Vector3 vectorBetween(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vector3 addVectors(Vector3 a, Vector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

Vector3 divideVector(Vector3 a, float s) { return {a.x / s, a.y / s, a.z / s}; }

Vector3 crossProduct(Vector3 a, Vector3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 normalizeVector(Vector3 a) {
  double m = std::sqrt(double(a.z) * a.z + double(a.y) * a.y + double(a.x) * a.x);
  return {float(a.x / m), float(a.y / m), float(a.z / m)};
}

static bool validFace(const ModelObject& object, const Face& face) {
  for (int k = 0; k < 3; k++)
    if (face.vertexIndex[k] < 0 || face.vertexIndex[k] >= object.vertexCount) return false;
  return true;
}

static Vector3 vertexAt(const ModelObject& object, int index) {
  const float* v = &object.vertices[index * 3];
  return {v[0], v[1], v[2]};
}

void computeNormals(Model& model) {
  for (int i = 0; i < model.objectCount; i++) {
    ModelObject& object = model.objects[i];
    Vector3* raw = new Vector3[object.faceCount > 0 ? object.faceCount : 0];
    delete[] object.normals;
    object.normals = new float[object.vertexCount * 3];

    for (int f = 0; f < object.faceCount; f++) {
      const int32_t* index = object.faces[f].vertexIndex;
      if (!validFace(object, object.faces[f])) continue;  // the reader rejects such files
      Vector3 a = vertexAt(object, index[0]);
      Vector3 b = vertexAt(object, index[1]);
      Vector3 c = vertexAt(object, index[2]);
      raw[f] = crossProduct(vectorBetween(a, c), vectorBetween(c, b));
    }

    // One pass over the faces in index order adds each face to each distinct vertex it names:
    // every vertex sums the same faces in the same order as a per-vertex scan of all faces.
    Vector3* sum = new Vector3[object.vertexCount]();
    int* shared = new int[object.vertexCount]();
    for (int f = 0; f < object.faceCount; f++) {
      const int32_t* index = object.faces[f].vertexIndex;
      if (!validFace(object, object.faces[f])) continue;
      for (int k = 0; k < 3; k++) {
        int v = index[k];
        if ((k > 0 && v == index[0]) || (k > 1 && v == index[1])) continue;  // counted once
        sum[v] = addVectors(sum[v], raw[f]);
        shared[v] += 1;
      }
    }

    for (int v = 0; v < object.vertexCount; v++) {
      Vector3 normal = UNDEFINED_NORMAL;
      if (shared[v] > 0) {
        Vector3 mean = divideVector(sum[v], -float(shared[v]));
        Vector3 unit = normalizeVector(mean);
        if (std::isfinite(unit.x) && std::isfinite(unit.y) && std::isfinite(unit.z)) normal = unit;
      }
      object.normals[v * 3] = normal.x;
      object.normals[v * 3 + 1] = normal.y;
      object.normals[v * 3 + 2] = normal.z;
    }

    delete[] shared;
    delete[] sum;
    delete[] raw;
  }
}
