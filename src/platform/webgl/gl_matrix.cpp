// OpenGL 1.1 matrices: GL_MODELVIEW (32 deep), GL_PROJECTION (32) and GL_TEXTURE (10) stacks,
// glLoadIdentity, glLoadMatrix, glMultMatrix, glTranslate, glRotate, glScale, glOrtho,
// glFrustum, glPushMatrix/glPopMatrix, in single precision as GL keeps them (double arguments
// are rounded to float first, the rotation is built as Mesa builds it, products summed in
// Mesa's order), so frames agree closely with the native ones.
// Also: the combined projection x modelview that vertices are transformed with, and the
// inverse transpose of the modelview for eye-space normals (texture-coordinate generation).
// Does not support: anything beyond OpenGL 1.1 (no transpose loads).
// Depends on gl_context.h only; matrix changes never end a batch (vertices are transformed as
// they are given).
#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "platform/webgl/gl_context.h"

namespace webgl {

Matrix identityMatrix() {
  Matrix r;
  static const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::memcpy(r.m, kIdentity, sizeof r.m);
  return r;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix p;
  for (int i = 0; i < 4; ++i) {  // row
    const float ai0 = a.m[i], ai1 = a.m[4 + i], ai2 = a.m[8 + i], ai3 = a.m[12 + i];
    for (int j = 0; j < 4; ++j)
      p.m[j * 4 + i] = ai0 * b.m[j * 4] + ai1 * b.m[j * 4 + 1] + ai2 * b.m[j * 4 + 2] + ai3 * b.m[j * 4 + 3];
  }
  return p;
}

MatrixStack& currentStack() {
  switch (g.a.matrixMode) {
    case GL_PROJECTION: return g.projection;
    case GL_TEXTURE: return g.texture;
    default: return g.modelview;
  }
}

void matrixChanged(MatrixStack& stack) {
  stack.identity = false;
  newEpoch();
  if (&stack == &g.modelview) ++g.modelviewVersion;
  if (&stack == &g.projection) ++g.projectionVersion;
}

const Matrix& combinedMatrix() {
  if (g.combinedFor[0] != g.modelviewVersion || g.combinedFor[1] != g.projectionVersion) {
    g.combined = multiply(g.projection.stack.back(), g.modelview.stack.back());
    g.combinedFor[0] = g.modelviewVersion;
    g.combinedFor[1] = g.projectionVersion;
  }
  return g.combined;
}

const float* eyeNormalMatrix() {
  if (g.normalVersion != g.modelviewVersion) {
    const float* m = g.modelview.stack.back().m;
    // Upper 3x3 of the modelview, a[row][col], inverted in double precision.
    double a[3][3];
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) a[r][c] = m[c * 4 + r];
    double c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
    double c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
    double c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
    double det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
    float* n = g.normalMatrix;
    if (det == 0) {
      // A singular modelview: GL leaves the normal undefined; keep it as given.
      const float kIdentity3[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
      std::memcpy(n, kIdentity3, sizeof kIdentity3);
    } else {
      double inv[3][3];
      inv[0][0] = c00 / det;
      inv[1][0] = c01 / det;
      inv[2][0] = c02 / det;
      inv[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det;
      inv[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
      inv[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det;
      inv[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det;
      inv[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
      inv[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
      // Row-major inverse transpose: n'[r] = sum over c of inv[c][r] * n[c].
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) n[r * 3 + c] = float(inv[c][r]);
    }
    g.normalVersion = g.modelviewVersion;
  }
  return g.normalMatrix;
}

namespace {

void multiplyCurrent(const Matrix& by) {
  MatrixStack& s = currentStack();
  s.stack.back() = multiply(s.stack.back(), by);
  matrixChanged(s);
}

}  // namespace

void doMatrixMode(GLenum mode) {
  if (insideBegin("glMatrixMode")) return;
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
    setError(GL_INVALID_ENUM, "glMatrixMode");
    return;
  }
  if (g.a.matrixMode == mode && mode != GL_TEXTURE) return;
  g.a.matrixMode = mode;
  newEpoch();
}

void doLoadIdentity() {
  if (insideBegin("glLoadIdentity")) return;
  MatrixStack& s = currentStack();
  s.stack.back() = identityMatrix();
  matrixChanged(s);
  s.identity = true;
}

void doLoadMatrix(const float* m) {
  if (insideBegin("glLoadMatrix")) return;
  MatrixStack& s = currentStack();
  std::memcpy(s.stack.back().m, m, sizeof(float) * 16);
  matrixChanged(s);
}

void doMultMatrix(const float* m) {
  if (insideBegin("glMultMatrix")) return;
  Matrix by;
  std::memcpy(by.m, m, sizeof by.m);
  multiplyCurrent(by);
}

void doTranslate(float x, float y, float z) {
  if (insideBegin("glTranslate")) return;
  MatrixStack& s = currentStack();
  float* m = s.stack.back().m;
  m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
  m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
  m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
  m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
  matrixChanged(s);
}

void doScale(float x, float y, float z) {
  if (insideBegin("glScale")) return;
  MatrixStack& s = currentStack();
  float* m = s.stack.back().m;
  for (int i = 0; i < 4; ++i) {
    m[i] *= x;
    m[4 + i] *= y;
    m[8 + i] *= z;
  }
  matrixChanged(s);
}

void doRotate(float angle, float x, float y, float z) {
  if (insideBegin("glRotate")) return;
  const float radians = float(angle * M_PI / 180.0);
  const float s = std::sin(radians), c = std::cos(radians);
  Matrix r = identityMatrix();
  float* m = r.m;
#define M(row, col) m[(col) * 4 + (row)]
  bool done = false;
  // Rotations about an axis are built exactly (no normalising of the axis).
  if (x == 0.0f && y == 0.0f && z != 0.0f) {
    M(0, 0) = c;
    M(1, 1) = c;
    M(0, 1) = z < 0 ? s : -s;
    M(1, 0) = z < 0 ? -s : s;
    done = true;
  } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
    M(0, 0) = c;
    M(2, 2) = c;
    M(0, 2) = y < 0 ? -s : s;
    M(2, 0) = y < 0 ? s : -s;
    done = true;
  } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
    M(1, 1) = c;
    M(2, 2) = c;
    M(1, 2) = x < 0 ? s : -s;
    M(2, 1) = x < 0 ? -s : s;
    done = true;
  }
  if (!done) {
    const float magnitude = std::sqrt(x * x + y * y + z * z);
    if (magnitude <= 1.0e-4f) return;  // no axis: no rotation
    x /= magnitude;
    y /= magnitude;
    z /= magnitude;
    const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
    const float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
    M(0, 0) = oneC * xx + c;
    M(0, 1) = oneC * xy - zs;
    M(0, 2) = oneC * zx + ys;
    M(1, 0) = oneC * xy + zs;
    M(1, 1) = oneC * yy + c;
    M(1, 2) = oneC * yz - xs;
    M(2, 0) = oneC * zx - ys;
    M(2, 1) = oneC * yz + xs;
    M(2, 2) = oneC * zz + c;
  }
#undef M
  multiplyCurrent(r);
}

void doPushMatrix() {
  if (insideBegin("glPushMatrix")) return;
  MatrixStack& s = currentStack();
  if (s.stack.size() >= s.limit) {
    setError(GL_STACK_OVERFLOW, "glPushMatrix");
    return;
  }
  Matrix top = s.stack.back();
  s.stack.push_back(top);
  newEpoch();
}

void doPopMatrix() {
  if (insideBegin("glPopMatrix")) return;
  MatrixStack& s = currentStack();
  if (s.stack.size() <= 1) {
    setError(GL_STACK_UNDERFLOW, "glPopMatrix");
    return;
  }
  s.stack.pop_back();
  matrixChanged(s);
}

}  // namespace webgl

using namespace webgl;

namespace {
void recordMatrix(Op op, const float* m) {
  Word words[16];
  for (int i = 0; i < 16; ++i) words[i] = wf(m[i]);
  record(op, words, 16);
}
}  // namespace

extern "C" {

void glMatrixMode(GLenum mode) {
  KS_RECORD(OP_MATRIX_MODE, wu(mode));
  doMatrixMode(mode);
}

void glLoadIdentity(void) {
  KS_RECORD(OP_LOAD_IDENTITY);
  doLoadIdentity();
}

void glLoadMatrixf(const GLfloat* m) {
  if (g.compiling) {
    recordMatrix(OP_LOAD_MATRIX, m);
    if (!g.compileExecute) return;
  }
  doLoadMatrix(m);
}

void glLoadMatrixd(const GLdouble* m) {
  float f[16];
  for (int i = 0; i < 16; ++i) f[i] = float(m[i]);
  glLoadMatrixf(f);
}

void glMultMatrixf(const GLfloat* m) {
  if (g.compiling) {
    recordMatrix(OP_MULT_MATRIX, m);
    if (!g.compileExecute) return;
  }
  doMultMatrix(m);
}

void glMultMatrixd(const GLdouble* m) {
  float f[16];
  for (int i = 0; i < 16; ++i) f[i] = float(m[i]);
  glMultMatrixf(f);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  KS_RECORD(OP_TRANSLATE, wf(x), wf(y), wf(z));
  doTranslate(x, y, z);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) { glTranslatef(float(x), float(y), float(z)); }

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  KS_RECORD(OP_ROTATE, wf(angle), wf(x), wf(y), wf(z));
  doRotate(angle, x, y, z);
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
  glRotatef(float(angle), float(x), float(y), float(z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  KS_RECORD(OP_SCALE, wf(x), wf(y), wf(z));
  doScale(x, y, z);
}

void glScaled(GLdouble x, GLdouble y, GLdouble z) { glScalef(float(x), float(y), float(z)); }

void glPushMatrix(void) {
  KS_RECORD(OP_PUSH_MATRIX);
  doPushMatrix();
}

void glPopMatrix(void) {
  KS_RECORD(OP_POP_MATRIX);
  doPopMatrix();
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal, GLdouble farVal) {
  const float l = float(left), r = float(right), b = float(bottom), t = float(top);
  const float n = float(nearVal), f = float(farVal);
  if (l == r || b == t || n == f) {
    setError(GL_INVALID_VALUE, "glOrtho");
    return;
  }
  Matrix m = identityMatrix();
  m.m[0] = 2.0f / (r - l);
  m.m[12] = -(r + l) / (r - l);
  m.m[5] = 2.0f / (t - b);
  m.m[13] = -(t + b) / (t - b);
  m.m[10] = -2.0f / (f - n);
  m.m[14] = -(f + n) / (f - n);
  glMultMatrixf(m.m);
}

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal, GLdouble farVal) {
  const float l = float(left), r = float(right), b = float(bottom), t = float(top);
  const float n = float(nearVal), f = float(farVal);
  if (n <= 0 || f <= 0 || l == r || b == t || n == f) {
    setError(GL_INVALID_VALUE, "glFrustum");
    return;
  }
  Matrix m;
  std::memset(m.m, 0, sizeof m.m);
  m.m[0] = 2.0f * n / (r - l);
  m.m[8] = (r + l) / (r - l);
  m.m[5] = 2.0f * n / (t - b);
  m.m[9] = (t + b) / (t - b);
  m.m[10] = -(f + n) / (f - n);
  m.m[14] = -(2.0f * f * n) / (f - n);
  m.m[11] = -1.0f;
  glMultMatrixf(m.m);
}

}  // extern "C"
