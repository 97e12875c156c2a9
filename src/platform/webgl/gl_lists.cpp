// OpenGL 1.1 display lists, recorded once and replayed.
// Supports: glGenLists, glNewList (GL_COMPILE, GL_COMPILE_AND_EXECUTE), glEndList, glCallList,
// glCallLists (every OpenGL 1.1 name type, offset by glListBase), glListBase, glDeleteLists,
// glIsList. A list records the calls compiled into it (primitives, vertex attributes, matrix
// operations, enables and the drawing state, texture binding and parameters, clears, the
// attribute stack, calls of other lists) as words, and replays them through the same internal
// operations as the entry points, so a replay draws exactly what the calls would, under the
// matrices and state of the moment (nested calls up to 64 deep).
// Does not support: recording glTexImage2D (executed at once, said on standard error) and the
// calls OpenGL never compiles (queries, pixel store, object creation), which run at once.
// Depends on the internal operations of the other files of this folder (gl_context.h).
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "platform/webgl/gl_context.h"

namespace webgl {

void record(Op op, std::initializer_list<Word> args) { record(op, args.begin(), args.size()); }

void record(Op op, const Word* args, size_t count) {
  std::vector<uint32_t>& w = g.compileWords;
  w.push_back(op);
  for (size_t i = 0; i < count; ++i) w.push_back(args[i].u);
}

namespace {

const int kMaxNesting = 64;

void replay(const std::vector<uint32_t>& words);

void callList(GLuint name) {
  if (name == 0 || name >= g.lists.size() || !g.lists[name].used) return;
  if (g.callDepth >= kMaxNesting) return;  // GL stops nesting silently at its limit
  newEpoch();
  ++g.callDepth;
  replay(g.lists[name].words);
  --g.callDepth;
}

void replay(const std::vector<uint32_t>& words) {
  const uint32_t* w = words.data();
  const uint32_t* end = w + words.size();
  auto f = [&](int i) {
    Word x;
    x.u = w[i];
    return x.f;
  };
  auto u = [&](int i) { return w[i]; };
  auto s = [&](int i) { return int32_t(w[i]); };
  while (w < end) {
    const uint32_t op = *w++;
    switch (op) {
      case OP_BEGIN: doBegin(u(0)); w += 1; break;
      case OP_END: doEnd(); break;
      case OP_VERTEX: doVertex(f(0), f(1), f(2), f(3)); w += 4; break;
      case OP_COLOR: doColor(f(0), f(1), f(2), f(3)); w += 4; break;
      case OP_NORMAL: doNormal(f(0), f(1), f(2)); w += 3; break;
      case OP_TEXCOORD: doTexCoord(f(0), f(1), f(2), f(3)); w += 4; break;
      case OP_MATRIX_MODE: doMatrixMode(u(0)); w += 1; break;
      case OP_LOAD_MATRIX:
      case OP_MULT_MATRIX: {
        float m[16];
        std::memcpy(m, w, sizeof m);
        op == OP_LOAD_MATRIX ? doLoadMatrix(m) : doMultMatrix(m);
        w += 16;
        break;
      }
      case OP_LOAD_IDENTITY: doLoadIdentity(); break;
      case OP_TRANSLATE: doTranslate(f(0), f(1), f(2)); w += 3; break;
      case OP_ROTATE: doRotate(f(0), f(1), f(2), f(3)); w += 4; break;
      case OP_SCALE: doScale(f(0), f(1), f(2)); w += 3; break;
      case OP_PUSH_MATRIX: doPushMatrix(); break;
      case OP_POP_MATRIX: doPopMatrix(); break;
      case OP_ENABLE: doEnable(u(0), true); w += 1; break;
      case OP_DISABLE: doEnable(u(0), false); w += 1; break;
      case OP_BIND_TEXTURE: doBindTexture(u(0), u(1)); w += 2; break;
      case OP_BLEND_FUNC: doBlendFunc(u(0), u(1)); w += 2; break;
      case OP_DEPTH_FUNC: doDepthFunc(u(0)); w += 1; break;
      case OP_DEPTH_MASK: doDepthMask(u(0) != 0); w += 1; break;
      case OP_CULL_FACE: doCullFace(u(0)); w += 1; break;
      case OP_FRONT_FACE: doFrontFace(u(0)); w += 1; break;
      case OP_SHADE_MODEL: doShadeModel(u(0)); w += 1; break;
      case OP_LINE_WIDTH: doLineWidth(f(0)); w += 1; break;
      case OP_POINT_SIZE: doPointSize(f(0)); w += 1; break;
      case OP_TEX_GEN: doTexGen(u(0), u(1), s(2)); w += 3; break;
      case OP_TEX_ENV: doTexEnv(u(0), u(1), s(2)); w += 3; break;
      case OP_TEX_PARAMETER: doTexParameter(u(0), u(1), s(2)); w += 3; break;
      case OP_VIEWPORT: doViewport(s(0), s(1), s(2), s(3)); w += 4; break;
      case OP_SCISSOR: doScissor(s(0), s(1), s(2), s(3)); w += 4; break;
      case OP_COLOR_MASK: doColorMask(u(0), u(1), u(2), u(3)); w += 4; break;
      case OP_CLEAR: doClear(u(0)); w += 1; break;
      case OP_CLEAR_COLOR: doClearColor(f(0), f(1), f(2), f(3)); w += 4; break;
      case OP_CLEAR_DEPTH: doClearDepth(f(0)); w += 1; break;
      case OP_CLEAR_STENCIL: doClearStencil(s(0)); w += 1; break;
      case OP_PUSH_ATTRIB: doPushAttrib(u(0)); w += 1; break;
      case OP_POP_ATTRIB: doPopAttrib(); break;
      case OP_HINT: doHint(u(0), u(1)); w += 2; break;
      case OP_LIST_BASE: doListBase(u(0)); w += 1; break;
      case OP_CALL_LIST: callList(u(0)); w += 1; break;
      case OP_CALL_LISTS: {
        const uint32_t n = u(0);
        for (uint32_t i = 0; i < n; ++i) callList(g.a.listBase + w[1 + i]);
        w += 1 + n;
        break;
      }
      case OP_PIXEL_ZOOM: doPixelZoom(f(0), f(1)); w += 2; break;
      default:
        std::fprintf(stderr, "webgl: a display list holds an unknown word %u; the rest is skipped\n", op);
        return;
    }
  }
}

// The name offsets of glCallLists' array.
bool listOffsets(GLsizei n, GLenum type, const GLvoid* lists, std::vector<uint32_t>* out) {
  out->resize(size_t(n));
  const unsigned char* b = static_cast<const unsigned char*>(lists);
  for (GLsizei i = 0; i < n; ++i) {
    uint32_t v;
    switch (type) {
      case GL_BYTE: v = uint32_t(int32_t(static_cast<const GLbyte*>(lists)[i])); break;
      case GL_UNSIGNED_BYTE: v = b[i]; break;
      case GL_SHORT: v = uint32_t(int32_t(static_cast<const GLshort*>(lists)[i])); break;
      case GL_UNSIGNED_SHORT: v = static_cast<const GLushort*>(lists)[i]; break;
      case GL_INT: v = uint32_t(static_cast<const GLint*>(lists)[i]); break;
      case GL_UNSIGNED_INT: v = static_cast<const GLuint*>(lists)[i]; break;
      case GL_FLOAT: v = uint32_t(int32_t(static_cast<const GLfloat*>(lists)[i])); break;
      case GL_2_BYTES: v = uint32_t(b[2 * i]) << 8 | b[2 * i + 1]; break;
      case GL_3_BYTES: v = uint32_t(b[3 * i]) << 16 | uint32_t(b[3 * i + 1]) << 8 | b[3 * i + 2]; break;
      case GL_4_BYTES:
        v = uint32_t(b[4 * i]) << 24 | uint32_t(b[4 * i + 1]) << 16 | uint32_t(b[4 * i + 2]) << 8 | b[4 * i + 3];
        break;
      default: return false;
    }
    (*out)[size_t(i)] = v;
  }
  return true;
}

}  // namespace

void doListBase(GLuint base) {
  if (insideBegin("glListBase")) return;
  g.a.listBase = base;
  newEpoch();
}

void doCallList(GLuint list) { callList(list); }

}  // namespace webgl

using namespace webgl;

extern "C" {

GLuint glGenLists(GLsizei range) {
  if (range < 0) {
    setError(GL_INVALID_VALUE, "glGenLists");
    return 0;
  }
  if (range == 0 || insideBegin("glGenLists")) return 0;
  // A run of unused names: after the last used one (names are never handed out twice).
  GLuint first = GLuint(g.lists.size());
  g.lists.resize(g.lists.size() + size_t(range));
  for (GLsizei i = 0; i < range; ++i) g.lists[first + i].used = true;  // empty lists until compiled
  return first;
}

void glNewList(GLuint list, GLenum mode) {
  if (insideBegin("glNewList")) return;
  if (list == 0) {
    setError(GL_INVALID_VALUE, "glNewList");
    return;
  }
  if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) {
    setError(GL_INVALID_ENUM, "glNewList");
    return;
  }
  if (g.compiling) {
    setError(GL_INVALID_OPERATION, "glNewList");
    return;
  }
  g.compiling = true;
  g.compileExecute = mode == GL_COMPILE_AND_EXECUTE;
  g.compileName = list;
  g.compileWords.clear();
}

void glEndList(void) {
  if (insideBegin("glEndList")) return;
  if (!g.compiling) {
    setError(GL_INVALID_OPERATION, "glEndList");
    return;
  }
  if (g.compileName >= g.lists.size()) g.lists.resize(size_t(g.compileName) + 1);
  Context::List& l = g.lists[g.compileName];
  l.used = true;
  l.words.swap(g.compileWords);
  l.words.shrink_to_fit();
  g.compileWords.clear();
  g.compiling = false;
  g.compileExecute = false;
  g.compileName = 0;
}

void glCallList(GLuint list) {
  KS_RECORD(OP_CALL_LIST, wu(list));
  doCallList(list);
}

void glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
  if (n < 0) {
    setError(GL_INVALID_VALUE, "glCallLists");
    return;
  }
  std::vector<uint32_t> offsets;
  if (!listOffsets(n, type, lists, &offsets)) {
    setError(GL_INVALID_ENUM, "glCallLists");
    return;
  }
  if (g.compiling) {
    std::vector<Word> words(offsets.size() + 1);
    words[0] = wu(uint32_t(n));
    for (size_t i = 0; i < offsets.size(); ++i) words[i + 1] = wu(offsets[i]);
    record(OP_CALL_LISTS, words.data(), words.size());
    if (!g.compileExecute) return;
  }
  for (uint32_t offset : offsets) callList(g.a.listBase + offset);
}

void glListBase(GLuint base) {
  KS_RECORD(OP_LIST_BASE, wu(base));
  doListBase(base);
}

void glDeleteLists(GLuint list, GLsizei range) {
  if (range < 0) {
    setError(GL_INVALID_VALUE, "glDeleteLists");
    return;
  }
  if (insideBegin("glDeleteLists")) return;
  for (GLsizei i = 0; i < range; ++i) {
    GLuint name = list + GLuint(i);
    if (name == 0 || name >= g.lists.size()) continue;
    g.lists[name].used = false;
    std::vector<uint32_t>().swap(g.lists[name].words);
  }
}

GLboolean glIsList(GLuint list) { return list != 0 && list < g.lists.size() && g.lists[list].used ? GL_TRUE : GL_FALSE; }

}  // extern "C"
