// The drawing cases (gl_cases.h): what the show and its platform ask of OpenGL 1.1 and GLU,
// in small pictures whose every part tells which call drew it.
#include "gl_cases.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

void (*g_caseDiscard)(bool discard) = nullptr;
void (*g_caseDrawPixels)(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels) = nullptr;
bool g_caseOnMesa = false;
int g_caseFailedChecks = 0;

namespace {

// The first GL error since the last call, the rest cleared.
GLenum takeError() {
  GLenum first = glGetError();
  if (first == GL_NO_ERROR) return first;
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
  return first;
}

// A 50 x 50 square of a 640x480 window in rows of ten from the top left, under a window-sized
// orthographic view.
void square(int i, float r, float g, float b) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  float x = 20.0f + (i % 10) * 60.0f, y = 400.0f - (i / 10) * 60.0f;
  glColor3f(r, g, b);
  glBegin(GL_QUADS);
  glVertex2f(x, y); glVertex2f(x + 50, y); glVertex2f(x + 50, y + 50); glVertex2f(x, y + 50);
  glEnd();
}

// What a case expects of GL's answers: each check a square on black, green where it holds and
// red where not (also named on standard error), so a wrong answer shows in the picture too.
class Checks {
 public:
  explicit Checks(const char* name) : name_(name) {}
  void expect(bool pass, const std::string& what) {
    ok_.push_back(pass);
    if (pass) return;
    ++g_caseFailedChecks;
    std::fprintf(stderr, "%s: %s does not hold\n", name_, what.c_str());
  }
  // Clears the window and draws the squares; returns the first square left free.
  int draw() const {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glViewport(0, 0, 640, 480);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    for (size_t i = 0; i < ok_.size(); ++i) square(int(i), ok_[i] ? 0.0f : 1.0f, ok_[i] ? 1.0f : 0.0f, 0);
    return int(ok_.size());
  }

 private:
  const char* name_;
  std::vector<bool> ok_;
};

// A 128 x 32 bitmap like the loading picture: stripes and a frame, copied where the show
// copies it, from a wider buffer (the row length), and a piece of it at an odd place.
void copyBitmap() {
  const int w = 150, h = 32;
  std::vector<unsigned char> rgb(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &rgb[(size_t(y) * w + x) * 3];
      bool edge = x == 0 || y == 0 || x == 127 || y == h - 1;
      p[0] = (unsigned char)(edge ? 255 : (x * 2) & 255);
      p[1] = (unsigned char)(edge ? 255 : y * 8);
      p[2] = (unsigned char)(((x / 4) % 2) ? 220 : 30);
    }
  if (!g_caseDrawPixels) return;
  g_caseDrawPixels(500, 400, 128, 32, rgb.data(), w);
  g_caseDrawPixels(13, 101, 37, 17, &rgb[(size_t(5) * w + 7) * 3], w);
}

// An axis-aligned quad at depth z, its corners in the order (x0, y0), (x1, y0), (x1, y1), (x0, y1).
void rect(float x0, float y0, float x1, float y1, float z) {
  glBegin(GL_QUADS);
  glVertex3f(x0, y0, z); glVertex3f(x1, y0, z); glVertex3f(x1, y1, z); glVertex3f(x0, y1, z);
  glEnd();
}

// A quad of four corners, each {s, t, x, y, z}: its texture coordinate and its place.
void texQuad(const float (&corners)[4][5]) {
  glBegin(GL_QUADS);
  for (const float* c : corners) {
    glTexCoord2f(c[0], c[1]);
    glVertex3f(c[2], c[3], c[4]);
  }
  glEnd();
}

// The show's projection (4:3, near 0.1) and an identity modelview, in the current viewport.
void projection(double fovY = 45.0, double farPlane = 100.0) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovY, 640.0 / 480.0, 0.1f, farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void perspective(double fovY = 45.0, double farPlane = 100.0) {
  glViewport(0, 0, 640, 480);
  projection(fovY, farPlane);
}

// The show's start state (window procedure): smooth shading, depth test LEQUAL, texturing on.
void showState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0, 0, 0, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

// A w x h RGB picture with gradients and a grid, uploaded as the show's texture loader does.
GLuint makeTexture(int w, int h, int seed) {
  std::vector<unsigned char> rgb(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &rgb[(size_t(y) * w + x) * 3];
      bool line = (x % 8 == 0) || (y % 8 == 0);
      p[0] = (unsigned char)(line ? 255 : x * 255 / (w - 1));
      p[1] = (unsigned char)(line ? 255 : y * 255 / (h - 1));
      p[2] = (unsigned char)(((x / 8 + y / 8 + seed) % 2) ? 200 : 40);
    }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gluBuild2DMipmaps(GL_TEXTURE_2D, 3, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return name;
}

// s and t as red and green: the texture coordinates read back from the pixels.
GLuint coordinateTexture() {
  const int n = 256;
  std::vector<unsigned char> rgb(size_t(n) * n * 3);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      unsigned char* p = &rgb[(size_t(y) * n + x) * 3];
      p[0] = (unsigned char)x;
      p[1] = (unsigned char)y;
      p[2] = 0;
    }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, n, n, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  return name;
}

// Corners counter-clockwise seen from +z, each its own colour (the split diagonal shows).
void colourQuad(float x, float y, float w, float h, bool clockwise, float skew = 0) {
  glBegin(GL_QUADS);
  if (!clockwise) {
    glColor3f(1, 0, 0); glVertex3f(x, y, 0);
    glColor3f(0, 1, 0); glVertex3f(x + w, y, 0);
    glColor3f(0, 0, 1); glVertex3f(x + w - skew, y + h, 0);
    glColor3f(1, 1, 1); glVertex3f(x + skew, y + h, 0);
  } else {
    glColor3f(1, 0, 0); glVertex3f(x, y, 0);
    glColor3f(1, 1, 1); glVertex3f(x + skew, y + h, 0);
    glColor3f(0, 0, 1); glVertex3f(x + w - skew, y + h, 0);
    glColor3f(0, 1, 0); glVertex3f(x + w, y, 0);
  }
  glEnd();
}

void fan(float cx, float cy, float r, int sides, GLenum mode, bool clockwise) {
  glBegin(mode);
  if (mode == GL_TRIANGLE_FAN) {
    glColor3f(1, 1, 1);
    glVertex3f(cx, cy, 0);
  }
  for (int i = 0; i <= sides; ++i) {
    if (mode == GL_POLYGON && i == sides) break;
    double a = 2 * M_PI * i / sides * (clockwise ? -1 : 1);
    glColor3f(0.5f + 0.5f * float(std::cos(a)), 0.5f + 0.5f * float(std::sin(a)), 0.3f);
    glVertex3f(cx + r * float(std::cos(a)), cy + r * float(std::sin(a)), 0);
  }
  glEnd();
}

// Windings and culling: of each pair the left one is seen, the right one culled (or the other
// way round where the front face or the culled side is switched); flat shading; a scissor.
void drawWinding() {
  showState();
  perspective();
  glTranslatef(0, 0, -10);
  glEnable(GL_CULL_FACE);
  for (int row = 0; row < 3; ++row) {
    float y = 2.2f - row * 2.4f;
    GLenum front = row == 1 ? GL_CW : GL_CCW;
    glCullFace(row == 2 ? GL_FRONT : GL_BACK);
    glFrontFace(front);
    colourQuad(-6.5f, y, 1.6f, 1.6f, false, 0.5f);
    colourQuad(-4.5f, y, 1.6f, 1.6f, true, 0.5f);
    glFrontFace(front);
    fan(-1.8f, y + 0.8f, 0.8f, 7, GL_TRIANGLE_FAN, false);
    fan(0.0f, y + 0.8f, 0.8f, 7, GL_TRIANGLE_FAN, true);
    fan(1.8f, y + 0.8f, 0.8f, 5, GL_POLYGON, false);
    fan(3.6f, y + 0.8f, 0.8f, 5, GL_POLYGON, true);
    // Strips: a triangle strip and a quad strip of trapezoids, then reversed
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 6; ++i) {
      glColor3f(i % 2 ? 1.0f : 0.2f, 0.2f * i, 1.0f - 0.15f * i);
      glVertex3f(4.6f + 0.35f * i, y + (i % 2 ? 1.6f : 0.0f), 0);
    }
    glEnd();
  }
  glDisable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glLoadIdentity();
  glTranslatef(0, -4.2f, -12);
  glRotatef(-35, 1, 0, 0);
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i < 8; ++i) {
    float x = -6 + i * 1.7f;
    glColor3f(float(i % 3 == 0), float(i % 3 == 1), float(i % 3 == 2));
    glVertex3f(x, 0, 0);
    glColor3f(1, 1, 0.2f * i);
    glVertex3f(x + (i % 2 ? 0.6f : -0.6f), 1.5f, 0.4f * i);
  }
  glEnd();
  glBegin(GL_TRIANGLES);
  glColor3f(1, 0.5f, 0); glVertex3f(4, 0, 0);
  glColor3f(0, 0.5f, 1); glVertex3f(6, 0, -1);
  glColor3f(0.5f, 1, 0.5f); glVertex3f(5, 2, -2);
  glEnd();
  // Flat shading: each primitive in the colour of its provoking vertex
  glShadeModel(GL_FLAT);
  glLoadIdentity();
  glTranslatef(-5.5f, 4.3f, -12);
  fan(0, 0, 0.8f, 6, GL_POLYGON, false);
  fan(2, 0, 0.8f, 6, GL_TRIANGLE_FAN, false);
  glTranslatef(3.2f, -0.8f, 0);
  colourQuad(0, 0, 1.4f, 1.4f, false, 0.3f);
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i < 6; ++i) {
    glColor3f(float(i % 3 == 0), float(i % 3 == 1), float(i % 3 == 2));
    glVertex3f(2 + 0.5f * (i / 2), (i % 2) * 1.4f, 0);
  }
  glEnd();
  glBegin(GL_LINE_STRIP);
  glColor3f(1, 0, 0); glVertex3f(4, 0, 0);
  glColor3f(0, 1, 0); glVertex3f(5, 1.4f, 0);
  glColor3f(0, 0, 1); glVertex3f(6, 0, 0);
  glEnd();
  glShadeModel(GL_SMOOTH);
  // A scissored clear, partly outside the window
  glEnable(GL_SCISSOR_TEST);
  glScissor(600, 400, 200, 200);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

// Texturing with modulate, tiling, blending (the show's three functions) and depth.
void drawTexture() {
  showState();
  glEnable(GL_TEXTURE_2D);
  GLuint a = makeTexture(64, 64, 0);
  GLuint b = makeTexture(50, 30, 1);  // GLU scales it to powers of two
  perspective();
  glTranslatef(0, 0, -8);
  glBindTexture(GL_TEXTURE_2D, a);
  glColor3f(1, 1, 1);
  texQuad({{0, 1, -5, 3.5f, 0}, {0, 0, -5, 0.5f, 0}, {1, 0, -2, 0.5f, 0}, {1, 1, -2, 3.5f, 0}});  // plain
  glColor3ub(255, 120, 60);  // tinted and tiled 3 x 3
  texQuad({{0, 3, -1.5f, 3.5f, 0}, {0, 0, -1.5f, 0.5f, 0}, {3, 0, 1.5f, 0.5f, 0}, {3, 3, 1.5f, 3.5f, 0}});
  glBindTexture(GL_TEXTURE_2D, b);  // a slanted quad: the texture follows the split
  glColor3f(1, 1, 1);
  texQuad({{0, 1, 2.2f, 3.5f, 0}, {1, 1, 5.2f, 3.0f, 0}, {1, 0, 4.5f, 0.5f, 0}, {0, 0, 2.6f, 0.5f, 0}});
  // Blending over a textured floor seen in perspective
  glBindTexture(GL_TEXTURE_2D, a);
  texQuad({{0, 0, -6, -4, 2}, {4, 0, 6, -4, 2}, {4, 4, 6, -1, -6}, {0, 4, -6, -1, -6}});
  glEnable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  const GLenum src[3] = {GL_SRC_ALPHA, GL_ONE, GL_DST_COLOR};
  const GLenum dst[3] = {GL_ONE, GL_ONE, GL_ZERO};
  for (int i = 0; i < 3; ++i) {
    glBlendFunc(src[i], dst[i]);
    glColor4f(0.2f + 0.3f * i, 0.8f - 0.3f * i, 0.5f, 0.6f);
    float x = -5 + 3.5f * i;
    glBegin(GL_QUADS);
    glVertex3f(x, -0.2f, 0.5f);
    glVertex3f(x, -3, 0.5f);
    glVertex3f(x + 2.5f, -3, 0.5f);
    glVertex3f(x + 2.5f, -0.2f, 0.5f);
    glEnd();
  }
  glColor4f(1, 1, 1, -0.5f);  // alpha below 0 clamps: nothing added
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  rect(-6, -4, 6, 4, 1);
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  // Depth: a quad pushed through the floor, and one behind that must stay hidden
  glColor3f(0.6f, 1, 0.6f);
  texQuad({{0, 0, 3, -4, -3}, {1, 0, 5, -4, -3}, {1, 1, 5, -0.5f, 1}, {0, 1, 3, -0.5f, 1}});
  glColor3f(1, 0, 0);
  rect(-4.5f, 3, -2.5f, 1, -1);
  glColor3f(1, 1, 1);
}

void sphereMap(bool on) {
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  (on ? glEnable : glDisable)(GL_TEXTURE_GEN_S);
  (on ? glEnable : glDisable)(GL_TEXTURE_GEN_T);
}

// The start state, white, the coordinate texture bound and sphere maps on.
void sphereMapView() {
  showState();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, coordinateTexture());
  perspective();
  glColor3f(1, 1, 1);
  sphereMap(true);
}

// Sphere-map texture coordinates, read back as colours: a sphere, a tilted quad, a cylinder
// under a non-uniform scale (its normals are not unit length in eye space) and a fan with a
// normal per vertex.
void drawSphereMap() {
  sphereMapView();
  glTranslatef(-3.2f, 1.2f, -8);
  GLUquadric* q = gluNewQuadric();
  gluQuadricNormals(q, GLU_SMOOTH);
  gluSphere(q, 1.6, 24, 24);
  glLoadIdentity();
  glTranslatef(0.5f, 1.2f, -7);
  glRotatef(30, 1, 1, 0);
  glBegin(GL_QUADS);
  glNormal3f(0, 0, 1);
  glVertex3f(-1, -1, 0); glVertex3f(1, -1, 0); glVertex3f(1, 1, 0); glVertex3f(-1, 1, 0);
  glEnd();
  glLoadIdentity();
  glTranslatef(3.5f, -0.5f, -9);
  glScalef(1.0f, 2.0f, 0.5f);
  glRotatef(-80, 1, 0, 0);
  gluCylinder(q, 1.0, 0.6, 1.5, 20, 4);
  glLoadIdentity();
  glTranslatef(-1.5f, -2.2f, -7);
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  glVertex3f(0, 0, 0.3f);
  for (int i = 0; i <= 12; ++i) {
    double a = 2 * M_PI * i / 12;
    float c = float(std::cos(a)), s = float(std::sin(a));
    glNormal3f(0.7f * c, 0.7f * s, 0.7f);
    glVertex3f(1.4f * c, 1.4f * s, 0);
  }
  glEnd();
  sphereMap(false);
  // After the generation: explicit coordinates again
  glLoadIdentity();
  glTranslatef(3.2f, 2.4f, -8);
  texQuad({{0, 0, -0.8f, -0.8f, 0}, {1, 0, 0.8f, -0.8f, 0}, {1, 1, 0.8f, 0.8f, 0}, {0, 1, -0.8f, 0.8f, 0}});
  gluDeleteQuadric(q);
}

// Tessellated, extruded shapes in lists the way the outline font builds its glyphs.
struct Tess {
  std::deque<std::vector<double>> extra;
  std::vector<double> points;
};
void APIENTRY tessBegin(GLenum, void*) {}
void APIENTRY tessEdge(GLboolean, void*) {}
void APIENTRY tessVertex(void* v, void* user) {
  const double* p = static_cast<const double*>(v);
  static_cast<Tess*>(user)->points.push_back(p[0]);
  static_cast<Tess*>(user)->points.push_back(p[1]);
}
void APIENTRY tessCombine(GLdouble c[3], void*[4], GLfloat[4], void** out, void* user) {
  Tess* t = static_cast<Tess*>(user);
  t->extra.push_back({c[0], c[1], c[2]});
  *out = t->extra.back().data();
}

void compileGlyph(GLuint list, int points, double inner, double advance) {
  // A star with a hole: two contours, non-zero winding, as a glyph's outline.
  std::deque<std::vector<double>> vertices;
  Tess result;
  GLUtesselator* tess = gluNewTess();
  gluTessCallback(tess, GLU_TESS_BEGIN_DATA, (_GLUfuncptr)tessBegin);
  gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, (_GLUfuncptr)tessEdge);
  gluTessCallback(tess, GLU_TESS_VERTEX_DATA, (_GLUfuncptr)tessVertex);
  gluTessCallback(tess, GLU_TESS_COMBINE_DATA, (_GLUfuncptr)tessCombine);
  gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
  gluTessNormal(tess, 0, 0, 1);
  gluTessBeginPolygon(tess, &result);
  for (int contour = 0; contour < 2; ++contour) {
    gluTessBeginContour(tess);
    int n = contour ? 12 : points * 2;
    for (int i = 0; i < n; ++i) {
      double a = 2 * M_PI * i / n;
      double r = contour ? 0.12 : (i % 2 ? inner : 0.45);
      vertices.push_back({0.5 + r * std::cos(a), 0.5 + r * std::sin(a), 0});
      gluTessVertex(tess, vertices.back().data(), vertices.back().data());
    }
    gluTessEndContour(tess);
  }
  gluTessEndPolygon(tess);
  gluDeleteTess(tess);
  glNewList(list, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  glNormal3f(0, 0, 1);
  for (size_t i = 0; i + 1 < result.points.size(); i += 2) glVertex3f(float(result.points[i]), float(result.points[i + 1]), 0);
  glEnd();
  glBegin(GL_QUADS);  // a rim towards -z
  for (size_t i = 0; i + 3 < result.points.size(); i += 6) {
    glVertex3f(float(result.points[i]), float(result.points[i + 1]), 0);
    glVertex3f(float(result.points[i]), float(result.points[i + 1]), -0.2f);
    glVertex3f(float(result.points[i + 2]), float(result.points[i + 3]), -0.2f);
    glVertex3f(float(result.points[i + 2]), float(result.points[i + 3]), 0);
  }
  glEnd();
  glTranslatef(float(advance), 0, 0);
  glEndList();
}

// Display lists: compiled, compiled and executed (the sphere cache), nested, called through
// a list base under glPushAttrib(GL_LIST_BIT) as the text is printed.
void drawLists() {
  showState();
  perspective();
  GLuint base = glGenLists(4);
  for (int i = 0; i < 4; ++i) compileGlyph(base + i, 5 + i, 0.2 + 0.05 * i, 0.9 + 0.1 * i);
  GLuint square = glGenLists(2);
  glNewList(square, GL_COMPILE);
  rect(0, 0, 0.6f, 0.6f, 0);
  glTranslatef(0.8f, 0, 0);
  glEndList();
  glNewList(square + 1, GL_COMPILE);  // nested: three squares, the middle one turned
  glColor3f(1, 0.6f, 0.2f);
  glCallList(square);
  glRotatef(20, 0, 0, 1);
  glColor3f(0.2f, 0.6f, 1);
  glCallList(square);
  glRotatef(-20, 0, 0, 1);
  glColor3f(0.9f, 0.9f, 0.9f);
  glCallList(square);
  glEndList();

  glTranslatef(-4.5f, 2.0f, -9);
  glCallList(square + 1);
  glLoadIdentity();
  glTranslatef(-4.5f, 0.8f, -9);
  glScalef(1.5f, 0.7f, 1);
  glCallList(square + 1);

  // The sphere cache: the first call records and draws, later calls replay
  GLuint sphere = glGenLists(1);
  glLoadIdentity();
  glTranslatef(2.5f, 2.0f, -9);
  glColor3f(0.3f, 0.9f, 0.4f);
  glNewList(sphere, GL_COMPILE_AND_EXECUTE);
  GLUquadric* q = gluNewQuadric();
  gluQuadricDrawStyle(q, GLU_FILL);
  gluQuadricNormals(q, GLU_SMOOTH);
  gluSphere(q, 0.9, 16, 16);
  glEndList();
  gluDeleteQuadric(q);
  glTranslatef(2.2f, 0, 0);
  glColor3f(0.9f, 0.3f, 0.6f);
  glCallList(sphere);

  // Text: glyph lists through the list base, the base put back by glPopAttrib
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glLoadIdentity();
  glTranslatef(-5, -2.5f, -8);
  glRotatef(-25, 0, 1, 0);
  glScalef(1.6f, 1.6f, 1.6f);
  glListBase(77);
  glColor3f(1, 1, 0.4f);
  const unsigned char text[6] = {0, 1, 2, 3, 2, 0};
  glPushAttrib(GL_LIST_BIT);
  glListBase(base);
  glCallLists(6, GL_UNSIGNED_BYTE, text);
  glPopAttrib();
  GLint restored = 0;
  glGetIntegerv(GL_LIST_BASE, &restored);
  glDisable(GL_CULL_FACE);
  // A marker of the list base put back: green when it is, red when not
  glLoadIdentity();
  glColor3f(restored == 77 ? 0.0f : 1.0f, restored == 77 ? 1.0f : 0.0f, 0);
  glTranslatef(3.6f, -3.3f, -9);
  glCallList(square);
  glDeleteLists(base, 4);
}

// GLU's quadrics with texture coordinates and normals, as the show's shapes use them.
void drawQuadrics() {
  showState();
  glEnable(GL_TEXTURE_2D);
  GLuint t = makeTexture(64, 64, 0);
  glBindTexture(GL_TEXTURE_2D, t);
  perspective(45, 2500);
  glEnable(GL_CULL_FACE);
  glColor3f(1, 1, 1);
  GLUquadric* q = gluNewQuadric();
  gluQuadricNormals(q, GLU_SMOOTH);
  gluQuadricOrientation(q, GLU_OUTSIDE);
  gluQuadricTexture(q, GL_TRUE);
  glTranslatef(-3, 1.3f, -9);
  glRotatef(70, 1, 0, 0);
  glFrontFace(GL_CCW);
  gluSphere(q, 1.5, 16, 16);
  glLoadIdentity();
  glTranslatef(0.5f, 1.0f, -9);
  glRotatef(-60, 1, 0, 0);
  glRotatef(20, 0, 1, 0);
  gluCylinder(q, 0.0, 1.2, 2.5, 20, 20);  // a cone, point at the origin
  glLoadIdentity();
  glTranslatef(3.8f, 1.3f, -9);
  glRotatef(-30, 1, 0, 0);
  gluCylinder(q, 1.0, 1.0, 2.0, 10, 10);
  glDisable(GL_CULL_FACE);
  glLoadIdentity();
  glTranslatef(-2.5f, -2.2f, -8);
  gluPartialDisk(q, 0.5, 1.8, 20, 4, 30, 250);
  glLoadIdentity();
  glTranslatef(2.5f, -2.2f, -8);
  glRotatef(40, 1, 0, 0);
  gluQuadricOrientation(q, GLU_INSIDE);
  gluDisk(q, 0.3, 1.6, 16, 3);
  gluDeleteQuadric(q);
}

// Lines: a strip at width 3, thin strips and loops, lines through the near plane, depth.
void drawLines() {
  showState();
  perspective();
  glTranslatef(0, 0, -8);
  glColor3f(0.3f, 0.3f, 0.8f);
  rect(-6, -4, 6, 0, -1);
  glLineWidth(3);
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= 10; ++i) {
    glColor3f(1, 0.1f * i, 0);
    glVertex3f(-5.5f + i, 3.0f + (i % 2 ? -0.8f : 0.8f), 0);
  }
  glEnd();
  glBegin(GL_LINE_STRIP);  // steep: y-major
  glColor3f(0, 1, 1);
  glVertex3f(-5, -3.5f, -2);
  glVertex3f(-4.5f, 1.5f, 0);
  glEnd();
  glLineWidth(1);
  glBegin(GL_LINES);
  for (int i = 0; i < 8; ++i) {
    glColor3f(1, 1, 1);
    glVertex3f(-3.0f + 0.7f * i, -3.0f, -2.0f + 0.5f * i);
    glColor3f(0, 1, 0);
    glVertex3f(-2.5f + 0.9f * i, 1.0f, 0);
  }
  glEnd();
  glBegin(GL_LINE_LOOP);
  glColor3f(1, 0, 1);
  glVertex3f(3, -3, 0); glVertex3f(5.5f, -2, 0); glVertex3f(4.5f, 0.5f, 0); glVertex3f(3.2f, 0, 0);
  glEnd();
  glLineWidth(2);
  glBegin(GL_LINES);  // from in front of the eye to far away: clipped at the near plane
  glColor3f(1, 1, 0);
  glVertex3f(1, -1, 9);
  glVertex3f(2, -2, -20);
  glEnd();
  glLineWidth(1);
}

// The show's split screen at a sharper picture: viewports scaled and rounded, lines widened,
// the loading bitmap copied at the picture's scale.
void drawViewports() {
  showState();
  const int views[3][4] = {{0, 240, 320, 240}, {320, 0, 320, 480}, {0, 0, 320, 240}};
  for (int v = 0; v < 3; ++v) {
    glViewport(views[v][0], views[v][1], views[v][2], views[v][3]);
    projection();
    glTranslatef(0, 0, -5);
    glRotatef(15.0f * v, 0, 0, 1);
    colourQuad(-1.8f, -1.3f, 3.6f, 2.6f, false, 0.3f);
    glColor3f(1, 1, 1);
    glBegin(GL_LINE_LOOP);
    glVertex3f(-1.9f, -1.4f, 0.1f); glVertex3f(1.9f, -1.4f, 0.1f); glVertex3f(1.9f, 1.4f, 0.1f); glVertex3f(-1.9f, 1.4f, 0.1f);
    glEnd();
  }
  // An odd viewport, not on the scale's grid
  glViewport(13, 7, 101, 77);
  glLoadIdentity();
  glTranslatef(0, 0, -3);
  glColor3f(1, 1, 0);
  rect(-2, -2, 2, 2, 0);
  copyBitmap();
  // The state the copy must leave: a quad drawn as before it
  glLoadIdentity();
  glTranslatef(0, 0, -3);
  glColor3f(0, 1, 1);
  rect(0.5f, 0.5f, 1, 1, 0);
}

// A picture wider than 4:3 (bars) and a fast-forward in the middle: what
// is drawn while discarding leaves no trace, but its state (matrices, colour) carries on.
void drawBarsAndDiscard() {
  showState();
  perspective();
  glTranslatef(0, 0, -5);
  glColor3f(0.2f, 0.4f, 0.9f);
  rect(-9, -9, 9, 9, 0);  // larger than the view: must stop at the picture's edge
  if (g_caseDiscard) g_caseDiscard(true);
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glTranslatef(-2, 0, 0);  // kept
  glColor3f(1, 1, 0);      // kept
  rect(-1, -1, 1, 1, 0);
  if (g_caseDiscard) g_caseDiscard(false);
  glBegin(GL_TRIANGLES);
  glVertex3f(0, 0, 0.5f); glVertex3f(1, 0, 0.5f); glVertex3f(0.5f, 1, 0.5f);
  glEnd();
  copyBitmap();
}

// State the callers read back (the texture loader, GLU, the text printer), one square each:
// green where OpenGL answers as specified, red where not (named on standard error); the last
// square shows values as colours (what GLU made of a 50 x 30 picture).
void drawState() {
  Checks checks("state");
  auto expect = [&](bool pass, const char* name) { checks.expect(pass, name); };
  auto integer = [](GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
  };
  GLint v[4] = {0, 0, 0, 0};
  GLfloat m[16];
  expect(std::strtod(reinterpret_cast<const char*>(glGetString(GL_VERSION)), nullptr) >= 1.1, "GL_VERSION >= 1.1");
  expect(integer(GL_MAX_TEXTURE_SIZE) >= 1024, "GL_MAX_TEXTURE_SIZE >= 1024");
  expect(integer(GL_MATRIX_MODE) == GL_MODELVIEW, "GL_MATRIX_MODE starts GL_MODELVIEW");
  glViewport(10, 20, 300, 200);
  glGetIntegerv(GL_VIEWPORT, v);
  expect(v[0] == 10 && v[1] == 20 && v[2] == 300 && v[3] == 200, "GL_VIEWPORT as set");
  glViewport(0, 0, 640, 480);
  expect(integer(GL_UNPACK_ALIGNMENT) == 4, "GL_UNPACK_ALIGNMENT starts 4");
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 33);
  expect(integer(GL_UNPACK_ROW_LENGTH) == 33, "GL_UNPACK_ROW_LENGTH as set");
  glPopClientAttrib();
  expect(integer(GL_UNPACK_ALIGNMENT) == 4 && integer(GL_UNPACK_ROW_LENGTH) == 0, "glPopClientAttrib restores the pixel store");
  glListBase(3);
  glPushAttrib(GL_LIST_BIT);
  glListBase(200);
  glPopAttrib();
  expect(integer(GL_LIST_BASE) == 3, "glPopAttrib(GL_LIST_BIT) restores the list base");
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CW);
  glPopAttrib();
  expect(!glIsEnabled(GL_BLEND) && !glIsEnabled(GL_CULL_FACE) && integer(GL_BLEND_SRC) == GL_ONE &&
             integer(GL_BLEND_DST) == GL_ZERO && integer(GL_FRONT_FACE) == GL_CCW,
         "glPopAttrib restores enables, blending and winding");
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  glRotatef(90, 0, 0, 1);
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  expect(m[12] == 1 && m[13] == 2 && m[14] == 3 && std::fabs(m[1] - 1) < 1e-6f && std::fabs(m[0]) < 1e-6f,
         "GL_MODELVIEW_MATRIX after a translation and a rotation");
  glLoadIdentity();
  while (glGetError() != GL_NO_ERROR) {
  }
  glPopMatrix();
  expect(glGetError() == GL_STACK_UNDERFLOW && glGetError() == GL_NO_ERROR, "glPopMatrix underflow, then no error");
  glEnable(GL_DEPTH_TEST);
  expect(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, "glIsEnabled(GL_DEPTH_TEST)");
  glDisable(GL_DEPTH_TEST);
  GLuint lists = glGenLists(2);
  expect(lists != 0 && glIsList(lists) && glIsList(lists + 1), "glGenLists names lists");
  glDeleteLists(lists, 2);
  expect(!glIsList(lists), "glDeleteLists frees them");
  GLboolean doubleBuffered = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  expect(integer(GL_DEPTH_BITS) >= 16, "GL_DEPTH_BITS >= 16");
  // What GLU made of a 50 x 30 picture, and the proxy it asked.
  glEnable(GL_TEXTURE_2D);
  makeTexture(50, 30, 0);
  GLint w = 0, h = 0, w1 = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &w1);
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 3, 1 << 20, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  GLint proxy = -1;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxy);
  expect(proxy == 0, "a proxy too large to fit is width 0");
  glDisable(GL_TEXTURE_2D);
  expect(glGetError() == GL_NO_ERROR, "no error on the way");

  checks.draw();
  square(20, w / 256.0f, h / 256.0f, w1 / 256.0f);
}

// A quad with a normal of its own at each corner, tilted outwards (not unit length).
void tiltedQuad() {
  glBegin(GL_QUADS);
  glNormal3f(-0.6f, -0.6f, 0.8f); glVertex3f(-1, -1, 0);
  glNormal3f(0.9f, -0.5f, 0.7f); glVertex3f(1, -1, 0);
  glNormal3f(0.5f, 0.5f, 1.3f); glVertex3f(1, 1, 0);
  glNormal3f(-0.4f, 0.8f, 0.6f); glVertex3f(-1, 1, 0);
  glEnd();
}

// Sphere maps while display lists replay, as the show draws its cached spheres and its
// sphere-mapped models: a sphere and a quad recorded with generation off and replayed with it
// on (turned; scaled unevenly, so the normals are not unit length in eye space), a list that
// switches generation on and off itself, and a sphere compiled and executed with it on.
void drawSphereMapLists() {
  sphereMapView();
  GLuint lists = glGenLists(4);
  GLUquadric* q = gluNewQuadric();
  gluQuadricNormals(q, GLU_SMOOTH);
  glNewList(lists, GL_COMPILE);
  gluSphere(q, 1.2, 20, 20);
  glEndList();
  glNewList(lists + 1, GL_COMPILE);
  tiltedQuad();
  glEndList();
  glNewList(lists + 2, GL_COMPILE);
  sphereMap(true);
  glCallList(lists + 1);
  sphereMap(false);
  glEndList();
  const float at[5][3] = {{-3.6f, 1.6f, -8}, {0, 1.6f, -8}, {3.2f, 1.6f, -10}, {-3.4f, -2, -7}, {0, -2, -7}};
  for (int i = 0; i < 5; ++i) {
    glLoadIdentity();
    glTranslatef(at[i][0], at[i][1], at[i][2]);
    glRotatef(i == 1 ? 50 : 35 * (i / 3), 1, 1, 0);
    if (i == 2) glScalef(1.4f, 0.6f, 1.0f);
    sphereMap(i < 4);  // the last list turns it on for itself
    glCallList(i < 3 ? lists : i == 3 ? lists + 1 : lists + 2);
  }
  sphereMap(true);
  glLoadIdentity();
  glTranslatef(3.4f, -2.0f, -8);
  glScalef(0.7f, 1.3f, 1.0f);
  glNewList(lists + 3, GL_COMPILE_AND_EXECUTE);
  gluSphere(q, 1.0, 16, 12);
  glEndList();
  sphereMap(false);
  gluDeleteQuadric(q);
}

// Sphere maps on wide lines: a coordinate generated at each end from its normal (not unit
// length), on a strip, on single lines and on a loop replayed from a list.
void drawSphereMapLines() {
  sphereMapView();
  glTranslatef(0, 0, -8);
  glLineWidth(3);
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= 12; ++i) {
    float c = float(std::cos(M_PI * i / 6)), s = float(std::sin(M_PI * i / 6));
    glNormal3f(c, s, 0.6f);
    glVertex3f(-5.5f + 0.9f * i, 2.6f + 0.6f * s, 0);
  }
  glEnd();
  glBegin(GL_LINES);
  for (int i = 0; i < 20; ++i) {
    glNormal3f(-0.8f + 0.08f * i, 0.5f, 0.7f);
    glVertex3f(-5.0f + 0.25f * i, -3.0f, 0);
    glNormal3f(0.3f, -0.9f + 0.09f * i, 1.2f);
    glVertex3f(-4.0f + 0.3f * i, 0.5f, -1);
  }
  glEnd();
  GLuint loop = glGenLists(1);
  glNewList(loop, GL_COMPILE);
  glLineWidth(4);
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < 9; ++i) {
    float c = float(std::cos(2 * M_PI * i / 9)), s = float(std::sin(2 * M_PI * i / 9));
    glNormal3f(c, s, 0.4f);
    glVertex3f(1.6f * c, 1.6f * s, 0);
  }
  glEnd();
  glLineWidth(1);
  glEndList();
  glTranslatef(3.0f, -1.0f, 0);
  glRotatef(40, 1, 0, 0);
  glCallList(loop);
  glTranslatef(0, 0, -2);
  glRotatef(-70, 0, 1, 0);
  glCallList(loop);
  sphereMap(false);
}

// Culled clockwise lists, as the show replays its shapes with glFrontFace(GL_CW): one list of
// clockwise shapes (a quad, a fan, a strip) replayed in each row, front face CW culling the
// back (seen), CCW culling the back (culled), CW culling the front (culled), turned away under
// CW culling the front (seen, mirrored); then a list that sets winding and culling itself,
// alone and nested in another.
void drawCulledLists() {
  showState();
  perspective();
  GLuint lists = glGenLists(3);
  glNewList(lists, GL_COMPILE);
  colourQuad(-0.8f, -0.8f, 1.6f, 1.6f, true, 0.3f);
  fan(2, 0, 0.8f, 6, GL_TRIANGLE_FAN, true);
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i < 6; ++i) {
    glColor3f(i % 2 ? 1.0f : 0.2f, 0.2f * i, 1.0f - 0.15f * i);
    glVertex3f(3.2f + 0.32f * i, i % 2 ? 0.8f : -0.8f, 0);
  }
  glEnd();
  glEndList();
  glNewList(lists + 1, GL_COMPILE);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  glCallList(lists);
  glFrontFace(GL_CCW);
  glEndList();
  glNewList(lists + 2, GL_COMPILE);
  glTranslatef(5.5f, 0, 0);
  glCallList(lists + 1);
  glEndList();
  glEnable(GL_CULL_FACE);
  for (int row = 0; row < 4; ++row) {
    glLoadIdentity();
    glTranslatef(row == 3 ? -0.5f : -5.0f, 3.3f - 1.7f * row, -10);
    if (row == 3) glRotatef(180, 0, 1, 0);
    glFrontFace(row == 1 ? GL_CCW : GL_CW);
    glCullFace(row < 2 ? GL_BACK : GL_FRONT);
    glCallList(lists);
  }
  glDisable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);
  glLoadIdentity();
  glTranslatef(-5.0f, -3.4f, -10);
  glCallList(lists + 1);
  glCallList(lists + 2);
  glDisable(GL_CULL_FACE);
}

// List names at the edges of GLuint: 0 is refused with GL_INVALID_VALUE; a huge name (the
// largest, one whose table size wraps to 0 in 32 bits, the top bit, ...) is either stored and
// replays, or refused with GL_OUT_OF_MEMORY; whichever, the lists made before replay as they
// did. glGenLists hands out a run of new names that does not wrap past the largest, or 0.
void drawListNames() {
  Checks checks("listnames");
  char what[160];
  auto colourIs = [](float r) {  // the current colour is (r, 0.5, 1 - r)
    GLfloat c[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_CURRENT_COLOR, c);
    return std::fabs(c[0] - r) < 1e-3f && std::fabs(c[1] - 0.5f) < 1e-3f && std::fabs(c[2] - 1 + r) < 1e-3f;
  };
  auto compile = [](GLuint name, float r) {
    glNewList(name, GL_COMPILE);
    GLenum atNew = takeError();
    glColor3f(r, 0.5f, 1 - r);
    glEndList();
    glColor3f(0, 0, 0);
    return atNew;
  };
  auto replays = [&](GLuint name, float r) {
    glCallList(name);
    bool ok = glIsList(name) && colourIs(r);
    glColor3f(0, 0, 0);
    return ok;
  };
  const GLuint kept = glGenLists(3);  // nothing may overwrite these
  for (int i = 0; i < 3; ++i) compile(kept + i, 0.2f + 0.3f * i);
  auto keptIntact = [&]() {
    return replays(kept, 0.2f) && replays(kept + 1, 0.5f) && replays(kept + 2, 0.8f) && !glIsList(0);
  };
  checks.expect(kept != 0 && keptIntact() && takeError() == GL_NO_ERROR, "three lists replay");
  GLenum atNew = compile(0, 0.9f);
  checks.expect(atNew == GL_INVALID_VALUE && takeError() == GL_INVALID_OPERATION && !glIsList(0),
                "glNewList(0) is refused with GL_INVALID_VALUE and compiles nothing");

  for (GLuint name : {0xffffffffu, 0xfffffffeu, 0xfffffff0u, 0x80000000u, 0x7fffffffu, 0x10000000u}) {
    atNew = compile(name, 0.25f);
    GLenum atEnd = takeError();
    bool stored = glIsList(name) == GL_TRUE;
    std::snprintf(what, sizeof what, "list %u is stored and replays, or is refused with GL_OUT_OF_MEMORY "
                  "(errors 0x%x, 0x%x; stored %d)", name, atNew, atEnd, int(stored));
    checks.expect(stored ? !atNew && !atEnd && replays(name, 0.25f)
                         : atNew == GL_OUT_OF_MEMORY ? atEnd == GL_INVALID_OPERATION : atEnd == GL_OUT_OF_MEMORY,
                  what);
    std::snprintf(what, sizeof what, "the lists made before replay after list %u", name);
    checks.expect(keptIntact() && takeError() == GL_NO_ERROR, what);
  }
  glDeleteLists(0x80000000u, 1);
  checks.expect(!glIsList(0x80000000u) && takeError() == GL_NO_ERROR, "glDeleteLists(0x80000000, 1) deletes it");
  checks.expect(glGenLists(0) == 0 && takeError() == GL_NO_ERROR, "glGenLists(0) is 0, no error");
  checks.expect(glGenLists(-1) == 0 && takeError() == GL_INVALID_VALUE, "glGenLists(-1) is 0, GL_INVALID_VALUE");
  // A run that fits below the largest name or none; 2^31 - 1 names only of the stand-in (Mesa
  // would make every one of them).
  for (GLsizei range : {100, 0x7fffffff}) {
    if (g_caseOnMesa && range > 100) {
      checks.expect(true, "glGenLists(0x7fffffff), asked of the stand-in only");
      continue;
    }
    GLuint base = glGenLists(range), last = base + GLuint(range - 1);
    GLenum error = takeError();
    std::snprintf(what, sizeof what, "glGenLists(%d) is 0 or a run of new names that fits (%u, error 0x%x)", range,
                  base, error);
    checks.expect(base == 0 ? error == GL_NO_ERROR || error == GL_OUT_OF_MEMORY
                            : !error && last > base && glIsList(base) && glIsList(last) && (base > kept + 2 || last < kept),
                  what);
  }
  GLuint one = glGenLists(1);
  compile(one, 0.6f);
  checks.expect(one != 0 && replays(one, 0.6f) && keptIntact() && takeError() == GL_NO_ERROR,
                "a list made afterwards replays, and so do those made before");
  checks.draw();
}

}  // namespace

// Limits measured on SwiftShader: mean 0.01 to 0.25, at most 0.06 % far off; quads split on
// the other diagonal came to 12, lines at 1.6 pixels not rounded to 2 to 0.63, sphere maps of
// normals made unit length to 0.37 (spheremap), 1.07 (spheremaplists) and 0.21 (spheremaplines).
const GlCase kGlCases[] = {
    {"winding", 640, 480, drawWinding, 0.3, 0.002, nullptr},
    {"texture", 640, 480, drawTexture, 1.0, 0.005, nullptr},
    {"spheremap", 640, 480, drawSphereMap, 0.2, 0.002, nullptr},
    {"lists", 640, 480, drawLists, 0.3, 0.002, nullptr},
    {"quadrics", 640, 480, drawQuadrics, 0.4, 0.002, nullptr},
    {"lines", 640, 480, drawLines, 0.3, 0.002, nullptr},
    {"viewports", 1024, 768, drawViewports, 0.3, 0.002, nullptr},
    {"bars", 800, 480, drawBarsAndDiscard, 0.1, 0.001, nullptr},
    {"state", 640, 480, drawState, 0.1, 0.001, "GL_STACK_UNDERFLOW in glPopMatrix"},  // and no red square
    {"spheremaplists", 640, 480, drawSphereMapLists, 0.2, 0.002, nullptr},
    {"spheremaplines", 640, 480, drawSphereMapLines, 0.12, 0.002, nullptr},
    {"culledlists", 640, 480, drawCulledLists, 0.3, 0.002, nullptr},
    {"listnames", 640, 480, drawListNames, 0.1, 0.001,
     "GL_(INVALID_VALUE|INVALID_OPERATION|OUT_OF_MEMORY) in gl(NewList|EndList|GenLists)"},
};
const int kGlCaseCount = sizeof kGlCases / sizeof kGlCases[0];
