// WebGL 2 device of the OpenGL 1.1 stand-in (webgl_device.h).
// Supports: the picture framebuffer (RGB8 colour texture, DEPTH24_STENCIL8), batches of
// indexed triangles written into two buffers that persist across draws (each draw's vertices
// and indices go after the previous ones; the buffers are renewed only when they fill up),
// display lists' vertices kept in buffers of their own and drawn with the transform, the
// sphere map and the texture matrix done in the vertex shader; four programs for the show's
// drawing (colour, and colour times a texture: GL_MODULATE; each for batches and for lists)
// and one for the copy onto the canvas; blending, depth test/func/mask, culling, viewport,
// scissor, colour mask, clears, RGB/RGBA textures with GL's filters and wraps, the copy of the
// picture onto the canvas (a textured quad, so the canvas may be multisampled or have alpha),
// the read of the picture, a one-pixel read that waits for the drawing, the drawing of a
// bitmap, and a count of the draws and the bytes handed to WebGL.
// Does not support: anything the GL layer does not hand it (no lighting, fog, alpha test,
// stencil test, polygon offset). WebGL state is cached here: the rest of the program never
// calls WebGL, so the cache is the truth.
// Depends on: Emscripten's WebGL 2 bindings through their emscripten_gl* names (the plain gl*
// names are this folder's OpenGL 1.1 functions), a current WebGL 2 context.
#include "platform/webgl/webgl_device.h"

#include <emscripten/html5.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstddef>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace webgl {

bool DrawState::operator==(const DrawState& o) const {
  if (texture != o.texture || blend != o.blend || depthTest != o.depthTest || depthMask != o.depthMask ||
      cull != o.cull || scissor != o.scissor)
    return false;
  if (blend && (blendSrc != o.blendSrc || blendDst != o.blendDst)) return false;
  if (depthTest && depthFunc != o.depthFunc) return false;
  if (cull && cullFace != o.cullFace) return false;
  for (int i = 0; i < 4; ++i) {
    if (viewport[i] != o.viewport[i] || colorMask[i] != o.colorMask[i]) return false;
    if (scissor && scissorBox[i] != o.scissorBox[i]) return false;
  }
  return true;
}

namespace {

const char* kVertexShader = R"(#version 300 es
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 texCoord;
out vec4 vColour;
out vec2 vTexCoord;
void main() {
  gl_Position = position;
  vColour = colour;
  vTexCoord = texCoord;
}
)";

// A display list's vertices, by OpenGL 1.1's rules (as the batches' are worked out on the CPU in
// gl_immediate.cpp): clip position, clamped colour, the sphere map from the eye position and
// the normal through the inverse transpose (normalised only when asked), the texture matrix
// with its result divided by q.
const char* kListVertexShader = R"(#version 300 es
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec3 normal;
layout(location = 3) in vec4 texCoord;
uniform mat4 combined;
uniform mat4 modelview;
uniform mat3 normalMatrix;
uniform mat4 textureMatrix;
uniform int sphereS, sphereT, normalizeNormal, useTextureMatrix;
out vec4 vColour;
out vec2 vTexCoord;
void main() {
  gl_Position = combined * position;
  vColour = clamp(colour, 0.0, 1.0);
  vec2 st = texCoord.st;
  if (sphereS != 0 || sphereT != 0) {
    vec3 e = (modelview * position).xyz;
    vec3 n = normalMatrix * normal;
    if (normalizeNormal != 0) {
      float l = length(n);
      if (l > 0.0) n /= l;
    }
    float len = length(e);
    vec3 u = len > 0.0 ? e / len : vec3(0.0);
    vec3 r = u - n * (2.0 * dot(n, u));
    float m2 = r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0);
    float inverseM = m2 > 0.0 ? 0.5 / sqrt(m2) : 0.0;
    if (sphereS != 0) st.s = r.x * inverseM + 0.5;
    if (sphereT != 0) st.t = r.y * inverseM + 0.5;
  }
  if (useTextureMatrix != 0) {
    vec4 t = textureMatrix * vec4(st, texCoord.p, texCoord.q);
    if (t.w != 0.0 && t.w != 1.0) t.xy /= t.w;
    st = t.xy;
  }
  vTexCoord = st;
}
)";

const char* kColourShader = R"(#version 300 es
precision highp float;
in vec4 vColour;
in vec2 vTexCoord;
out vec4 fragment;
void main() { fragment = vColour; }
)";

const char* kTextureShader = R"(#version 300 es
precision highp float;
uniform sampler2D picture;
in vec4 vColour;
in vec2 vTexCoord;
out vec4 fragment;
void main() { fragment = vColour * texture(picture, vTexCoord); }
)";

// The picture onto the canvas, opaque whatever the canvas's alpha.
const char* kPresentShader = R"(#version 300 es
precision highp float;
uniform sampler2D picture;
in vec4 vColour;
in vec2 vTexCoord;
out vec4 fragment;
void main() { fragment = vec4(texture(picture, vTexCoord).rgb, 1.0); }
)";

// The context the device was made on: nothing is sent to WebGL while another one, or none, is
// current (the show's calls after wglDeleteContext fail without effect).
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE g_owner = 0;
GLuint g_colourProgram = 0, g_textureProgram = 0, g_presentProgram = 0;
GLuint g_listColourProgram = 0, g_listTextureProgram = 0;
GLuint g_vertexArray = 0, g_listArray = 0;

// A buffer written into one write after another, round to its start when the next does not
// fit; its storage is made anew only when one write is larger than all of it.
struct Stream {
  GLenum target;
  GLuint buffer = 0;
  uint32_t capacity = 0, used = 0;
};
Stream g_vertexStream{GL_ARRAY_BUFFER}, g_indexStream{GL_ELEMENT_ARRAY_BUFFER};
const uint32_t kStreamStart = 8u << 20;

// Display lists on the device.
struct DeviceList {
  GLuint vertices = 0, indices = 0;
};
std::unordered_map<uint32_t, DeviceList> g_lists;
uint32_t g_nextList = 1;

// The list programs' uniforms.
struct ListUniforms {
  GLint combined, modelview, normalMatrix, textureMatrix, sphereS, sphereT, normalize, useTextureMatrix;
} g_listColourUniforms, g_listTextureUniforms;

uint32_t g_draws = 0;
double g_bytes = 0;

// The draws and clears of the picture wait here until something needs the picture (a read, the
// present, the sync) or changes what they use (a texture, a list, the framebuffer): then the
// vertices and indices of all the waiting batches go to WebGL in one write each, and the draws
// follow. A write into a buffer that a draw of the same pass still reads makes the browser's
// GL copy it and break the pass; one write per frame keeps the frame in one pass.
struct Queued {
  enum Kind { BATCH, LIST, CLEAR } kind;
  DrawState state;
  uint32_t first = 0, count = 0;  // BATCH: indices; LIST: the list's indices
  uint32_t vertexFirst = 0;       // BATCH
  uint32_t list = 0;              // LIST
  ListTransform transform;        // LIST
  bool colour = false, depth = false, stencil = false;  // CLEAR
  float rgba[4] = {0, 0, 0, 0}, depthValue = 1;
  int stencilValue = 0;
};
std::vector<Queued> g_queue;
std::vector<Vertex> g_queuedVertices;
std::vector<uint32_t> g_queuedIndices;
GLuint g_framebuffer = 0, g_colourTexture = 0, g_depthStencil = 0;
int g_width = 0, g_height = 0;
GLint g_maxTexture = 0, g_maxRenderbuffer = 0;

// What WebGL is set to now.
struct Applied {
  bool known = false;
  GLuint program = 0;
  GLuint texture = 0;
  GLuint array = 0;        // vertex array object
  GLuint arrayBuffer = 0;  // GL_ARRAY_BUFFER
  DrawState state;
} g_applied;

GLuint compile(GLenum type, const char* source, std::string* why) {
  GLuint shader = emscripten_glCreateShader(type);
  emscripten_glShaderSource(shader, 1, &source, nullptr);
  emscripten_glCompileShader(shader);
  GLint ok = 0;
  emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = "";
    emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    *why = std::string("shader does not compile: ") + log;
    emscripten_glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint link(const char* fragmentSource, std::string* why, const char* vertexSource = kVertexShader) {
  GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource, why);
  GLuint fragment = vertex ? compile(GL_FRAGMENT_SHADER, fragmentSource, why) : 0;
  if (!fragment) return 0;
  GLuint program = emscripten_glCreateProgram();
  emscripten_glAttachShader(program, vertex);
  emscripten_glAttachShader(program, fragment);
  emscripten_glLinkProgram(program);
  emscripten_glDeleteShader(vertex);
  emscripten_glDeleteShader(fragment);
  GLint ok = 0;
  emscripten_glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[512] = "";
    emscripten_glGetProgramInfoLog(program, sizeof log, nullptr, log);
    *why = std::string("program does not link: ") + log;
    return 0;
  }
  GLint sampler = emscripten_glGetUniformLocation(program, "picture");
  if (sampler >= 0) {
    emscripten_glUseProgram(program);
    emscripten_glUniform1i(sampler, 0);
  }
  return program;
}

void setCap(GLenum cap, bool on) {
  if (on)
    emscripten_glEnable(cap);
  else
    emscripten_glDisable(cap);
}

// Sends `value` through `set` only when the cache holds another one.
void setCached(GLuint* cached, GLuint value, void (*set)(GLuint)) {
  if (*cached != value) set(value);
  *cached = value;
}

void useProgram(GLuint program) { setCached(&g_applied.program, program, emscripten_glUseProgram); }
void bindTexture(GLuint texture) {
  setCached(&g_applied.texture, texture, [](GLuint t) { emscripten_glBindTexture(GL_TEXTURE_2D, t); });
}
void bindArray(GLuint array) { setCached(&g_applied.array, array, emscripten_glBindVertexArray); }
void bindArrayBuffer(GLuint buffer) {
  setCached(&g_applied.arrayBuffer, buffer, [](GLuint b) { emscripten_glBindBuffer(GL_ARRAY_BUFFER, b); });
}

// Brings WebGL to `s`, changing only what differs from what it is now.
void apply(const DrawState& s) {
  DrawState& a = g_applied.state;
  bool all = !g_applied.known;
  if (all || a.blend != s.blend) setCap(GL_BLEND, s.blend);
  if (s.blend && (all || a.blendSrc != s.blendSrc || a.blendDst != s.blendDst))
    emscripten_glBlendFunc(s.blendSrc, s.blendDst);
  if (all || a.depthTest != s.depthTest) setCap(GL_DEPTH_TEST, s.depthTest);
  if (s.depthTest && (all || a.depthFunc != s.depthFunc)) emscripten_glDepthFunc(s.depthFunc);
  if (all || a.depthMask != s.depthMask) emscripten_glDepthMask(s.depthMask);
  if (all || a.cull != s.cull) setCap(GL_CULL_FACE, s.cull);
  if (s.cull && (all || a.cullFace != s.cullFace)) emscripten_glCullFace(s.cullFace);
  bool viewportSame = !all;
  bool maskSame = !all;
  bool boxSame = !all;
  for (int i = 0; i < 4; ++i) {
    viewportSame = viewportSame && a.viewport[i] == s.viewport[i];
    maskSame = maskSame && a.colorMask[i] == s.colorMask[i];
    boxSame = boxSame && a.scissorBox[i] == s.scissorBox[i];
  }
  if (!viewportSame) emscripten_glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
  if (!maskSame) emscripten_glColorMask(s.colorMask[0], s.colorMask[1], s.colorMask[2], s.colorMask[3]);
  if (all || a.scissor != s.scissor) setCap(GL_SCISSOR_TEST, s.scissor);
  if (s.scissor && !boxSame) emscripten_glScissor(s.scissorBox[0], s.scissorBox[1], s.scissorBox[2], s.scissorBox[3]);

  // What is not applied while off keeps its old value in the cache.
  DrawState next = s;
  if (!s.blend && !all) next.blendSrc = a.blendSrc, next.blendDst = a.blendDst;
  if (!s.depthTest && !all) next.depthFunc = a.depthFunc;
  if (!s.cull && !all) next.cullFace = a.cullFace;
  if (!s.scissor && !all) {
    for (int i = 0; i < 4; ++i) next.scissorBox[i] = a.scissorBox[i];
  }
  if (all) {
    // Functions of disabled states were not sent: send them once so the cache holds.
    emscripten_glBlendFunc(s.blendSrc, s.blendDst);
    emscripten_glDepthFunc(s.depthFunc);
    emscripten_glCullFace(s.cullFace);
    emscripten_glScissor(s.scissorBox[0], s.scissorBox[1], s.scissorBox[2], s.scissorBox[3]);
  }
  a = next;
  g_applied.known = true;
}

// Writes `bytes` into the stream (its buffer bound to its target): the offset they went to.
uint32_t streamWrite(Stream& stream, const void* data, uint32_t bytes) {
  if (stream.target == GL_ARRAY_BUFFER)
    bindArrayBuffer(stream.buffer);
  else
    emscripten_glBindBuffer(stream.target, stream.buffer);
  if (bytes > stream.capacity) {
    // Larger storage, made once for all later writes.
    while (stream.capacity < bytes) stream.capacity = stream.capacity ? stream.capacity * 2 : kStreamStart;
    emscripten_glBufferData(stream.target, stream.capacity, nullptr, GL_DYNAMIC_DRAW);
    stream.used = 0;
  } else if (stream.used + bytes > stream.capacity) {
    stream.used = 0;  // round to the start: what was written there was drawn frames ago
  }
  const uint32_t offset = stream.used;
  emscripten_glBufferSubData(stream.target, offset, bytes, data);
  stream.used = (offset + bytes + 15) & ~15u;
  g_bytes += bytes;
  return offset;
}

// Draws indexed triangles of clip-space vertices through the streams.
void streamDraw(const Vertex* vertices, uint32_t vertexCount, const uint32_t* indices, uint32_t indexCount) {
  bindArray(g_vertexArray);
  const uintptr_t at = streamWrite(g_vertexStream, vertices, uint32_t(sizeof(Vertex) * vertexCount));
  emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(at));
  emscripten_glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(at + 16));
  emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(at + 32));
  const uintptr_t first = streamWrite(g_indexStream, indices, uint32_t(sizeof(uint32_t) * indexCount));
  emscripten_glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, reinterpret_cast<void*>(first));
  ++g_draws;
}

// Draws the two triangles of a rectangle in NDC (x0, y0)-(x1, y1) with texture corners
// (s0, t0)-(s1, t1), for the present and the bitmap copies.
void drawRectangle(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1) {
  const Vertex quad[4] = {{x0, y0, 0, 1, 1, 1, 1, 1, s0, t0},
                          {x1, y0, 0, 1, 1, 1, 1, 1, s1, t0},
                          {x1, y1, 0, 1, 1, 1, 1, 1, s1, t1},
                          {x0, y1, 0, 1, 1, 1, 1, 1, s0, t1}};
  const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
  streamDraw(quad, 4, indices, 6);
}

ListUniforms listUniforms(GLuint program) {
  auto at = [&](const char* name) { return emscripten_glGetUniformLocation(program, name); };
  return {at("combined"), at("modelview"),  at("normalMatrix"), at("textureMatrix"),
          at("sphereS"),  at("sphereT"),    at("normalizeNormal"), at("useTextureMatrix")};
}

bool usable() { return g_framebuffer && g_owner && emscripten_webgl_get_current_context() == g_owner; }

void flush();

}  // namespace

bool deviceInit(std::string* why) {
  std::string reason;
  if (!why) why = &reason;
  g_owner = emscripten_webgl_get_current_context();
  if (!g_owner) {
    *why = "no WebGL context is current";
    return false;
  }
  g_colourProgram = link(kColourShader, why);
  g_textureProgram = g_colourProgram ? link(kTextureShader, why) : 0;
  g_presentProgram = g_textureProgram ? link(kPresentShader, why) : 0;
  g_listColourProgram = g_presentProgram ? link(kColourShader, why, kListVertexShader) : 0;
  g_listTextureProgram = g_listColourProgram ? link(kTextureShader, why, kListVertexShader) : 0;
  if (!g_listTextureProgram) return false;
  g_listColourUniforms = listUniforms(g_listColourProgram);
  g_listTextureUniforms = listUniforms(g_listTextureProgram);
  g_applied = Applied();
  g_queue.clear();
  g_queuedVertices.clear();
  g_queuedIndices.clear();
  g_vertexStream = Stream{GL_ARRAY_BUFFER};
  g_indexStream = Stream{GL_ELEMENT_ARRAY_BUFFER};
  g_lists.clear();
  emscripten_glGenVertexArrays(1, &g_vertexArray);
  emscripten_glGenVertexArrays(1, &g_listArray);
  emscripten_glGenBuffers(1, &g_vertexStream.buffer);
  emscripten_glGenBuffers(1, &g_indexStream.buffer);
  bindArray(g_vertexArray);
  bindArrayBuffer(g_vertexStream.buffer);
  emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g_indexStream.buffer);
  emscripten_glEnableVertexAttribArray(0);
  emscripten_glEnableVertexAttribArray(1);
  emscripten_glEnableVertexAttribArray(2);
  bindArray(g_listArray);
  emscripten_glEnableVertexAttribArray(0);
  emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  emscripten_glPixelStorei(GL_PACK_ALIGNMENT, 1);
  emscripten_glActiveTexture(GL_TEXTURE0);
  emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &g_maxTexture);
  emscripten_glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &g_maxRenderbuffer);
  GLenum error = emscripten_glGetError();
  if (error != GL_NO_ERROR) {
    char text[64];
    std::snprintf(text, sizeof text, "WebGL error 0x%x while setting up", error);
    *why = text;
    return false;
  }
  return true;
}

bool devicePictureSize(int width, int height, std::string* why) {
  if (!g_owner || emscripten_webgl_get_current_context() != g_owner) {
    if (why) *why = "the picture's WebGL context is not current";
    return false;
  }
  flush();
  if (g_framebuffer) {
    emscripten_glBindFramebuffer(GL_FRAMEBUFFER, 0);
    emscripten_glDeleteFramebuffers(1, &g_framebuffer);
    emscripten_glDeleteTextures(1, &g_colourTexture);
    emscripten_glDeleteRenderbuffers(1, &g_depthStencil);
    g_framebuffer = g_colourTexture = g_depthStencil = 0;
    g_applied.texture = 0;
  }
  emscripten_glGenTextures(1, &g_colourTexture);
  emscripten_glBindTexture(GL_TEXTURE_2D, g_colourTexture);
  emscripten_glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGB8, width, height);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  emscripten_glBindTexture(GL_TEXTURE_2D, 0);
  g_applied.texture = 0;
  emscripten_glGenRenderbuffers(1, &g_depthStencil);
  emscripten_glBindRenderbuffer(GL_RENDERBUFFER, g_depthStencil);
  emscripten_glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  emscripten_glBindRenderbuffer(GL_RENDERBUFFER, 0);
  emscripten_glGenFramebuffers(1, &g_framebuffer);
  emscripten_glBindFramebuffer(GL_FRAMEBUFFER, g_framebuffer);
  emscripten_glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, g_colourTexture, 0);
  emscripten_glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, g_depthStencil);
  GLenum status = emscripten_glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    char text[96];
    std::snprintf(text, sizeof text, "the %dx%d picture framebuffer is incomplete (0x%x)", width, height, status);
    if (why) *why = text;
    return false;
  }
  g_width = width;
  g_height = height;
  // Start black, depth at its far end, whatever WebGL state the show left.
  g_applied.known = false;
  emscripten_glDisable(GL_SCISSOR_TEST);
  emscripten_glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  emscripten_glDepthMask(GL_TRUE);
  emscripten_glClearColor(0, 0, 0, 1);
  emscripten_glClearDepthf(1);
  emscripten_glClearStencil(0);
  emscripten_glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  return true;
}

int deviceMaxTextureSize() { return g_maxTexture; }
int deviceMaxRenderbufferSize() { return g_maxRenderbuffer; }

void deviceDraw(const DrawState& state, const Vertex* vertices, uint32_t vertexCount, const uint32_t* indices,
                uint32_t indexCount) {
  if (indexCount == 0 || !usable()) return;
  Queued q{Queued::BATCH, state};
  q.vertexFirst = uint32_t(g_queuedVertices.size());
  q.first = uint32_t(g_queuedIndices.size());
  q.count = indexCount;
  g_queuedVertices.insert(g_queuedVertices.end(), vertices, vertices + vertexCount);
  g_queuedIndices.insert(g_queuedIndices.end(), indices, indices + indexCount);
  g_queue.push_back(q);
}

uint32_t deviceListCreate(const ListVertex* vertices, uint32_t vertexCount, const uint32_t* indices,
                          uint32_t indexCount) {
  if (!usable() || vertexCount == 0 || indexCount == 0 || g_nextList == 0) return 0;
  DeviceList list;
  emscripten_glGenBuffers(1, &list.vertices);
  emscripten_glGenBuffers(1, &list.indices);
  bindArrayBuffer(list.vertices);
  emscripten_glBufferData(GL_ARRAY_BUFFER, sizeof(ListVertex) * vertexCount, vertices, GL_STATIC_DRAW);
  bindArray(g_listArray);
  emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, list.indices);
  emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(uint32_t) * indexCount, indices, GL_STATIC_DRAW);
  g_bytes += double(sizeof(ListVertex)) * vertexCount + 4.0 * indexCount;
  const uint32_t name = g_nextList++;
  g_lists[name] = list;
  return name;
}

bool deviceListKept(uint32_t name) { return g_lists.count(name) != 0; }

void deviceListDelete(uint32_t name) {
  auto it = g_lists.find(name);
  if (it == g_lists.end()) return;
  if (usable()) {
    flush();
    if (g_applied.arrayBuffer == it->second.vertices) g_applied.arrayBuffer = 0;
    emscripten_glDeleteBuffers(1, &it->second.vertices);
    emscripten_glDeleteBuffers(1, &it->second.indices);
  }
  g_lists.erase(it);
}

void deviceListDraw(const DrawState& state, uint32_t name, uint32_t firstIndex, uint32_t indexCount,
                    const ListTransform& t) {
  if (indexCount == 0 || !g_lists.count(name) || !usable()) return;
  Queued q{Queued::LIST, state};
  q.list = name;
  q.first = firstIndex;
  q.count = indexCount;
  q.transform = t;
  g_queue.push_back(q);
}

namespace {

void runListDraw(const DrawState& state, uint32_t name, uint32_t firstIndex, uint32_t indexCount,
                 const ListTransform& t) {
  auto it = g_lists.find(name);
  if (it == g_lists.end()) return;
  apply(state);
  const ListUniforms* u = &g_listColourUniforms;
  if (state.texture) {
    useProgram(g_listTextureProgram);
    bindTexture(state.texture);
    u = &g_listTextureUniforms;
  } else {
    useProgram(g_listColourProgram);
  }
  emscripten_glUniformMatrix4fv(u->combined, 1, GL_FALSE, t.combined);
  const bool sphere = t.sphereS || t.sphereT;
  emscripten_glUniform1i(u->sphereS, t.sphereS);
  emscripten_glUniform1i(u->sphereT, t.sphereT);
  if (sphere) {
    float columns[9];  // the row-major normal matrix as GLSL's columns
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) columns[c * 3 + r] = t.normalMatrix[r * 3 + c];
    emscripten_glUniformMatrix4fv(u->modelview, 1, GL_FALSE, t.modelview);
    emscripten_glUniformMatrix3fv(u->normalMatrix, 1, GL_FALSE, columns);
    emscripten_glUniform1i(u->normalize, t.normalize);
  }
  emscripten_glUniform1i(u->useTextureMatrix, t.textureMatrix);
  if (t.textureMatrix) emscripten_glUniformMatrix4fv(u->textureMatrix, 1, GL_FALSE, t.texture);

  bindArray(g_listArray);
  bindArrayBuffer(it->second.vertices);
  emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, it->second.indices);
  const GLsizei stride = sizeof(ListVertex);
  emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(ListVertex, position)));
  // An attribute the copy does not hold is the current value, as a constant.
  struct {
    GLuint index;
    bool perVertex;
    GLint size;
    size_t offset;
    const float* value;
  } attributes[3] = {{1, t.hasColour, 4, offsetof(ListVertex, colour), t.colour},
                     {2, t.hasNormal, 3, offsetof(ListVertex, normal), t.normal},
                     {3, t.hasTexCoord, 4, offsetof(ListVertex, texCoord), t.texCoord}};
  for (const auto& a : attributes) {
    if (a.perVertex) {
      emscripten_glEnableVertexAttribArray(a.index);
      emscripten_glVertexAttribPointer(a.index, a.size, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(a.offset));
    } else {
      emscripten_glDisableVertexAttribArray(a.index);
      if (a.size == 4)
        emscripten_glVertexAttrib4f(a.index, a.value[0], a.value[1], a.value[2], a.value[3]);
      else
        emscripten_glVertexAttrib4f(a.index, a.value[0], a.value[1], a.value[2], 1.0f);
    }
  }
  emscripten_glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT,
                            reinterpret_cast<void*>(uintptr_t(firstIndex) * sizeof(uint32_t)));
  ++g_draws;
}

void runClear(const Queued& q) {
  apply(q.state);
  GLbitfield mask = 0;
  if (q.colour) {
    emscripten_glClearColor(q.rgba[0], q.rgba[1], q.rgba[2], q.rgba[3]);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (q.depth) {
    emscripten_glClearDepthf(q.depthValue);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if (q.stencil) {
    emscripten_glClearStencil(q.stencilValue);
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  if (mask) emscripten_glClear(mask);
}

// Sends the waiting draws and clears to WebGL (see Queued).
void flush() {
  if (g_queue.empty()) return;
  uintptr_t vertices = 0, indices = 0;
  if (!g_queuedIndices.empty()) {
    bindArray(g_vertexArray);
    vertices = streamWrite(g_vertexStream, g_queuedVertices.data(), uint32_t(sizeof(Vertex) * g_queuedVertices.size()));
    indices = streamWrite(g_indexStream, g_queuedIndices.data(), uint32_t(sizeof(uint32_t) * g_queuedIndices.size()));
  }
  for (const Queued& q : g_queue) {
    switch (q.kind) {
      case Queued::BATCH: {
        apply(q.state);
        if (q.state.texture) {
          useProgram(g_textureProgram);
          bindTexture(q.state.texture);
        } else {
          useProgram(g_colourProgram);
        }
        bindArray(g_vertexArray);
        bindArrayBuffer(g_vertexStream.buffer);
        const uintptr_t at = vertices + uintptr_t(q.vertexFirst) * sizeof(Vertex);
        emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(at));
        emscripten_glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(at + 16));
        emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(at + 32));
        emscripten_glDrawElements(GL_TRIANGLES, q.count, GL_UNSIGNED_INT,
                                  reinterpret_cast<void*>(indices + uintptr_t(q.first) * sizeof(uint32_t)));
        ++g_draws;
        break;
      }
      case Queued::LIST: runListDraw(q.state, q.list, q.first, q.count, q.transform); break;
      case Queued::CLEAR: runClear(q); break;
    }
  }
  g_queue.clear();
  g_queuedVertices.clear();
  g_queuedIndices.clear();
}

}  // namespace

void deviceWork(uint32_t* draws, double* bytes) {
  *draws = g_draws;
  *bytes = g_bytes;
  g_draws = 0;
  g_bytes = 0;
}

void deviceClear(bool color, bool depth, bool stencil, const float rgba[4], float depthValue, int stencilValue,
                 bool scissor, const int scissorBox[4], const bool colorMask[4], bool depthMask) {
  if (!usable()) return;
  // The state of the draw before it, the clear's own scissor and masks.
  Queued q{Queued::CLEAR, g_queue.empty() ? g_applied.state : g_queue.back().state};
  q.state.scissor = scissor;
  for (int i = 0; i < 4; ++i) {
    q.state.scissorBox[i] = scissorBox[i];
    q.state.colorMask[i] = colorMask[i];
    q.rgba[i] = rgba[i];
  }
  q.state.depthMask = depthMask;
  q.colour = color;
  q.depth = depth;
  q.stencil = stencil;
  q.depthValue = depthValue;
  q.stencilValue = stencilValue;
  g_queue.push_back(q);
}

uint32_t deviceTextureCreate() {
  if (!usable()) return 0;
  GLuint texture = 0;
  emscripten_glGenTextures(1, &texture);
  return texture;
}

void deviceTextureDelete(uint32_t texture) {
  if (!texture || !usable()) return;
  flush();
  if (g_applied.texture == texture) g_applied.texture = 0;
  emscripten_glDeleteTextures(1, &texture);
}

void deviceTextureImage(uint32_t texture, int level, bool alpha, int width, int height, const unsigned char* pixels) {
  if (!usable()) return;
  flush();
  bindTexture(texture);
  emscripten_glTexImage2D(GL_TEXTURE_2D, level, alpha ? GL_RGBA8 : GL_RGB8, width, height, 0, alpha ? GL_RGBA : GL_RGB,
                          GL_UNSIGNED_BYTE, pixels);
  g_bytes += double(width) * height * (alpha ? 4 : 3);
}

void deviceTextureParameters(uint32_t texture, uint32_t minFilter, uint32_t magFilter, uint32_t wrapS, uint32_t wrapT) {
  if (!usable()) return;
  flush();
  bindTexture(texture);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
}

void devicePresent(int canvasWidth, int canvasHeight, const int picture[4], const int to[4]) {
  if (!usable() || canvasWidth <= 0 || canvasHeight <= 0) return;
  flush();
  DrawState s;
  s.viewport[0] = 0;
  s.viewport[1] = 0;
  s.viewport[2] = canvasWidth;
  s.viewport[3] = canvasHeight;
  emscripten_glBindFramebuffer(GL_FRAMEBUFFER, 0);
  apply(s);
  emscripten_glClearColor(0, 0, 0, 1);
  emscripten_glClear(GL_COLOR_BUFFER_BIT);
  useProgram(g_presentProgram);
  bindTexture(g_colourTexture);
  float x0 = 2.0f * to[0] / canvasWidth - 1, x1 = 2.0f * (to[0] + to[2]) / canvasWidth - 1;
  float y0 = 2.0f * to[1] / canvasHeight - 1, y1 = 2.0f * (to[1] + to[3]) / canvasHeight - 1;
  float s0 = float(picture[0]) / g_width, s1 = float(picture[0] + picture[2]) / g_width;
  float t0 = float(picture[1]) / g_height, t1 = float(picture[1] + picture[3]) / g_height;
  drawRectangle(x0, y0, x1, y1, s0, t0, s1, t1);
  bindTexture(0);  // never sample the picture while drawing into it
  emscripten_glBindFramebuffer(GL_FRAMEBUFFER, g_framebuffer);
}

void deviceRead(unsigned char* rgba) {
  if (!usable()) return;
  flush();
  emscripten_glReadPixels(0, 0, g_width, g_height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void deviceDrawPixels(const float to[4], int width, int height, const unsigned char* rgb, int rowPixels) {
  if (!usable() || width <= 0 || height <= 0 || to[2] <= to[0] || to[3] <= to[1]) return;
  flush();
  DrawState saved = g_applied.state;
  bool known = g_applied.known;
  GLuint texture = deviceTextureCreate();
  bindTexture(texture);
  emscripten_glPixelStorei(GL_UNPACK_ROW_LENGTH, rowPixels);
  emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  emscripten_glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  g_bytes += double(width) * height * 3;
  deviceTextureParameters(texture, GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  DrawState s;
  s.viewport[2] = g_width;
  s.viewport[3] = g_height;
  apply(s);
  useProgram(g_textureProgram);
  float x0 = 2.0f * to[0] / g_width - 1, x1 = 2.0f * to[2] / g_width - 1;
  float y0 = 2.0f * to[1] / g_height - 1, y1 = 2.0f * to[3] / g_height - 1;
  // The bitmap's first row is its top: t 0 at the top edge.
  drawRectangle(x0, y0, x1, y1, 0, 1, 1, 0);
  deviceTextureDelete(texture);
  if (known) apply(saved);
}

void deviceFinish() {
  if (!usable()) return;
  flush();
  emscripten_glFinish();
}

void deviceSync() {
  if (!usable()) return;
  flush();
  unsigned char pixel[4];
  emscripten_glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

}  // namespace webgl
