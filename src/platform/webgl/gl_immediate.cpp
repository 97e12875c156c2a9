// OpenGL 1.1 immediate mode over WebGL 2, batched.
// Supports: glBegin/glEnd of GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS,
// GL_QUAD_STRIP, GL_POLYGON (convex, as a fan), GL_LINES, GL_LINE_STRIP, GL_LINE_LOOP and
// GL_POINTS; glVertex 2/3/4 (float, double, int), glColor 3/4 (float, double, unsigned byte),
// glNormal3, glTexCoord 1/2/4; sphere-map texture-coordinate generation for S and T exactly as
// OpenGL 1.1 defines it, per vertex (u the unit eye-space position, n' the normal through the
// inverse transpose of the modelview, normalised only under GL_NORMALIZE, as Mesa does;
// r = u - 2 n'(n'.u), m = 2 sqrt(rx^2 + ry^2 + (rz + 1)^2), s = rx/m + 1/2, t = ry/m + 1/2);
// the texture matrix (its result divided by q); lines and points at their width in
// framebuffer pixels (glLineWidth times the picture's scale, rounded), as quads: x-major lines
// widened along y and y-major ones along x, as GL rasterises wide lines, clipped at the near
// plane. Each vertex is transformed to clip space when it is given, so matrix changes never end
// a batch; primitives are split into triangles as Mesa splits them (assemblePolygons), so
// non-planar or non-affine quads interpolate as natively; clockwise-front primitives are
// reversed, so glFrontFace ends no batch either. One batch collects primitives until their
// draw state (webgl_device.h) changes, and is drawn with one upload and one call.
// Flat shading gives each triangle the colour of OpenGL 1.1's provoking vertex.
// Does not support: edge flags, vertex arrays, eye- and object-linear texture generation (said
// once on standard error), polygon modes.
// Depends on the matrices (gl_matrix.cpp), textures (gl_texture.cpp), webgl_device.cpp.
#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "platform/webgl/gl_context.h"

namespace webgl {
namespace {

const size_t kFlushVertices = 1u << 18;  // a batch this large is drawn at the next glBegin
bool g_batchLine = false;
bool g_skipPrimitive = false;  // nothing to collect: discarding, or no picture yet

float clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

void triangle(uint32_t a, uint32_t b, uint32_t c, bool reverse) {
  std::vector<uint32_t>& idx = g.batch.indices;
  idx.push_back(a);
  if (reverse) {
    idx.push_back(c);
    idx.push_back(b);
  } else {
    idx.push_back(b);
    idx.push_back(c);
  }
}

// Flat shading: the triangle's own copies of its vertices, all in the colour of the provoking
// vertex `p` (OpenGL 1.1's: the last of each triangle, quad or strip element, the first of a
// polygon).
void flatTriangle(uint32_t a, uint32_t b, uint32_t c, uint32_t p, bool reverse) {
  std::vector<Vertex>& v = g.batch.vertices;
  const Vertex provoking = v[p];
  Vertex copies[3] = {v[a], v[b], v[c]};
  for (Vertex& copy : copies) {
    copy.r = provoking.r;
    copy.g = provoking.g;
    copy.b = provoking.b;
    copy.a = provoking.a;
  }
  const uint32_t base = uint32_t(v.size());
  v.insert(v.end(), copies, copies + 3);
  triangle(base, base + 1, base + 2, reverse);
}

// Appends the triangles of a primitive of the batch (polygonTriangles).
void assemblePolygons(GLenum mode, uint32_t first, uint32_t count, bool reverse, bool clipped, bool flat) {
  polygonTriangles(mode, count, clipped, [&](uint32_t a, uint32_t b, uint32_t c, uint32_t provoking) {
    if (flat)
      flatTriangle(first + a, first + b, first + c, first + provoking, reverse);
    else
      triangle(first + a, first + b, first + c, reverse);
  });
}

// The primitives of one of Mesa's draws: the run of glBegin/glEnd between calls that change any
// state (matrices included). Whether any vertex of the run lies outside the view volume decides
// how its quads are split, so the run's primitives are assembled when it ends.
struct Pending {
  GLenum mode;
  uint32_t first, count;
  bool reverse, flat;
};
struct Group {
  bool open = false;
  uint32_t epoch = 0;
  bool clipped = false;
  std::vector<Pending> primitives;
} g_group;

void closeGroup() {
  if (!g_group.open) return;
  for (const Pending& p : g_group.primitives)
    assemblePolygons(p.mode, p.first, p.count, p.reverse, g_group.clipped, p.flat);
  g_group.primitives.clear();
  g_group.open = false;
  g_group.clipped = false;
}

bool outsideView(const Vertex* v, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const float w = v[i].w;
    if (v[i].x < -w || v[i].x > w || v[i].y < -w || v[i].y > w || v[i].z < -w || v[i].z > w) return true;
  }
  return false;
}

// The window-space position of a clip-space vertex in the batch's viewport.
void toWindow(const Vertex& v, const int viewport[4], float* x, float* y) {
  *x = (v.x / v.w + 1.0f) * 0.5f * viewport[2] + viewport[0];
  *y = (v.y / v.w + 1.0f) * 0.5f * viewport[3] + viewport[1];
}

Vertex lerp(const Vertex& a, const Vertex& b, float t) {
  Vertex r;
  const float* pa = &a.x;
  const float* pb = &b.x;
  float* pr = &r.x;
  for (int i = 0; i < 10; ++i) pr[i] = pa[i] + (pb[i] - pa[i]) * t;
  return r;
}

// Four vertices around a centre or along a segment, offset by (nx, ny) in NDC (scaled by each
// vertex's w so the offset is the same on screen), as two triangles.
void emitQuad(const Vertex& a, const Vertex& b, float anx, float any, float bnx, float bny) {
  std::vector<Vertex>& v = g.batch.vertices;
  uint32_t base = uint32_t(v.size());
  Vertex q[4] = {a, a, b, b};
  q[0].x -= anx * a.w, q[0].y -= any * a.w;
  q[1].x += anx * a.w, q[1].y += any * a.w;
  q[2].x += bnx * b.w, q[2].y += bny * b.w;
  q[3].x -= bnx * b.w, q[3].y -= bny * b.w;
  v.insert(v.end(), q, q + 4);
  triangle(base, base + 1, base + 2, false);
  triangle(base, base + 2, base + 3, false);
}

void emitSegment(Vertex a, Vertex b) {
  if (g.a.shadeModel == GL_FLAT) a.r = b.r, a.g = b.g, a.b = b.b, a.a = b.a;  // the segment's last vertex
  const float da = a.z + a.w, db = b.z + b.w;  // distances inside the near plane
  if (da < 0 && db < 0) return;
  if (da < 0) a = lerp(a, b, da / (da - db));
  if (db < 0) b = lerp(b, a, db / (db - da));
  if (a.w <= 0 || b.w <= 0) return;
  const int* vp = g.batch.state.viewport;
  if (vp[2] <= 0 || vp[3] <= 0) return;
  float ax, ay, bx, by;
  toWindow(a, vp, &ax, &ay);
  toWindow(b, vp, &bx, &by);
  const float dx = bx - ax, dy = by - ay;
  if (dx == 0 && dy == 0) return;
  // Lines without smoothing are as wide as the width rounded, at least a pixel (as GL and Mesa).
  float width = std::floor(g.a.lineWidth * (float(g.pictureRect[2]) / 640.0f) + 0.5f);
  if (width < 1.0f) width = 1.0f;
  float nx = 0, ny = 0;
  if (std::fabs(dx) >= std::fabs(dy))
    ny = width / vp[3];  // half the width in NDC is width / 2 / (height / 2)
  else
    nx = width / vp[2];
  emitQuad(a, b, nx, ny, nx, ny);
}

void assembleLines(GLenum mode) {
  const std::vector<Vertex>& l = g.lineVertices;
  const size_t n = l.size();
  if (mode == GL_POINTS) {
    const int* vp = g.batch.state.viewport;
    if (vp[2] <= 0 || vp[3] <= 0) return;
    float size = std::floor(g.a.pointSize * (float(g.pictureRect[2]) / 640.0f) + 0.5f);
    if (size < 1.0f) size = 1.0f;
    for (const Vertex& p : l) {
      if (p.w <= 0 || p.z + p.w < 0) continue;
      // A square: the segment runs across it vertically, half the size each way.
      Vertex a = p, b = p;
      const float hx = size / vp[2], hy = size / vp[3];
      a.y -= hy * p.w;
      b.y += hy * p.w;
      emitQuad(a, b, hx, 0, hx, 0);
    }
    return;
  }
  if (mode == GL_LINES) {
    for (size_t i = 0; i + 1 < n; i += 2) emitSegment(l[i], l[i + 1]);
    return;
  }
  for (size_t i = 0; i + 1 < n; ++i) emitSegment(l[i], l[i + 1]);
  if (mode == GL_LINE_LOOP && n >= 2) emitSegment(l[n - 1], l[0]);
}

// OpenGL 1.1's sphere map for the vertex at eye position e with the current normal.
void sphereMap(const float e[3], float* s, float* t) {
  const float* nm = eyeNormalMatrix();
  const float* n = g.a.normal;
  float nx = nm[0] * n[0] + nm[1] * n[1] + nm[2] * n[2];
  float ny = nm[3] * n[0] + nm[4] * n[1] + nm[5] * n[2];
  float nz = nm[6] * n[0] + nm[7] * n[1] + nm[8] * n[2];
  if (g.a.normalize) {
    float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (len > 0) nx /= len, ny /= len, nz /= len;
  }
  float len = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
  float ux = 0, uy = 0, uz = 0;
  if (len > 0) ux = e[0] / len, uy = e[1] / len, uz = e[2] / len;
  const float d2 = 2.0f * (nx * ux + ny * uy + nz * uz);
  const float rx = ux - nx * d2, ry = uy - ny * d2, rz = uz - nz * d2;
  const float m2 = rx * rx + ry * ry + (rz + 1.0f) * (rz + 1.0f);
  const float inverseM = m2 > 0 ? 0.5f / std::sqrt(m2) : 0.0f;  // 1 / m
  *s = rx * inverseM + 0.5f;
  *t = ry * inverseM + 0.5f;
}

}  // namespace

void mapWindowRect(const int in[4], int out[4]) {
  const int* p = g.pictureRect;
  auto edge = [](int window, int windowSize, int offset, int size) {
    return offset + int(std::lround(double(window) * size / windowSize));
  };
  out[0] = edge(in[0], 640, p[0], p[2]);
  out[1] = edge(in[1], 480, p[1], p[3]);
  out[2] = edge(in[0] + in[2], 640, p[0], p[2]) - out[0];
  out[3] = edge(in[1] + in[3], 480, p[1], p[3]) - out[1];
}

DrawState currentDrawState(bool line) {
  const AttribState& a = g.a;
  DrawState s;
  TextureObject* t = boundTexture();
  s.texture = a.texture2D && t && t->complete ? t->device : 0;
  s.blend = a.blend;
  s.blendSrc = a.blendSrc;
  s.blendDst = a.blendDst;
  s.depthTest = a.depthTest;
  s.depthFunc = a.depthFunc;
  s.depthMask = a.depthMask;
  s.cull = a.cullFace && !line;
  s.cullFace = a.cullMode;
  mapWindowRect(a.viewport, s.viewport);
  effectiveScissor(&s.scissor, s.scissorBox);
  for (int i = 0; i < 4; ++i) s.colorMask[i] = a.colorMask[i];
  return s;
}

void flushBatch() {
  Batch& b = g.batch;
  if (g.inBegin || !b.open) return;
  closeGroup();
  if (!b.indices.empty() && g.ready && !g.discard)
    deviceDraw(b.state, b.vertices.data(), uint32_t(b.vertices.size()), b.indices.data(), uint32_t(b.indices.size()));
  b.vertices.clear();
  b.indices.clear();
  b.open = false;
}

void doBegin(GLenum mode) {
  if (g.inBegin) {
    setError(GL_INVALID_OPERATION, "glBegin");
    return;
  }
  if (mode > GL_POLYGON) {
    setError(GL_INVALID_ENUM, "glBegin");
    return;
  }
  g.primitive = mode;
  g_skipPrimitive = g.discard || !g.ready;
  if (!g_skipPrimitive) {
    const bool line = isLineMode(mode);
    if (g.stateDirty || line != g_batchLine || !g.batch.open) {
      DrawState s = currentDrawState(line);
      if (g.batch.open && s != g.batch.state) flushBatch();
      g.batch.state = s;
      g.stateDirty = false;
      g_batchLine = line;
    }
    if (g.batch.vertices.size() > kFlushVertices) flushBatch();
    g.batch.open = true;
  }
  g.inBegin = true;
  if (g_skipPrimitive) return;
  const bool line = isLineMode(mode);
  if (g_group.open && g_group.epoch != g.epoch) closeGroup();
  if (line) {
    g.lineVertices.clear();
  } else {
    g.primitiveFirst = uint32_t(g.batch.vertices.size());
    if (!g_group.open) {
      g_group.open = true;
      g_group.epoch = g.epoch;
    }
  }
}

void doEnd() {
  if (!g.inBegin) {
    setError(GL_INVALID_OPERATION, "glEnd");
    return;
  }
  g.inBegin = false;
  if (g_skipPrimitive) return;
  const GLenum mode = g.primitive;
  if (isLineMode(mode)) {
    closeGroup();  // keeps the order of drawing
    assembleLines(mode);
    g.lineVertices.clear();
    return;
  }
  const uint32_t first = g.primitiveFirst, count = uint32_t(g.batch.vertices.size()) - first;
  if (count == 0) return;  // an empty primitive draws nothing
  const bool reverse = g.a.frontFace == GL_CW, flat = g.a.shadeModel == GL_FLAT;
  if (g.callDepth > 0) {
    // From a display list: Mesa draws its quads split as clipped ones.
    closeGroup();
    assemblePolygons(mode, first, count, reverse, true, flat);
    return;
  }
  if (!g_group.clipped && outsideView(&g.batch.vertices[first], count)) g_group.clipped = true;
  g_group.primitives.push_back({mode, first, count, reverse, flat});
}

void doVertex(float x, float y, float z, float w) {
  if (!g.inBegin || g_skipPrimitive) return;  // outside glBegin/glEnd a vertex draws nothing
  const AttribState& a = g.a;
  const float* c = combinedMatrix().m;
  Vertex v;
  v.x = c[0] * x + c[4] * y + c[8] * z + c[12] * w;
  v.y = c[1] * x + c[5] * y + c[9] * z + c[13] * w;
  v.z = c[2] * x + c[6] * y + c[10] * z + c[14] * w;
  v.w = c[3] * x + c[7] * y + c[11] * z + c[15] * w;
  v.r = clamp01(a.color[0]);
  v.g = clamp01(a.color[1]);
  v.b = clamp01(a.color[2]);
  v.a = clamp01(a.color[3]);
  float s = a.texCoord[0], t = a.texCoord[1];
  const bool genS = a.texGen[0] && a.texGenMode[0] == GL_SPHERE_MAP;
  const bool genT = a.texGen[1] && a.texGenMode[1] == GL_SPHERE_MAP;
  if (genS || genT) {
    const float* m = g.modelview.stack.back().m;
    const float e[3] = {m[0] * x + m[4] * y + m[8] * z + m[12] * w, m[1] * x + m[5] * y + m[9] * z + m[13] * w,
                        m[2] * x + m[6] * y + m[10] * z + m[14] * w};
    float gs, gt;
    sphereMap(e, &gs, &gt);
    if (genS) s = gs;
    if (genT) t = gt;
  }
  if (!g.texture.identity) {
    const float* m = g.texture.stack.back().m;
    const float r = a.texCoord[2], q = a.texCoord[3];
    float ts = m[0] * s + m[4] * t + m[8] * r + m[12] * q;
    float tt = m[1] * s + m[5] * t + m[9] * r + m[13] * q;
    float tq = m[3] * s + m[7] * t + m[11] * r + m[15] * q;
    if (tq != 0 && tq != 1) ts /= tq, tt /= tq;
    s = ts;
    t = tt;
  }
  v.s = s;
  v.t = t;
  if (isLineMode(g.primitive))
    g.lineVertices.push_back(v);
  else
    g.batch.vertices.push_back(v);
}

void doColor(float r, float gr, float b, float a) {
  float* c = g.a.color;
  c[0] = r;
  c[1] = gr;
  c[2] = b;
  c[3] = a;
}

void doNormal(float x, float y, float z) {
  float* n = g.a.normal;
  n[0] = x;
  n[1] = y;
  n[2] = z;
}

void doTexCoord(float s, float t, float r, float q) {
  float* c = g.a.texCoord;
  c[0] = s;
  c[1] = t;
  c[2] = r;
  c[3] = q;
}

}  // namespace webgl

using namespace webgl;

namespace {
inline void vertex(float x, float y, float z, float w) {
  if (g.compiling) {
    record(OP_VERTEX, {wf(x), wf(y), wf(z), wf(w)});
    if (!g.compileExecute) return;
  }
  doVertex(x, y, z, w);
}
inline void color(float r, float gr, float b, float a) {
  if (g.compiling) {
    record(OP_COLOR, {wf(r), wf(gr), wf(b), wf(a)});
    if (!g.compileExecute) return;
  }
  doColor(r, gr, b, a);
}
inline void normal(float x, float y, float z) {
  if (g.compiling) {
    record(OP_NORMAL, {wf(x), wf(y), wf(z)});
    if (!g.compileExecute) return;
  }
  doNormal(x, y, z);
}
inline void texCoord(float s, float t, float r, float q) {
  if (g.compiling) {
    record(OP_TEXCOORD, {wf(s), wf(t), wf(r), wf(q)});
    if (!g.compileExecute) return;
  }
  doTexCoord(s, t, r, q);
}
inline float ub(GLubyte v) { return float(v) / 255.0f; }
}  // namespace

extern "C" {

void glBegin(GLenum mode) {
  KS_RECORD(OP_BEGIN, wu(mode));
  doBegin(mode);
}

void glEnd(void) {
  KS_RECORD(OP_END);
  doEnd();
}

void glVertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0, 1); }
void glVertex2d(GLdouble x, GLdouble y) { vertex(float(x), float(y), 0, 1); }
void glVertex2i(GLint x, GLint y) { vertex(float(x), float(y), 0, 1); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { vertex(x, y, z, 1); }
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) { vertex(float(x), float(y), float(z), 1); }
void glVertex3i(GLint x, GLint y, GLint z) { vertex(float(x), float(y), float(z), 1); }
void glVertex3fv(const GLfloat* v) { vertex(v[0], v[1], v[2], 1); }
void glVertex3dv(const GLdouble* v) { vertex(float(v[0]), float(v[1]), float(v[2]), 1); }
void glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w) { vertex(x, y, z, w); }

void glColor3f(GLfloat r, GLfloat gr, GLfloat b) { color(r, gr, b, 1); }
void glColor4f(GLfloat r, GLfloat gr, GLfloat b, GLfloat a) { color(r, gr, b, a); }
void glColor3d(GLdouble r, GLdouble gr, GLdouble b) { color(float(r), float(gr), float(b), 1); }
void glColor4d(GLdouble r, GLdouble gr, GLdouble b, GLdouble a) { color(float(r), float(gr), float(b), float(a)); }
void glColor3fv(const GLfloat* v) { color(v[0], v[1], v[2], 1); }
void glColor4fv(const GLfloat* v) { color(v[0], v[1], v[2], v[3]); }
void glColor3ub(GLubyte r, GLubyte gr, GLubyte b) { color(ub(r), ub(gr), ub(b), 1); }
void glColor4ub(GLubyte r, GLubyte gr, GLubyte b, GLubyte a) { color(ub(r), ub(gr), ub(b), ub(a)); }
void glColor3ubv(const GLubyte* v) { color(ub(v[0]), ub(v[1]), ub(v[2]), 1); }
void glColor4ubv(const GLubyte* v) { color(ub(v[0]), ub(v[1]), ub(v[2]), ub(v[3])); }

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { normal(x, y, z); }
void glNormal3d(GLdouble x, GLdouble y, GLdouble z) { normal(float(x), float(y), float(z)); }
void glNormal3fv(const GLfloat* v) { normal(v[0], v[1], v[2]); }

void glTexCoord1f(GLfloat s) { texCoord(s, 0, 0, 1); }
void glTexCoord2f(GLfloat s, GLfloat t) { texCoord(s, t, 0, 1); }
void glTexCoord2d(GLdouble s, GLdouble t) { texCoord(float(s), float(t), 0, 1); }
void glTexCoord2fv(const GLfloat* v) { texCoord(v[0], v[1], 0, 1); }
void glTexCoord4f(GLfloat s, GLfloat t, GLfloat r, GLfloat q) { texCoord(s, t, r, q); }

}  // extern "C"
