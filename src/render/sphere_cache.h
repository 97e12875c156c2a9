// Solid spheres drawn through a cache of display lists, one per distinct radius.
#pragma once

#include <cstdint>

struct ShapeListEntry {
  uint32_t listName;
  ShapeListEntry* next;
  int32_t paramCount;
  double* params;
};

extern ShapeListEntry* g_shapeLists[16];

void drawSolidSphere(double radius);
uint32_t findShapeList(int kind, const double* params, int count);
bool paramsEqual(const double* a, const double* b, int count);
uint32_t addShapeList(int kind, double* params, int count);
