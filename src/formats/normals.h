// Smooth vertex normals for every object of a loaded model.
#pragma once

#include "formats/model3ds.h"

struct Vector3 {
  float x, y, z;
};

Vector3 vectorBetween(Vector3 a, Vector3 b);
Vector3 addVectors(Vector3 a, Vector3 b);
Vector3 divideVector(Vector3 a, float s);
Vector3 crossProduct(Vector3 a, Vector3 b);
Vector3 normalizeVector(Vector3 a);

void computeNormals(Model& model);
