// OpenGL 1.1 display lists, recorded once and replayed.
// Supports: glGenLists, glNewList (GL_COMPILE, GL_COMPILE_AND_EXECUTE), glEndList, glCallList,
// glCallLists (every OpenGL 1.1 name type, offset by glListBase), glListBase, glDeleteLists,
// glIsList, with any name but 0 (the lists are kept by name in a map, so no name reaches
// outside it). A list records the calls compiled into it (primitives, vertex attributes,
// matrix operations, enables and the drawing state, texture binding and parameters, clears,
// the attribute stack, calls of other lists) as words, and replays them through the same
// internal operations as the entry points, so a replay draws exactly what the calls would,
// under the matrices and state of the moment (nested calls up to 64 deep).
// Drawn from the device: at its first replay a list's runs of filled primitives (their
// vertices with the attributes the list gives them) are handed to the device once, and later
// replays draw each run with one call, transformed and sphere-mapped in the vertex shader
// under the matrices of the moment; attributes the list does not give come from the current
// state. A run is drawn vertex by vertex as before where that cannot hold: lines and points,
// flat shading of colours given per vertex, an attribute given for only some vertices, or a
// replay inside glBegin/glEnd.
// Does not support: recording glTexImage2D (executed at once, said on standard error) and the
// calls OpenGL never compiles (queries, pixel store, object creation), which run at once.
// Depends on the internal operations of the other files of this folder (gl_context.h) and on
// webgl_device.cpp for the lists' copies.
#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

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
// The most names one glGenLists hands out (each is an empty list until compiled).
const GLsizei kMaxGenerated = 1 << 20;

// The words an operation takes, its own included; 0 for a word that is no operation.
uint32_t wordsOf(const uint32_t* w, const uint32_t* end) {
  switch (*w) {
    case OP_END: case OP_LOAD_IDENTITY: case OP_PUSH_MATRIX: case OP_POP_MATRIX: case OP_POP_ATTRIB: return 1;
    case OP_BEGIN: case OP_MATRIX_MODE: case OP_ENABLE: case OP_DISABLE: case OP_DEPTH_FUNC: case OP_DEPTH_MASK:
    case OP_CULL_FACE: case OP_FRONT_FACE: case OP_SHADE_MODEL: case OP_LINE_WIDTH: case OP_POINT_SIZE:
    case OP_CLEAR: case OP_CLEAR_DEPTH: case OP_CLEAR_STENCIL: case OP_PUSH_ATTRIB: case OP_LIST_BASE:
    case OP_CALL_LIST:
      return 2;
    case OP_BIND_TEXTURE: case OP_BLEND_FUNC: case OP_HINT: case OP_PIXEL_ZOOM: return 3;
    case OP_NORMAL: case OP_TRANSLATE: case OP_SCALE: case OP_TEX_GEN: case OP_TEX_ENV: case OP_TEX_PARAMETER: return 4;
    case OP_VERTEX: case OP_COLOR: case OP_TEXCOORD: case OP_ROTATE: case OP_VIEWPORT: case OP_SCISSOR:
    case OP_COLOR_MASK: case OP_CLEAR_COLOR:
      return 5;
    case OP_LOAD_MATRIX: case OP_MULT_MATRIX: return 17;
    case OP_CALL_LISTS: return end - w >= 2 && w[1] <= uint32_t(end - w) - 2 ? 2 + w[1] : 0;
    default: return 0;
  }
}

float wordFloat(uint32_t u) {
  Word x;
  x.u = u;
  return x.f;
}

bool isAttribute(uint32_t op) { return op == OP_COLOR || op == OP_NORMAL || op == OP_TEXCOORD; }

// Runs one operation of a list.
void execute(const uint32_t* w) {
  auto f = [&](int i) { return wordFloat(w[1 + i]); };
  auto u = [&](int i) { return w[1 + i]; };
  auto s = [&](int i) { return int32_t(w[1 + i]); };
  switch (*w) {
    case OP_BEGIN: doBegin(u(0)); break;
    case OP_END: doEnd(); break;
    case OP_VERTEX: doVertex(f(0), f(1), f(2), f(3)); break;
    case OP_COLOR: doColor(f(0), f(1), f(2), f(3)); break;
    case OP_NORMAL: doNormal(f(0), f(1), f(2)); break;
    case OP_TEXCOORD: doTexCoord(f(0), f(1), f(2), f(3)); break;
    case OP_MATRIX_MODE: doMatrixMode(u(0)); break;
    case OP_LOAD_MATRIX:
    case OP_MULT_MATRIX: {
      float m[16];
      std::memcpy(m, w + 1, sizeof m);
      *w == OP_LOAD_MATRIX ? doLoadMatrix(m) : doMultMatrix(m);
      break;
    }
    case OP_LOAD_IDENTITY: doLoadIdentity(); break;
    case OP_TRANSLATE: doTranslate(f(0), f(1), f(2)); break;
    case OP_ROTATE: doRotate(f(0), f(1), f(2), f(3)); break;
    case OP_SCALE: doScale(f(0), f(1), f(2)); break;
    case OP_PUSH_MATRIX: doPushMatrix(); break;
    case OP_POP_MATRIX: doPopMatrix(); break;
    case OP_ENABLE: doEnable(u(0), true); break;
    case OP_DISABLE: doEnable(u(0), false); break;
    case OP_BIND_TEXTURE: doBindTexture(u(0), u(1)); break;
    case OP_BLEND_FUNC: doBlendFunc(u(0), u(1)); break;
    case OP_DEPTH_FUNC: doDepthFunc(u(0)); break;
    case OP_DEPTH_MASK: doDepthMask(u(0) != 0); break;
    case OP_CULL_FACE: doCullFace(u(0)); break;
    case OP_FRONT_FACE: doFrontFace(u(0)); break;
    case OP_SHADE_MODEL: doShadeModel(u(0)); break;
    case OP_LINE_WIDTH: doLineWidth(f(0)); break;
    case OP_POINT_SIZE: doPointSize(f(0)); break;
    case OP_TEX_GEN: doTexGen(u(0), u(1), s(2)); break;
    case OP_TEX_ENV: doTexEnv(u(0), u(1), s(2)); break;
    case OP_TEX_PARAMETER: doTexParameter(u(0), u(1), s(2)); break;
    case OP_VIEWPORT: doViewport(s(0), s(1), s(2), s(3)); break;
    case OP_SCISSOR: doScissor(s(0), s(1), s(2), s(3)); break;
    case OP_COLOR_MASK: doColorMask(u(0), u(1), u(2), u(3)); break;
    case OP_CLEAR: doClear(u(0)); break;
    case OP_CLEAR_COLOR: doClearColor(f(0), f(1), f(2), f(3)); break;
    case OP_CLEAR_DEPTH: doClearDepth(f(0)); break;
    case OP_CLEAR_STENCIL: doClearStencil(s(0)); break;
    case OP_PUSH_ATTRIB: doPushAttrib(u(0)); break;
    case OP_POP_ATTRIB: doPopAttrib(); break;
    case OP_HINT: doHint(u(0), u(1)); break;
    case OP_LIST_BASE: doListBase(u(0)); break;
    case OP_CALL_LIST: doCallList(u(0)); break;
    case OP_CALL_LISTS:
      for (uint32_t i = 0; i < u(0); ++i) doCallList(g.a.listBase + w[2 + i]);
      break;
    case OP_PIXEL_ZOOM: doPixelZoom(f(0), f(1)); break;
  }
}

// Finds the list's runs of filled primitives that can be drawn from a copy on the device and
// hands the copy over. Attributes are followed through the list: one set earlier in it is
// known, one not set (or after a call of another list or glPopAttrib) is the current one at
// the replay. A run is the primitives from one glBegin to a glEnd with nothing but
// attributes between them, every vertex of it with the same attributes known.
void prepare(Context::List& list) {
  list.prepared = true;
  std::vector<ListVertex> vertices;
  std::vector<uint32_t> forward, reversed;  // per draw, laid out one after the other below
  std::vector<std::pair<size_t, size_t>> ranges;  // each draw's indices in forward/reversed
  struct Known {
    bool set = false;
    float v[4] = {0, 0, 0, 1};
  } colour, normal, texCoord;
  bool inBlock = false, blockOk = false, mergeable = false;
  GLenum mode = 0;
  uint32_t blockBegin = 0;
  size_t blockFirst = 0;
  int source[3] = {-1, -1, -1};  // per attribute: -1 no vertex yet, 0 current, 1 known

  const uint32_t* words = list.words.data();
  const uint32_t* end = words + list.words.size();
  for (const uint32_t* w = words; w < end;) {
    const uint32_t size = wordsOf(w, end);
    if (size == 0 || size > uint32_t(end - w)) return;  // a damaged list stays on the CPU path
    const uint32_t op = *w;
    if (inBlock && op != OP_VERTEX && op != OP_END && !isAttribute(op)) blockOk = false;
    switch (op) {
      case OP_BEGIN:
        mode = w[1];
        inBlock = true;
        blockOk = mode <= GL_POLYGON && !isLineMode(mode);
        blockBegin = uint32_t(w - words);
        blockFirst = vertices.size();
        source[0] = source[1] = source[2] = -1;
        break;
      case OP_COLOR: colour.set = true, std::memcpy(colour.v, w + 1, 16); break;
      case OP_NORMAL: normal.set = true, std::memcpy(normal.v, w + 1, 12); break;
      case OP_TEXCOORD: texCoord.set = true, std::memcpy(texCoord.v, w + 1, 16); break;
      case OP_VERTEX: {
        if (!inBlock || !blockOk) break;
        const Known* known[3] = {&colour, &normal, &texCoord};
        for (int k = 0; k < 3; ++k) {
          const int s = known[k]->set ? 1 : 0;
          if (source[k] == -1) source[k] = s;
          if (source[k] != s) blockOk = false;
        }
        ListVertex v;
        std::memcpy(v.position, w + 1, 16);
        std::memcpy(v.colour, colour.v, 16);
        std::memcpy(v.normal, normal.v, 12);
        std::memcpy(v.texCoord, texCoord.v, 16);
        vertices.push_back(v);
        break;
      }
      case OP_END: {
        const uint32_t count = uint32_t(vertices.size() - blockFirst);
        if (!inBlock || !blockOk || count == 0) {
          vertices.resize(blockFirst);
          inBlock = false;
          mergeable = false;
          break;
        }
        inBlock = false;
        const bool sameSources = !list.draws.empty() && list.draws.back().colour == (source[0] == 1) &&
                                 list.draws.back().normal == (source[1] == 1) &&
                                 list.draws.back().texCoord == (source[2] == 1);
        if (!(mergeable && sameSources)) {
          ListDraw d;
          d.begin = blockBegin;
          d.colour = source[0] == 1;
          d.normal = source[1] == 1;
          d.texCoord = source[2] == 1;
          list.draws.push_back(d);
          ranges.push_back({forward.size(), forward.size()});
        }
        list.draws.back().end = uint32_t(w - words) + 1;
        const uint32_t first = uint32_t(blockFirst);
        polygonTriangles(mode, count, true, [&](uint32_t a, uint32_t b, uint32_t c, uint32_t) {
          forward.insert(forward.end(), {first + a, first + b, first + c});
          reversed.insert(reversed.end(), {first + a, first + c, first + b});
        });
        ranges.back().second = forward.size();
        mergeable = true;
        break;
      }
      case OP_CALL_LIST:
      case OP_CALL_LISTS:
      case OP_POP_ATTRIB:
        colour.set = normal.set = texCoord.set = false;
        mergeable = false;
        break;
      default: mergeable = false; break;
    }
    w += size;
  }
  if (list.draws.empty() || forward.empty()) {
    list.draws.clear();
    return;
  }
  for (size_t i = 0; i < list.draws.size(); ++i) {
    list.draws[i].firstIndex = uint32_t(ranges[i].first);
    list.draws[i].indexCount = uint32_t(ranges[i].second - ranges[i].first);
    list.draws[i].reversedFirstIndex = uint32_t(forward.size() + ranges[i].first);
  }
  forward.insert(forward.end(), reversed.begin(), reversed.end());
  list.device = deviceListCreate(vertices.data(), uint32_t(vertices.size()), forward.data(), uint32_t(forward.size()));
  if (!list.device) list.draws.clear();
}

// Draws a run from the list's copy on the device; false where it must be drawn vertex by
// vertex instead.
bool drawFromDevice(const Context::List& list, const ListDraw& d) {
  if (g.inBegin || !list.device) return false;
  if (d.colour && g.a.shadeModel == GL_FLAT) return false;  // each triangle takes one vertex's colour
  if (g.discard || !g.ready) return true;                   // nothing is drawn, as vertex by vertex
  flushBatch();
  const AttribState& a = g.a;
  ListTransform t;
  std::memcpy(t.combined, combinedMatrix().m, sizeof t.combined);
  t.sphereS = a.texGen[0] && a.texGenMode[0] == GL_SPHERE_MAP;
  t.sphereT = a.texGen[1] && a.texGenMode[1] == GL_SPHERE_MAP;
  if (t.sphereS || t.sphereT) {
    std::memcpy(t.modelview, g.modelview.stack.back().m, sizeof t.modelview);
    std::memcpy(t.normalMatrix, eyeNormalMatrix(), sizeof t.normalMatrix);
    t.normalize = a.normalize;
  }
  t.textureMatrix = !g.texture.identity;
  if (t.textureMatrix) std::memcpy(t.texture, g.texture.stack.back().m, sizeof t.texture);
  t.hasColour = d.colour;
  t.hasNormal = d.normal;
  t.hasTexCoord = d.texCoord;
  std::memcpy(t.colour, a.color, sizeof t.colour);
  std::memcpy(t.normal, a.normal, sizeof t.normal);
  std::memcpy(t.texCoord, a.texCoord, sizeof t.texCoord);
  const uint32_t first = a.frontFace == GL_CW ? d.reversedFirstIndex : d.firstIndex;
  deviceListDraw(currentDrawState(false), list.device, first, d.indexCount, t);
  return true;
}

void replay(Context::List& list) {
  if (list.device && !deviceListKept(list.device)) {
    // Its copy went with a context made anew: made again on this one.
    list.device = 0;
    list.draws.clear();
    list.prepared = false;
  }
  if (!list.prepared && g.ready && !g.inBegin) prepare(list);
  const uint32_t* words = list.words.data();
  const uint32_t* end = words + list.words.size();
  size_t next = 0;  // the next run drawn from the device
  for (const uint32_t* w = words; w < end;) {
    if (next < list.draws.size() && uint32_t(w - words) == list.draws[next].begin) {
      const ListDraw& d = list.draws[next++];
      if (drawFromDevice(list, d)) {
        // The run's attributes still become the current ones, as its vertices would leave them.
        for (const uint32_t* stop = words + d.end; w < stop; w += wordsOf(w, end))
          if (isAttribute(*w)) execute(w);
        continue;
      }
    }
    const uint32_t size = wordsOf(w, end);
    if (size == 0 || size > uint32_t(end - w)) {
      std::fprintf(stderr, "webgl: a display list holds an unknown word %u; the rest is skipped\n", *w);
      return;
    }
    execute(w);
    w += size;
  }
}

void callList(GLuint name) {
  auto it = name == 0 ? g.lists.end() : g.lists.find(name);
  if (it == g.lists.end()) return;
  if (g.callDepth >= kMaxNesting) return;  // GL stops nesting silently at its limit
  newEpoch();
  ++g.callDepth;
  replay(it->second);
  --g.callDepth;
}

void forget(std::unordered_map<GLuint, Context::List>::iterator it) {
  if (it->second.device) deviceListDelete(it->second.device);
  g.lists.erase(it);
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
  if (range > kMaxGenerated) {
    setError(GL_OUT_OF_MEMORY, "glGenLists");
    return 0;
  }
  // A run of unused names: after the highest one used where it fits, else the lowest gap
  // between used names that holds it (a list named near the last name, by glNewList, must not
  // use up the names); none where no run of that length is free.
  uint64_t first = uint64_t(g.listsHighest) + 1;
  if (first + uint64_t(range) - 1 > UINT32_MAX) {
    std::vector<GLuint> used;
    used.reserve(g.lists.size());
    for (const auto& entry : g.lists) used.push_back(entry.first);
    std::sort(used.begin(), used.end());
    first = 1;
    for (GLuint name : used) {
      if (name >= first + uint64_t(range)) break;
      first = uint64_t(name) + 1;
    }
    if (first + uint64_t(range) - 1 > UINT32_MAX) {
      setError(GL_OUT_OF_MEMORY, "glGenLists");
      return 0;
    }
  }
  for (GLsizei i = 0; i < range; ++i) g.lists[GLuint(first) + GLuint(i)];  // empty lists until compiled
  g.listsHighest = std::max(g.listsHighest, GLuint(first) + GLuint(range - 1));
  return GLuint(first);
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
  auto old = g.lists.find(g.compileName);
  if (old != g.lists.end()) forget(old);
  Context::List& l = g.lists[g.compileName];
  l.words.swap(g.compileWords);
  l.words.shrink_to_fit();
  if (g.compileName > g.listsHighest) g.listsHighest = g.compileName;
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
  // The names list .. list + range - 1 that exist (none past the last name).
  const uint64_t last = std::min<uint64_t>(uint64_t(list) + uint64_t(range), uint64_t(UINT32_MAX) + 1);
  if (uint64_t(range) > g.lists.size()) {
    for (auto it = g.lists.begin(); it != g.lists.end();) {
      auto here = it++;
      if (here->first >= list && here->first < last) forget(here);
    }
    return;
  }
  for (uint64_t name = list; name < last; ++name) {
    auto it = g.lists.find(GLuint(name));
    if (it != g.lists.end()) forget(it);
  }
}

GLboolean glIsList(GLuint list) { return list != 0 && g.lists.count(list) ? GL_TRUE : GL_FALSE; }

}  // extern "C"
