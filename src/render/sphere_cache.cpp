#include "render/sphere_cache.h"

#include <GL/gl.h>
#include <GL/glu.h>

// Chain heads of cached display lists, one per shape kind, newest entry first.
ShapeListEntry* g_shapeLists[16] = {};

// Shape kind of the solid sphere; its one parameter is the radius.
static const int kSolidSphere = 10;

// Records the sphere of a new radius in a display list while drawing it; replays the list
// for a radius seen before.
void drawSolidSphere(double radius) {
  double* params = new double[1];
  params[0] = radius;
  uint32_t list = findShapeList(kSolidSphere, params, 1);
  if (list == 0) {
    glNewList(addShapeList(kSolidSphere, params, 1), GL_COMPILE_AND_EXECUTE);
    GLUquadric* quadric = gluNewQuadric();
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluSphere(quadric, radius, 16, 16);
    glEndList();
  } else {
    glCallList(list);
    delete[] params;
  }
}

// The list of the first entry of chain `kind` whose first `count` parameters equal `params`,
// or 0. The entry's own count is not consulted.
uint32_t findShapeList(int kind, const double* params, int count) {
  for (ShapeListEntry* entry = g_shapeLists[kind]; entry; entry = entry->next) {
    if (paramsEqual(entry->params, params, count)) return entry->listName;
  }
  return 0;
}

// Exact comparison of the first `count` doubles; true for a count of 0 or less.
bool paramsEqual(const double* a, const double* b, int count) {
  bool equal = true;
  for (int i = 0; i < count && equal; i++) {
    if (a[i] != b[i]) equal = false;
  }
  return equal;
}

// Files a new entry at the head of chain `kind`; the entry adopts `params`.
uint32_t addShapeList(int kind, double* params, int count) {
  ShapeListEntry* entry = new ShapeListEntry;
  entry->listName = glGenLists(1);
  entry->paramCount = count;
  entry->params = params;
  entry->next = g_shapeLists[kind];
  g_shapeLists[kind] = entry;
  return entry->listName;
}
