// The OpenGL 1.1 stand-in's own state, shared by the files of this folder (not used elsewhere):
// the attribute groups glPushAttrib saves, the matrix stacks, textures, the current batch, the
// display-list recorder, and the internal operations that both the gl* entry points and the
// replay of display lists call (the entry points record them while a list is compiled).
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/webgl/webgl_device.h"

namespace webgl {

struct Matrix {
  float m[16];  // column-major, as GL keeps them
};
Matrix identityMatrix();
Matrix multiply(const Matrix& a, const Matrix& b);  // a * b

// The state glPushAttrib saves, by group.
struct AttribState {
  // GL_CURRENT_BIT
  float color[4] = {1, 1, 1, 1};
  float normal[3] = {0, 0, 1};
  float texCoord[4] = {0, 0, 0, 1};
  // GL_ENABLE_BIT: every capability below, kept with its own group as well
  bool blend = false, depthTest = false, cullFace = false, scissorTest = false, texture2D = false;
  bool texGen[4] = {false, false, false, false};  // S, T, R, Q
  bool normalize = false, lighting = false, fog = false, alphaTest = false, stencilTest = false;
  bool dither = true, lineSmooth = false, polygonSmooth = false, pointSmooth = false, colorMaterial = false;
  bool texture1D = false, polygonOffsetFill = false, lights[8] = {};
  // GL_COLOR_BUFFER_BIT
  GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
  float clearColor[4] = {0, 0, 0, 0};
  bool colorMask[4] = {true, true, true, true};
  // GL_DEPTH_BUFFER_BIT
  GLenum depthFunc = GL_LESS;
  double clearDepth = 1.0;
  bool depthMask = true;
  // GL_STENCIL_BUFFER_BIT
  int clearStencil = 0;
  // GL_POLYGON_BIT
  GLenum cullMode = GL_BACK, frontFace = GL_CCW;
  // GL_SCISSOR_BIT
  int scissor[4] = {0, 0, 640, 480};
  // GL_VIEWPORT_BIT (window pixels, as the show set them)
  int viewport[4] = {0, 0, 640, 480};
  double depthRange[2] = {0.0, 1.0};
  // GL_TEXTURE_BIT
  GLuint boundTexture = 0;
  GLenum texGenMode[4] = {GL_EYE_LINEAR, GL_EYE_LINEAR, GL_EYE_LINEAR, GL_EYE_LINEAR};
  GLenum texEnvMode = GL_MODULATE;
  // GL_TRANSFORM_BIT
  GLenum matrixMode = GL_MODELVIEW;
  // GL_LINE_BIT
  float lineWidth = 1.0f;
  // GL_POINT_BIT
  float pointSize = 1.0f;
  // GL_LIGHTING_BIT
  GLenum shadeModel = GL_SMOOTH;
  // GL_LIST_BIT
  GLuint listBase = 0;
  // GL_HINT_BIT: perspective correction, point, line, polygon smooth, fog
  GLenum hints[5] = {GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE};
  // GL_PIXEL_MODE_BIT
  float zoom[2] = {1.0f, 1.0f};
};

struct PixelStore {
  int alignment = 4, rowLength = 0, skipRows = 0, skipPixels = 0, imageHeight = 0, skipImages = 0;
  bool swapBytes = false, lsbFirst = false;
};

struct TextureObject {
  static const int kLevels = 16;
  uint32_t device = 0;
  int width[kLevels] = {}, height[kLevels] = {};
  bool alpha[kLevels] = {};
  GLint internalFormat = 1;
  GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR, wrapS = GL_REPEAT, wrapT = GL_REPEAT;
  bool complete = false;
};

// A run of a display list's primitives that its replay draws from the device's copy: the words
// from its first OP_BEGIN to past its last OP_END, the triangles' indices (front faces
// counter-clockwise, and reversed for clockwise), and which attributes the copy holds per
// vertex (the others are the current ones when it is drawn).
struct ListDraw {
  uint32_t begin = 0, end = 0;
  uint32_t firstIndex = 0, indexCount = 0, reversedFirstIndex = 0;
  bool colour = false, normal = false, texCoord = false;
};

struct MatrixStack {
  std::vector<Matrix> stack;  // back() is the current matrix
  size_t limit;
  bool identity = true;  // the current one is known to be the identity
};

// The batch being collected: one run of primitives with the same draw state.
struct Batch {
  bool open = false;
  DrawState state;
  std::vector<Vertex> vertices;
  std::vector<uint32_t> indices;
};

struct Context {
  AttribState a;
  struct Saved {
    GLbitfield mask;
    AttribState state;
  };
  std::vector<Saved> attribStack;
  PixelStore unpack, pack;
  std::vector<PixelStore> clientStack[2];  // unpack, pack
  std::vector<GLbitfield> clientMasks;

  MatrixStack modelview{{}, 32}, projection{{}, 32}, texture{{}, 10};
  uint32_t modelviewVersion = 1, projectionVersion = 1;
  uint32_t normalVersion = 0;
  uint32_t combinedFor[2] = {0, 0};  // the versions `combined` was made from
  Matrix combined;                   // projection x modelview
  float normalMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // inverse transpose, row-major

  std::unordered_map<GLuint, TextureObject> textures;
  GLuint nextTexture = 1;

  GLenum error = GL_NO_ERROR;
  int errorsReported = 0;

  // Immediate mode
  bool inBegin = false;
  GLenum primitive = 0;
  uint32_t primitiveFirst = 0;
  std::vector<Vertex> lineVertices;  // a line primitive's vertices until glEnd widens them
  Batch batch;
  bool stateDirty = true;  // the draw state must be worked out again at the next glBegin
  uint32_t epoch = 0;      // counts the calls that change any state

  // Picture
  int pictureWidth = 640, pictureHeight = 480;
  int pictureRect[4] = {0, 0, 640, 480};
  bool scaled = false;
  bool discard = false;
  bool ready = false;  // webglPictureInit succeeded

  // Display lists, by name (any name but 0; a map, so no name can reach outside it).
  struct List {
    std::vector<uint32_t> words;
    // The runs of primitives drawn from the device's copy (gl_lists.cpp), made at the first
    // replay that draws; `prepared` once looked at.
    bool prepared = false;
    uint32_t device = 0;
    std::vector<ListDraw> draws;
  };
  std::unordered_map<GLuint, List> lists;
  GLuint listsHighest = 0;  // the highest name ever made a list; glGenLists looks above it first
  bool compiling = false, compileExecute = false;
  GLuint compileName = 0;
  std::vector<uint32_t> compileWords;
  int callDepth = 0;

  Context();
};
extern Context g;

// Errors and messages: the first GL error is kept for glGetError and the first few are
// written to standard error; an unsupported feature is named on standard error once.
void setError(GLenum error, const char* where);
void unsupported(const char* what);
void sayOnce(const std::string& line);
// True (and GL_INVALID_OPERATION set) inside glBegin/glEnd, where most calls are not allowed.
bool insideBegin(const char* where);

// The batch
void flushBatch();
// Every state change: the draw state is worked out again at the next glBegin. Calls that change
// state the draw state does not hold (matrices, winding, hints) still end a run of primitives
// as Mesa sees it (gl_immediate.cpp), through newEpoch.
inline void newEpoch() { ++g.epoch; }
inline void stateChanged() {
  g.stateDirty = true;
  ++g.epoch;
}
// Window pixels to framebuffer pixels (edges scaled and rounded as the native picture scaling).
void mapWindowRect(const int in[4], int out[4]);
// The scissor the picture draws with: the show's box mapped, kept inside the picture's
// rectangle when the picture does not fill its framebuffer.
void effectiveScissor(bool* on, int box[4]);
// The draw state that primitives now draw with (lines are never culled).
DrawState currentDrawState(bool line);

// The triangles that a primitive of `count` vertices is drawn as, as Mesa splits them:
// emit(a, b, c, provoking) for each, front faces counter-clockwise for GL_CCW (vertex numbers
// from 0; `provoking` the vertex whose colour a flat-shaded triangle takes, OpenGL 1.1's: the
// last of each triangle, quad or strip element, the first of a polygon). A quad 0 1 2 3 is
// 0 1 2 and 0 2 3 where its draw needs no clipping, and 0 1 3 and 1 2 3 where it does (or where
// it comes from a display list); quad strips split on their 2i .. 2i+3 diagonal either way. The
// split shows where colours or texture coordinates are not affine across the quad.
template <class Emit>
void polygonTriangles(GLenum mode, uint32_t n, bool clipped, Emit emit) {
  switch (mode) {
    case GL_TRIANGLES:
      for (uint32_t i = 0; i + 2 < n; i += 3) emit(i, i + 1, i + 2, i + 2);
      break;
    case GL_TRIANGLE_STRIP:
      for (uint32_t i = 0; i + 2 < n; ++i) {
        if (i % 2 == 0)
          emit(i, i + 1, i + 2, i + 2);
        else
          emit(i + 1, i, i + 2, i + 2);
      }
      break;
    case GL_TRIANGLE_FAN:
      for (uint32_t i = 1; i + 1 < n; ++i) emit(0, i, i + 1, i + 1);
      break;
    case GL_POLYGON:
      for (uint32_t i = 1; i + 1 < n; ++i) emit(0, i, i + 1, 0);
      break;
    case GL_QUADS:
      for (uint32_t i = 0; i + 3 < n; i += 4) {
        if (clipped) {
          emit(i, i + 1, i + 3, i + 3);
          emit(i + 1, i + 2, i + 3, i + 3);
        } else {
          emit(i, i + 1, i + 2, i + 3);
          emit(i, i + 2, i + 3, i + 3);
        }
      }
      break;
    case GL_QUAD_STRIP:
      // Quad i is 2i, 2i+1, 2i+3, 2i+2 in GL's order; split on the diagonal 2i .. 2i+3.
      for (uint32_t i = 0; i + 3 < n; i += 2) {
        emit(i + 2, i, i + 3, i + 3);
        emit(i, i + 1, i + 3, i + 3);
      }
      break;
  }
}
inline bool isLineMode(GLenum mode) {
  return mode == GL_LINES || mode == GL_LINE_STRIP || mode == GL_LINE_LOOP || mode == GL_POINTS;
}

// Matrices
MatrixStack& currentStack();
void matrixChanged(MatrixStack& stack);
const Matrix& combinedMatrix();
const float* eyeNormalMatrix();

// Textures
TextureObject* boundTexture();
void textureChanged(TextureObject& texture);

// Internal operations (recorded in lists, replayed from them)
void doBegin(GLenum mode);
void doEnd();
void doVertex(float x, float y, float z, float w);
void doColor(float r, float g, float b, float a);
void doNormal(float x, float y, float z);
void doTexCoord(float s, float t, float r, float q);
void doMatrixMode(GLenum mode);
void doLoadMatrix(const float* m);
void doMultMatrix(const float* m);
void doLoadIdentity();
void doTranslate(float x, float y, float z);
void doRotate(float angle, float x, float y, float z);
void doScale(float x, float y, float z);
void doPushMatrix();
void doPopMatrix();
void doEnable(GLenum cap, bool on);
void doBindTexture(GLenum target, GLuint name);
void doBlendFunc(GLenum src, GLenum dst);
void doDepthFunc(GLenum func);
void doDepthMask(bool mask);
void doCullFace(GLenum mode);
void doFrontFace(GLenum mode);
void doShadeModel(GLenum mode);
void doLineWidth(float width);
void doPointSize(float size);
void doTexGen(GLenum coord, GLenum pname, GLint param);
void doTexEnv(GLenum target, GLenum pname, GLint param);
void doTexParameter(GLenum target, GLenum pname, GLint param);
void doViewport(int x, int y, int width, int height);
void doScissor(int x, int y, int width, int height);
void doColorMask(bool r, bool g, bool b, bool a);
void doClear(GLbitfield mask);
void doClearColor(float r, float g, float b, float a);
void doClearDepth(double depth);
void doClearStencil(int s);
void doPushAttrib(GLbitfield mask);
void doPopAttrib();
void doHint(GLenum target, GLenum mode);
void doListBase(GLuint base);
void doCallList(GLuint list);
void doPixelZoom(float x, float y);

// Display-list recording: Op codes and their arguments as 32-bit words.
enum Op : uint32_t {
  OP_BEGIN = 1, OP_END, OP_VERTEX, OP_COLOR, OP_NORMAL, OP_TEXCOORD, OP_MATRIX_MODE, OP_LOAD_MATRIX,
  OP_MULT_MATRIX, OP_LOAD_IDENTITY, OP_TRANSLATE, OP_ROTATE, OP_SCALE, OP_PUSH_MATRIX, OP_POP_MATRIX,
  OP_ENABLE, OP_DISABLE, OP_BIND_TEXTURE, OP_BLEND_FUNC, OP_DEPTH_FUNC, OP_DEPTH_MASK, OP_CULL_FACE,
  OP_FRONT_FACE, OP_SHADE_MODEL, OP_LINE_WIDTH, OP_POINT_SIZE, OP_TEX_GEN, OP_TEX_ENV, OP_TEX_PARAMETER,
  OP_VIEWPORT, OP_SCISSOR, OP_COLOR_MASK, OP_CLEAR, OP_CLEAR_COLOR, OP_CLEAR_DEPTH, OP_CLEAR_STENCIL,
  OP_PUSH_ATTRIB, OP_POP_ATTRIB, OP_HINT, OP_LIST_BASE, OP_CALL_LIST, OP_CALL_LISTS, OP_PIXEL_ZOOM,
};
union Word {
  uint32_t u;
  int32_t i;
  float f;
};
inline Word wf(float f) {
  Word w;
  w.f = f;
  return w;
}
inline Word wu(uint32_t u) {
  Word w;
  w.u = u;
  return w;
}
void record(Op op, std::initializer_list<Word> args);
void record(Op op, const Word* args, size_t count);

}  // namespace webgl

// At the top of every entry point that a display list records: while a list is compiled the
// call is recorded, and executed too only in GL_COMPILE_AND_EXECUTE.
#define KS_RECORD(op, ...)                                       \
  do {                                                           \
    if (webgl::g.compiling) {                                    \
      webgl::record(webgl::op, {__VA_ARGS__});                   \
      if (!webgl::g.compileExecute) return;                      \
    }                                                            \
  } while (0)
