// OpenGL 1.1 state entry points over WebGL 2: capabilities, blending, depth, culling and
// front face, viewport and scissor, colour mask, clears, hints, the attribute stacks, pixel
// storage, errors, strings and the glGet* queries.
// Supports: glEnable/glDisable/glIsEnabled of every OpenGL 1.1 capability (those drawn:
// GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_TEXTURE_2D, GL_TEXTURE_GEN_S/T,
// GL_NORMALIZE); glPushAttrib/glPopAttrib of every group this folder keeps (GL_ALL_ATTRIB_BITS
// included) and glPushClientAttrib of the pixel store; the glGet* values of the state kept here
// and of the picture (8 colour bits, no alpha, 24 depth, 8 stencil, double-buffered).
// Does not support (said once on standard error when enabled): lighting, fog, alpha and stencil
// tests, 1D textures, colour material, polygon offset, smooth lines/points/polygons (their
// enable is kept and reported, nothing is drawn differently).
// Depends on the batch (gl_immediate.cpp), which every change of drawing state ends at the next
// glBegin when it differs, and on webgl_device.cpp for clears and limits.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/webgl/gl_context.h"

namespace webgl {

Context g;

Context::Context() {
  modelview.stack.push_back(identityMatrix());
  projection.stack.push_back(identityMatrix());
  texture.stack.push_back(identityMatrix());
  textures[0] = TextureObject();
}

void setError(GLenum error, const char* where) {
  if (g.error == GL_NO_ERROR) g.error = error;
  if (g.errorsReported < 16) {
    ++g.errorsReported;
    const char* name = error == GL_INVALID_ENUM        ? "GL_INVALID_ENUM"
                       : error == GL_INVALID_VALUE     ? "GL_INVALID_VALUE"
                       : error == GL_INVALID_OPERATION ? "GL_INVALID_OPERATION"
                       : error == GL_STACK_OVERFLOW    ? "GL_STACK_OVERFLOW"
                       : error == GL_STACK_UNDERFLOW   ? "GL_STACK_UNDERFLOW"
                       : error == GL_OUT_OF_MEMORY     ? "GL_OUT_OF_MEMORY"
                                                       : "GL error";
    std::fprintf(stderr, "webgl: %s in %s%s\n", name, where,
                 g.errorsReported == 16 ? " (further GL errors are not reported)" : "");
  }
}

void sayOnce(const std::string& line) {
  static std::vector<std::string> said;
  for (const std::string& s : said)
    if (s == line) return;
  said.push_back(line);
  std::fprintf(stderr, "webgl: %s\n", line.c_str());
}

void unsupported(const char* what) {
  sayOnce(std::string(what) + " is not supported by the OpenGL 1.1 stand-in; drawn without it");
}

bool insideBegin(const char* where) {
  if (!g.inBegin) return false;
  setError(GL_INVALID_OPERATION, where);
  return true;
}

namespace {

// The capability's flag, or null for an enum that is none.
bool* capability(GLenum cap, const char** unsupportedName) {
  AttribState& a = g.a;
  *unsupportedName = nullptr;
  switch (cap) {
    case GL_BLEND: return &a.blend;
    case GL_DEPTH_TEST: return &a.depthTest;
    case GL_CULL_FACE: return &a.cullFace;
    case GL_SCISSOR_TEST: return &a.scissorTest;
    case GL_TEXTURE_2D: return &a.texture2D;
    case GL_TEXTURE_GEN_S: return &a.texGen[0];
    case GL_TEXTURE_GEN_T: return &a.texGen[1];
    case GL_TEXTURE_GEN_R: *unsupportedName = "GL_TEXTURE_GEN_R"; return &a.texGen[2];
    case GL_TEXTURE_GEN_Q: *unsupportedName = "GL_TEXTURE_GEN_Q"; return &a.texGen[3];
    case GL_NORMALIZE: return &a.normalize;
    case GL_DITHER: return &a.dither;
    case GL_LIGHTING: *unsupportedName = "GL_LIGHTING"; return &a.lighting;
    case GL_FOG: *unsupportedName = "GL_FOG"; return &a.fog;
    case GL_ALPHA_TEST: *unsupportedName = "GL_ALPHA_TEST"; return &a.alphaTest;
    case GL_STENCIL_TEST: *unsupportedName = "GL_STENCIL_TEST"; return &a.stencilTest;
    case GL_LINE_SMOOTH: *unsupportedName = "GL_LINE_SMOOTH"; return &a.lineSmooth;
    case GL_POLYGON_SMOOTH: *unsupportedName = "GL_POLYGON_SMOOTH"; return &a.polygonSmooth;
    case GL_POINT_SMOOTH: *unsupportedName = "GL_POINT_SMOOTH"; return &a.pointSmooth;
    case GL_COLOR_MATERIAL: *unsupportedName = "GL_COLOR_MATERIAL"; return &a.colorMaterial;
    case GL_TEXTURE_1D: *unsupportedName = "GL_TEXTURE_1D"; return &a.texture1D;
    case GL_POLYGON_OFFSET_FILL: *unsupportedName = "GL_POLYGON_OFFSET_FILL"; return &a.polygonOffsetFill;
    default:
      if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8) {
        *unsupportedName = "GL_LIGHTi";
        return &a.lights[cap - GL_LIGHT0];
      }
      return nullptr;
  }
}

bool validBlendFactor(GLenum f, bool source) {
  switch (f) {
    case GL_ZERO: case GL_ONE: case GL_SRC_ALPHA: case GL_ONE_MINUS_SRC_ALPHA: case GL_DST_ALPHA:
    case GL_ONE_MINUS_DST_ALPHA:
      return true;
    case GL_SRC_COLOR: case GL_ONE_MINUS_SRC_COLOR: return !source;
    case GL_DST_COLOR: case GL_ONE_MINUS_DST_COLOR: case GL_SRC_ALPHA_SATURATE: return source;
    default: return false;
  }
}

bool validDepthFunc(GLenum f) { return f >= GL_NEVER && f <= GL_ALWAYS; }

float clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

}  // namespace

// What the scissor test does in the picture: the show's box mapped, inside the picture's
// rectangle when the picture does not fill the framebuffer (the bars stay black).
void effectiveScissor(bool* on, int box[4]) {
  bool padded = g.pictureRect[2] != g.pictureWidth || g.pictureRect[3] != g.pictureHeight;
  *on = g.a.scissorTest || padded;
  int picture[4] = {g.pictureRect[0], g.pictureRect[1], g.pictureRect[2], g.pictureRect[3]};
  if (!g.a.scissorTest) {
    std::memcpy(box, picture, sizeof picture);
    return;
  }
  int mapped[4];
  mapWindowRect(g.a.scissor, mapped);
  if (!padded) {
    std::memcpy(box, mapped, sizeof mapped);
    return;
  }
  int x0 = std::max(mapped[0], picture[0]), y0 = std::max(mapped[1], picture[1]);
  int x1 = std::min(mapped[0] + mapped[2], picture[0] + picture[2]);
  int y1 = std::min(mapped[1] + mapped[3], picture[1] + picture[3]);
  box[0] = x0;
  box[1] = y0;
  box[2] = std::max(0, x1 - x0);
  box[3] = std::max(0, y1 - y0);
}

namespace {

// glGet* values: numbers with the kind that decides their integer form.
enum Kind { INTEGER, FLOATING, BOOLEAN, COLOUR, DEPTH };
struct Values {
  double v[16];
  int count = 0;
  Kind kind = INTEGER;
  void put(double x) { v[count++] = x; }
};

bool query(GLenum pname, Values* out) {
  const AttribState& a = g.a;
  Values& r = *out;
  auto matrix = [&](const MatrixStack& s) {
    r.kind = FLOATING;
    for (int i = 0; i < 16; ++i) r.put(s.stack.back().m[i]);
  };
  auto pixel = [&](const PixelStore& p, int which) {
    switch (which) {
      case 0: r.put(p.swapBytes); r.kind = BOOLEAN; break;
      case 1: r.put(p.lsbFirst); r.kind = BOOLEAN; break;
      case 2: r.put(p.rowLength); break;
      case 3: r.put(p.skipRows); break;
      case 4: r.put(p.skipPixels); break;
      case 5: r.put(p.alignment); break;
    }
  };
  const char* ignored;
  if (bool* cap = capability(pname, &ignored)) {
    r.kind = BOOLEAN;
    r.put(*cap);
    return true;
  }
  switch (pname) {
    case GL_MAX_TEXTURE_SIZE: r.put(deviceMaxTextureSize() > 0 ? deviceMaxTextureSize() : 2048); break;
    case GL_MAX_VIEWPORT_DIMS: r.put(16384); r.put(16384); break;
    case GL_VIEWPORT: for (int i = 0; i < 4; ++i) r.put(a.viewport[i]); break;
    case GL_SCISSOR_BOX: for (int i = 0; i < 4; ++i) r.put(a.scissor[i]); break;
    case GL_DEPTH_RANGE: r.kind = DEPTH; r.put(a.depthRange[0]); r.put(a.depthRange[1]); break;
    case GL_MATRIX_MODE: r.put(a.matrixMode); break;
    case GL_MODELVIEW_MATRIX: matrix(g.modelview); break;
    case GL_PROJECTION_MATRIX: matrix(g.projection); break;
    case GL_TEXTURE_MATRIX: matrix(g.texture); break;
    case GL_MODELVIEW_STACK_DEPTH: r.put(g.modelview.stack.size()); break;
    case GL_PROJECTION_STACK_DEPTH: r.put(g.projection.stack.size()); break;
    case GL_TEXTURE_STACK_DEPTH: r.put(g.texture.stack.size()); break;
    case GL_MAX_MODELVIEW_STACK_DEPTH: r.put(g.modelview.limit); break;
    case GL_MAX_PROJECTION_STACK_DEPTH: r.put(g.projection.limit); break;
    case GL_MAX_TEXTURE_STACK_DEPTH: r.put(g.texture.limit); break;
    case GL_ATTRIB_STACK_DEPTH: r.put(g.attribStack.size()); break;
    case GL_MAX_ATTRIB_STACK_DEPTH: r.put(16); break;
    case GL_CLIENT_ATTRIB_STACK_DEPTH: r.put(g.clientMasks.size()); break;
    case GL_MAX_CLIENT_ATTRIB_STACK_DEPTH: r.put(16); break;
    case GL_UNPACK_SWAP_BYTES: pixel(g.unpack, 0); break;
    case GL_UNPACK_LSB_FIRST: pixel(g.unpack, 1); break;
    case GL_UNPACK_ROW_LENGTH: pixel(g.unpack, 2); break;
    case GL_UNPACK_SKIP_ROWS: pixel(g.unpack, 3); break;
    case GL_UNPACK_SKIP_PIXELS: pixel(g.unpack, 4); break;
    case GL_UNPACK_ALIGNMENT: pixel(g.unpack, 5); break;
    case GL_PACK_SWAP_BYTES: pixel(g.pack, 0); break;
    case GL_PACK_LSB_FIRST: pixel(g.pack, 1); break;
    case GL_PACK_ROW_LENGTH: pixel(g.pack, 2); break;
    case GL_PACK_SKIP_ROWS: pixel(g.pack, 3); break;
    case GL_PACK_SKIP_PIXELS: pixel(g.pack, 4); break;
    case GL_PACK_ALIGNMENT: pixel(g.pack, 5); break;
#ifdef GL_UNPACK_IMAGE_HEIGHT
    case GL_UNPACK_IMAGE_HEIGHT: r.put(g.unpack.imageHeight); break;
    case GL_UNPACK_SKIP_IMAGES: r.put(g.unpack.skipImages); break;
    case GL_PACK_IMAGE_HEIGHT: r.put(g.pack.imageHeight); break;
    case GL_PACK_SKIP_IMAGES: r.put(g.pack.skipImages); break;
#endif
    case GL_CURRENT_COLOR: r.kind = COLOUR; for (float c : a.color) r.put(c); break;
    case GL_CURRENT_NORMAL: r.kind = FLOATING; for (float n : a.normal) r.put(n); break;
    case GL_CURRENT_TEXTURE_COORDS: r.kind = FLOATING; for (float t : a.texCoord) r.put(t); break;
    case GL_COLOR_CLEAR_VALUE: r.kind = COLOUR; for (float c : a.clearColor) r.put(c); break;
    case GL_DEPTH_CLEAR_VALUE: r.kind = DEPTH; r.put(a.clearDepth); break;
    case GL_STENCIL_CLEAR_VALUE: r.put(a.clearStencil); break;
    case GL_COLOR_WRITEMASK: r.kind = BOOLEAN; for (bool m : a.colorMask) r.put(m); break;
    case GL_DEPTH_WRITEMASK: r.kind = BOOLEAN; r.put(a.depthMask); break;
    case GL_DEPTH_FUNC: r.put(a.depthFunc); break;
    case GL_BLEND_SRC: r.put(a.blendSrc); break;
    case GL_BLEND_DST: r.put(a.blendDst); break;
    case GL_CULL_FACE_MODE: r.put(a.cullMode); break;
    case GL_FRONT_FACE: r.put(a.frontFace); break;
    case GL_SHADE_MODEL: r.put(a.shadeModel); break;
    case GL_LINE_WIDTH: r.kind = FLOATING; r.put(a.lineWidth); break;
    case GL_LINE_WIDTH_RANGE: r.kind = FLOATING; r.put(1); r.put(255); break;
    case GL_LINE_WIDTH_GRANULARITY: r.kind = FLOATING; r.put(0.125); break;
    case GL_POINT_SIZE: r.kind = FLOATING; r.put(a.pointSize); break;
    case GL_ZOOM_X: r.kind = FLOATING; r.put(a.zoom[0]); break;
    case GL_ZOOM_Y: r.kind = FLOATING; r.put(a.zoom[1]); break;
    case GL_LIST_BASE: r.put(a.listBase); break;
    case GL_LIST_INDEX: r.put(g.compiling ? g.compileName : 0); break;
    case GL_LIST_MODE: r.put(g.compiling ? (g.compileExecute ? GL_COMPILE_AND_EXECUTE : GL_COMPILE) : 0); break;
    case GL_MAX_LIST_NESTING: r.put(64); break;
    case GL_TEXTURE_BINDING_2D: r.put(a.boundTexture); break;
    case GL_PERSPECTIVE_CORRECTION_HINT: r.put(a.hints[0]); break;
    case GL_POINT_SMOOTH_HINT: r.put(a.hints[1]); break;
    case GL_LINE_SMOOTH_HINT: r.put(a.hints[2]); break;
    case GL_POLYGON_SMOOTH_HINT: r.put(a.hints[3]); break;
    case GL_FOG_HINT: r.put(a.hints[4]); break;
    case GL_RED_BITS: case GL_GREEN_BITS: case GL_BLUE_BITS: r.put(8); break;
    case GL_ALPHA_BITS: r.put(0); break;
    case GL_DEPTH_BITS: r.put(24); break;
    case GL_STENCIL_BITS: r.put(8); break;
    case GL_SUBPIXEL_BITS: r.put(4); break;
    case GL_DOUBLEBUFFER: r.kind = BOOLEAN; r.put(1); break;
    case GL_RGBA_MODE: r.kind = BOOLEAN; r.put(1); break;
    case GL_STEREO: r.kind = BOOLEAN; r.put(0); break;
    case GL_INDEX_MODE: r.kind = BOOLEAN; r.put(0); break;
    default: return false;
  }
  return true;
}

}  // namespace

// --- internal operations ------------------------------------------------------------------

void doEnable(GLenum cap, bool on) {
  if (insideBegin(on ? "glEnable" : "glDisable")) return;
  const char* name = nullptr;
  bool* flag = capability(cap, &name);
  if (!flag) {
    setError(GL_INVALID_ENUM, on ? "glEnable" : "glDisable");
    return;
  }
  if (on && name) unsupported(name);
  if (*flag != on) {
    *flag = on;
    stateChanged();
  }
}

void doBlendFunc(GLenum src, GLenum dst) {
  if (insideBegin("glBlendFunc")) return;
  if (!validBlendFactor(src, true) || !validBlendFactor(dst, false)) {
    setError(GL_INVALID_ENUM, "glBlendFunc");
    return;
  }
  if (g.a.blendSrc == src && g.a.blendDst == dst) return;
  g.a.blendSrc = src;
  g.a.blendDst = dst;
  stateChanged();
}

void doDepthFunc(GLenum func) {
  if (insideBegin("glDepthFunc")) return;
  if (!validDepthFunc(func)) {
    setError(GL_INVALID_ENUM, "glDepthFunc");
    return;
  }
  if (g.a.depthFunc == func) return;
  g.a.depthFunc = func;
  stateChanged();
}

void doDepthMask(bool mask) {
  if (insideBegin("glDepthMask") || g.a.depthMask == mask) return;
  g.a.depthMask = mask;
  stateChanged();
}

void doCullFace(GLenum mode) {
  if (insideBegin("glCullFace")) return;
  if (mode != GL_FRONT && mode != GL_BACK && mode != GL_FRONT_AND_BACK) {
    setError(GL_INVALID_ENUM, "glCullFace");
    return;
  }
  if (g.a.cullMode == mode) return;
  g.a.cullMode = mode;
  stateChanged();
}

void doFrontFace(GLenum mode) {
  if (insideBegin("glFrontFace")) return;
  if (mode != GL_CW && mode != GL_CCW) {
    setError(GL_INVALID_ENUM, "glFrontFace");
    return;
  }
  // No draw-state change: the winding is applied to each primitive as it is assembled.
  if (g.a.frontFace == mode) return;
  g.a.frontFace = mode;
  newEpoch();
}

void doShadeModel(GLenum mode) {
  if (insideBegin("glShadeModel")) return;
  if (mode != GL_SMOOTH && mode != GL_FLAT) {
    setError(GL_INVALID_ENUM, "glShadeModel");
    return;
  }
  if (g.a.shadeModel == mode) return;
  g.a.shadeModel = mode;
  newEpoch();
}

void doLineWidth(float width) {
  if (insideBegin("glLineWidth")) return;
  if (!(width > 0)) {
    setError(GL_INVALID_VALUE, "glLineWidth");
    return;
  }
  if (g.a.lineWidth == width) return;
  g.a.lineWidth = width;
  newEpoch();
}

void doPointSize(float size) {
  if (insideBegin("glPointSize")) return;
  if (!(size > 0)) {
    setError(GL_INVALID_VALUE, "glPointSize");
    return;
  }
  if (g.a.pointSize == size) return;
  g.a.pointSize = size;
  newEpoch();
}

void doViewport(int x, int y, int width, int height) {
  if (insideBegin("glViewport")) return;
  if (width < 0 || height < 0) {
    setError(GL_INVALID_VALUE, "glViewport");
    return;
  }
  int v[4] = {x, y, std::min(width, 16384), std::min(height, 16384)};
  if (std::memcmp(g.a.viewport, v, sizeof v) == 0) return;
  std::memcpy(g.a.viewport, v, sizeof v);
  stateChanged();
}

void doScissor(int x, int y, int width, int height) {
  if (insideBegin("glScissor")) return;
  if (width < 0 || height < 0) {
    setError(GL_INVALID_VALUE, "glScissor");
    return;
  }
  int s[4] = {x, y, width, height};
  if (std::memcmp(g.a.scissor, s, sizeof s) == 0) return;
  std::memcpy(g.a.scissor, s, sizeof s);
  stateChanged();
}

void doColorMask(bool r, bool gr, bool b, bool a) {
  if (insideBegin("glColorMask")) return;
  g.a.colorMask[0] = r;
  g.a.colorMask[1] = gr;
  g.a.colorMask[2] = b;
  g.a.colorMask[3] = a;
  stateChanged();
}

void doClearColor(float r, float gr, float b, float a) {
  if (insideBegin("glClearColor")) return;
  float c[4] = {clamp01(r), clamp01(gr), clamp01(b), clamp01(a)};
  std::memcpy(g.a.clearColor, c, sizeof c);
  newEpoch();
}

void doClearDepth(double depth) {
  if (insideBegin("glClearDepth")) return;
  g.a.clearDepth = depth < 0 ? 0 : depth > 1 ? 1 : depth;
  newEpoch();
}

void doClearStencil(int s) {
  if (insideBegin("glClearStencil")) return;
  g.a.clearStencil = s;
  newEpoch();
}

void doClear(GLbitfield mask) {
  if (insideBegin("glClear")) return;
  const GLbitfield known = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT;
  if (mask & ~known) {
    setError(GL_INVALID_VALUE, "glClear");
    return;
  }
  flushBatch();
  if (g.discard || !g.ready) return;
  bool scissor;
  int box[4];
  effectiveScissor(&scissor, box);
  if (scissor && (box[2] <= 0 || box[3] <= 0)) return;
  deviceClear(mask & GL_COLOR_BUFFER_BIT, mask & GL_DEPTH_BUFFER_BIT, mask & GL_STENCIL_BUFFER_BIT, g.a.clearColor,
              float(g.a.clearDepth), g.a.clearStencil, scissor, box, g.a.colorMask, g.a.depthMask);
}

void doHint(GLenum target, GLenum mode) {
  if (insideBegin("glHint")) return;
  if (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE) {
    setError(GL_INVALID_ENUM, "glHint");
    return;
  }
  int slot = target == GL_PERSPECTIVE_CORRECTION_HINT ? 0
             : target == GL_POINT_SMOOTH_HINT         ? 1
             : target == GL_LINE_SMOOTH_HINT          ? 2
             : target == GL_POLYGON_SMOOTH_HINT       ? 3
             : target == GL_FOG_HINT                  ? 4
                                                      : -1;
  if (slot < 0) {
    setError(GL_INVALID_ENUM, "glHint");
    return;
  }
  if (g.a.hints[slot] == mode) return;
  g.a.hints[slot] = mode;  // kept for glGet; WebGL draws the same either way
  newEpoch();
}

void doPixelZoom(float x, float y) {
  if (insideBegin("glPixelZoom")) return;
  g.a.zoom[0] = x;
  g.a.zoom[1] = y;
  newEpoch();
}

void doPushAttrib(GLbitfield mask) {
  if (insideBegin("glPushAttrib")) return;
  if (g.attribStack.size() >= 16) {
    setError(GL_STACK_OVERFLOW, "glPushAttrib");
    return;
  }
  g.attribStack.push_back({mask, g.a});
}

void doPopAttrib() {
  if (insideBegin("glPopAttrib")) return;
  if (g.attribStack.empty()) {
    setError(GL_STACK_UNDERFLOW, "glPopAttrib");
    return;
  }
  const GLbitfield m = g.attribStack.back().mask;
  const AttribState s = g.attribStack.back().state;
  g.attribStack.pop_back();
  AttribState& a = g.a;
  if (m & GL_CURRENT_BIT) {
    std::memcpy(a.color, s.color, sizeof a.color);
    std::memcpy(a.normal, s.normal, sizeof a.normal);
    std::memcpy(a.texCoord, s.texCoord, sizeof a.texCoord);
  }
  if (m & GL_ENABLE_BIT) {
    a.blend = s.blend, a.depthTest = s.depthTest, a.cullFace = s.cullFace, a.scissorTest = s.scissorTest;
    a.texture2D = s.texture2D, a.normalize = s.normalize, a.lighting = s.lighting, a.fog = s.fog;
    a.alphaTest = s.alphaTest, a.stencilTest = s.stencilTest, a.dither = s.dither, a.lineSmooth = s.lineSmooth;
    a.polygonSmooth = s.polygonSmooth, a.pointSmooth = s.pointSmooth, a.colorMaterial = s.colorMaterial;
    a.texture1D = s.texture1D, a.polygonOffsetFill = s.polygonOffsetFill;
    std::memcpy(a.texGen, s.texGen, sizeof a.texGen);
    std::memcpy(a.lights, s.lights, sizeof a.lights);
  }
  if (m & GL_COLOR_BUFFER_BIT) {
    a.blend = s.blend, a.blendSrc = s.blendSrc, a.blendDst = s.blendDst, a.alphaTest = s.alphaTest;
    a.dither = s.dither;
    std::memcpy(a.clearColor, s.clearColor, sizeof a.clearColor);
    std::memcpy(a.colorMask, s.colorMask, sizeof a.colorMask);
  }
  if (m & GL_DEPTH_BUFFER_BIT) {
    a.depthTest = s.depthTest, a.depthFunc = s.depthFunc, a.clearDepth = s.clearDepth, a.depthMask = s.depthMask;
  }
  if (m & GL_STENCIL_BUFFER_BIT) a.stencilTest = s.stencilTest, a.clearStencil = s.clearStencil;
  if (m & GL_POLYGON_BIT) {
    a.cullFace = s.cullFace, a.cullMode = s.cullMode, a.frontFace = s.frontFace;
    a.polygonSmooth = s.polygonSmooth, a.polygonOffsetFill = s.polygonOffsetFill;
  }
  if (m & GL_SCISSOR_BIT) {
    a.scissorTest = s.scissorTest;
    std::memcpy(a.scissor, s.scissor, sizeof a.scissor);
  }
  if (m & GL_VIEWPORT_BIT) {
    std::memcpy(a.viewport, s.viewport, sizeof a.viewport);
    a.depthRange[0] = s.depthRange[0], a.depthRange[1] = s.depthRange[1];
  }
  if (m & GL_TEXTURE_BIT) {
    a.boundTexture = s.boundTexture, a.texEnvMode = s.texEnvMode;
    std::memcpy(a.texGen, s.texGen, sizeof a.texGen);
    std::memcpy(a.texGenMode, s.texGenMode, sizeof a.texGenMode);
    if (!g.textures.count(a.boundTexture)) a.boundTexture = 0;  // deleted meanwhile
  }
  if (m & GL_TRANSFORM_BIT) a.matrixMode = s.matrixMode, a.normalize = s.normalize;
  if (m & GL_LINE_BIT) a.lineWidth = s.lineWidth, a.lineSmooth = s.lineSmooth;
  if (m & GL_POINT_BIT) a.pointSize = s.pointSize, a.pointSmooth = s.pointSmooth;
  if (m & GL_LIGHTING_BIT) {
    a.shadeModel = s.shadeModel, a.lighting = s.lighting, a.colorMaterial = s.colorMaterial;
    std::memcpy(a.lights, s.lights, sizeof a.lights);
  }
  if (m & GL_FOG_BIT) a.fog = s.fog;
  if (m & GL_LIST_BIT) a.listBase = s.listBase;
  if (m & GL_HINT_BIT) std::memcpy(a.hints, s.hints, sizeof a.hints);
  if (m & GL_PIXEL_MODE_BIT) a.zoom[0] = s.zoom[0], a.zoom[1] = s.zoom[1];
  stateChanged();
}

}  // namespace webgl

using namespace webgl;

// --- entry points -------------------------------------------------------------------------

extern "C" {

void glEnable(GLenum cap) {
  KS_RECORD(OP_ENABLE, wu(cap));
  doEnable(cap, true);
}

void glDisable(GLenum cap) {
  KS_RECORD(OP_DISABLE, wu(cap));
  doEnable(cap, false);
}

GLboolean glIsEnabled(GLenum cap) {
  const char* ignored;
  bool* flag = capability(cap, &ignored);
  if (!flag) {
    setError(GL_INVALID_ENUM, "glIsEnabled");
    return GL_FALSE;
  }
  return *flag ? GL_TRUE : GL_FALSE;
}

void glBlendFunc(GLenum src, GLenum dst) {
  KS_RECORD(OP_BLEND_FUNC, wu(src), wu(dst));
  doBlendFunc(src, dst);
}

void glDepthFunc(GLenum func) {
  KS_RECORD(OP_DEPTH_FUNC, wu(func));
  doDepthFunc(func);
}

void glDepthMask(GLboolean mask) {
  KS_RECORD(OP_DEPTH_MASK, wu(mask));
  doDepthMask(mask);
}

void glClearDepth(GLclampd depth) {
  KS_RECORD(OP_CLEAR_DEPTH, wf(float(depth)));
  doClearDepth(depth);
}

void glCullFace(GLenum mode) {
  KS_RECORD(OP_CULL_FACE, wu(mode));
  doCullFace(mode);
}

void glFrontFace(GLenum mode) {
  KS_RECORD(OP_FRONT_FACE, wu(mode));
  doFrontFace(mode);
}

void glShadeModel(GLenum mode) {
  KS_RECORD(OP_SHADE_MODEL, wu(mode));
  doShadeModel(mode);
}

void glLineWidth(GLfloat width) {
  KS_RECORD(OP_LINE_WIDTH, wf(width));
  doLineWidth(width);
}

void glPointSize(GLfloat size) {
  KS_RECORD(OP_POINT_SIZE, wf(size));
  doPointSize(size);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  KS_RECORD(OP_VIEWPORT, wu(x), wu(y), wu(width), wu(height));
  doViewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
  KS_RECORD(OP_SCISSOR, wu(x), wu(y), wu(width), wu(height));
  doScissor(x, y, width, height);
}

void glColorMask(GLboolean r, GLboolean gr, GLboolean b, GLboolean a) {
  KS_RECORD(OP_COLOR_MASK, wu(r), wu(gr), wu(b), wu(a));
  doColorMask(r, gr, b, a);
}

void glClearColor(GLclampf r, GLclampf gr, GLclampf b, GLclampf a) {
  KS_RECORD(OP_CLEAR_COLOR, wf(r), wf(gr), wf(b), wf(a));
  doClearColor(r, gr, b, a);
}

void glClearStencil(GLint s) {
  KS_RECORD(OP_CLEAR_STENCIL, wu(s));
  doClearStencil(s);
}

void glClear(GLbitfield mask) {
  KS_RECORD(OP_CLEAR, wu(mask));
  doClear(mask);
}

void glHint(GLenum target, GLenum mode) {
  KS_RECORD(OP_HINT, wu(target), wu(mode));
  doHint(target, mode);
}

void glPixelZoom(GLfloat x, GLfloat y) {
  KS_RECORD(OP_PIXEL_ZOOM, wf(x), wf(y));
  doPixelZoom(x, y);
}

void glPushAttrib(GLbitfield mask) {
  KS_RECORD(OP_PUSH_ATTRIB, wu(mask));
  doPushAttrib(mask);
}

void glPopAttrib(void) {
  KS_RECORD(OP_POP_ATTRIB);
  doPopAttrib();
}

void glPushClientAttrib(GLbitfield mask) {
  if (g.clientMasks.size() >= 16) {
    setError(GL_STACK_OVERFLOW, "glPushClientAttrib");
    return;
  }
  g.clientMasks.push_back(mask);
  g.clientStack[0].push_back(g.unpack);
  g.clientStack[1].push_back(g.pack);
}

void glPopClientAttrib(void) {
  if (g.clientMasks.empty()) {
    setError(GL_STACK_UNDERFLOW, "glPopClientAttrib");
    return;
  }
  if (g.clientMasks.back() & GL_CLIENT_PIXEL_STORE_BIT) {
    g.unpack = g.clientStack[0].back();
    g.pack = g.clientStack[1].back();
  }
  g.clientMasks.pop_back();
  g.clientStack[0].pop_back();
  g.clientStack[1].pop_back();
}

void glPixelStorei(GLenum pname, GLint param) {
  bool pack = false;
  PixelStore* p = &g.unpack;
  switch (pname) {
    case GL_PACK_SWAP_BYTES: case GL_PACK_LSB_FIRST: case GL_PACK_ROW_LENGTH: case GL_PACK_SKIP_ROWS:
    case GL_PACK_SKIP_PIXELS: case GL_PACK_ALIGNMENT:
#ifdef GL_PACK_IMAGE_HEIGHT
    case GL_PACK_IMAGE_HEIGHT: case GL_PACK_SKIP_IMAGES:
#endif
      pack = true;
      p = &g.pack;
      break;
    default: break;
  }
  if ((pname == GL_PACK_ALIGNMENT || pname == GL_UNPACK_ALIGNMENT) && param != 1 && param != 2 && param != 4 &&
      param != 8) {
    setError(GL_INVALID_VALUE, "glPixelStorei");
    return;
  }
  if (param < 0 && pname != GL_PACK_SWAP_BYTES && pname != GL_UNPACK_SWAP_BYTES && pname != GL_PACK_LSB_FIRST &&
      pname != GL_UNPACK_LSB_FIRST) {
    setError(GL_INVALID_VALUE, "glPixelStorei");
    return;
  }
  switch (pname) {
    case GL_PACK_SWAP_BYTES: case GL_UNPACK_SWAP_BYTES: p->swapBytes = param != 0; break;
    case GL_PACK_LSB_FIRST: case GL_UNPACK_LSB_FIRST: p->lsbFirst = param != 0; break;
    case GL_PACK_ROW_LENGTH: case GL_UNPACK_ROW_LENGTH: p->rowLength = param; break;
    case GL_PACK_SKIP_ROWS: case GL_UNPACK_SKIP_ROWS: p->skipRows = param; break;
    case GL_PACK_SKIP_PIXELS: case GL_UNPACK_SKIP_PIXELS: p->skipPixels = param; break;
    case GL_PACK_ALIGNMENT: case GL_UNPACK_ALIGNMENT: p->alignment = param; break;
#ifdef GL_PACK_IMAGE_HEIGHT
    case GL_PACK_IMAGE_HEIGHT: case GL_UNPACK_IMAGE_HEIGHT: p->imageHeight = param; break;
    case GL_PACK_SKIP_IMAGES: case GL_UNPACK_SKIP_IMAGES: p->skipImages = param; break;
#endif
    default: setError(GL_INVALID_ENUM, "glPixelStorei"); return;
  }
  (void)pack;
}

void glPixelStoref(GLenum pname, GLfloat param) { glPixelStorei(pname, GLint(std::lround(param))); }

void glGetIntegerv(GLenum pname, GLint* params) {
  Values r;
  if (!query(pname, &r)) {
    setError(GL_INVALID_ENUM, "glGetIntegerv");
    return;
  }
  for (int i = 0; i < r.count; ++i) {
    double v = r.v[i];
    if (r.kind == COLOUR || r.kind == DEPTH) {
      // Colours map [-1, 1] and depths [0, 1] linearly onto the integers.
      double c = v < -1 ? -1 : v > 1 ? 1 : v;
      params[i] = GLint(std::lround(c * 2147483647.0));
    } else {
      params[i] = GLint(std::lround(v));
    }
  }
}

void glGetFloatv(GLenum pname, GLfloat* params) {
  Values r;
  if (!query(pname, &r)) {
    setError(GL_INVALID_ENUM, "glGetFloatv");
    return;
  }
  for (int i = 0; i < r.count; ++i) params[i] = GLfloat(r.v[i]);
}

void glGetDoublev(GLenum pname, GLdouble* params) {
  Values r;
  if (!query(pname, &r)) {
    setError(GL_INVALID_ENUM, "glGetDoublev");
    return;
  }
  for (int i = 0; i < r.count; ++i) params[i] = r.v[i];
}

void glGetBooleanv(GLenum pname, GLboolean* params) {
  Values r;
  if (!query(pname, &r)) {
    setError(GL_INVALID_ENUM, "glGetBooleanv");
    return;
  }
  for (int i = 0; i < r.count; ++i) params[i] = r.v[i] != 0 ? GL_TRUE : GL_FALSE;
}

GLenum glGetError(void) {
  GLenum e = g.error;
  g.error = GL_NO_ERROR;
  return e;
}

const GLubyte* glGetString(GLenum name) {
  switch (name) {
    // GLU reads the version as a number: 1.1, the version this stand-in serves.
    case GL_VERSION: return reinterpret_cast<const GLubyte*>("1.1 Kelvo Strand (WebGL 2)");
    case GL_VENDOR: return reinterpret_cast<const GLubyte*>("Kelvo Strand");
    case GL_RENDERER: return reinterpret_cast<const GLubyte*>("OpenGL 1.1 stand-in over WebGL 2");
    case GL_EXTENSIONS: return reinterpret_cast<const GLubyte*>("");
    default: setError(GL_INVALID_ENUM, "glGetString"); return nullptr;
  }
}

void glFlush(void) { flushBatch(); }

void glFinish(void) {
  flushBatch();
  if (g.ready) deviceFinish();
}

}  // extern "C"
