// WebGL 2 device of the OpenGL 1.1 stand-in (webgl_device.h).
// Supports: the picture framebuffer (RGB8 colour texture, DEPTH24_STENCIL8), batches of
// indexed triangles in one vertex and one index upload each, two programs (colour, and colour
// times a texture: GL_MODULATE), blending, depth test/func/mask, culling, viewport, scissor,
// colour mask, clears, RGB/RGBA textures with GL's filters and wraps, the copy of the picture
// onto the canvas (a textured quad, so the canvas may be multisampled or have alpha), the read
// of the picture and the drawing of a bitmap.
// Does not support: anything the GL layer does not hand it (no lighting, fog, alpha test,
// stencil test, polygon offset). WebGL state is cached here: the rest of the program never
// calls WebGL, so the cache is the truth.
// Depends on: Emscripten's WebGL 2 bindings through their emscripten_gl* names (the plain gl*
// names are this folder's OpenGL 1.1 functions), a current WebGL 2 context.
#include "platform/webgl/webgl_device.h"

#include <emscripten/html5.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstdio>
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
GLuint g_vertexArray = 0, g_vertexBuffer = 0, g_indexBuffer = 0;
GLuint g_framebuffer = 0, g_colourTexture = 0, g_depthStencil = 0;
int g_width = 0, g_height = 0;
GLint g_maxTexture = 0, g_maxRenderbuffer = 0;

// What WebGL is set to now.
struct Applied {
  bool known = false;
  GLuint program = 0;
  GLuint texture = 0;
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

GLuint link(const char* fragmentSource, std::string* why) {
  GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader, why);
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

void useProgram(GLuint program) {
  if (g_applied.program != program) emscripten_glUseProgram(program);
  g_applied.program = program;
}

void bindTexture(GLuint texture) {
  if (g_applied.texture != texture) emscripten_glBindTexture(GL_TEXTURE_2D, texture);
  g_applied.texture = texture;
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

void bindVertices() {
  emscripten_glBindVertexArray(g_vertexArray);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, g_vertexBuffer);
  emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g_indexBuffer);
}

// Draws the two triangles of a rectangle in NDC (x0, y0)-(x1, y1) with texture corners
// (s0, t0)-(s1, t1), for the present and the bitmap copies.
void drawRectangle(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1) {
  const Vertex quad[4] = {{x0, y0, 0, 1, 1, 1, 1, 1, s0, t0},
                          {x1, y0, 0, 1, 1, 1, 1, 1, s1, t0},
                          {x1, y1, 0, 1, 1, 1, 1, 1, s1, t1},
                          {x0, y1, 0, 1, 1, 1, 1, 1, s0, t1}};
  const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
  emscripten_glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STREAM_DRAW);
  emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STREAM_DRAW);
  emscripten_glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
}

bool usable() { return g_framebuffer && g_owner && emscripten_webgl_get_current_context() == g_owner; }

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
  if (!g_presentProgram) return false;
  emscripten_glGenVertexArrays(1, &g_vertexArray);
  emscripten_glGenBuffers(1, &g_vertexBuffer);
  emscripten_glGenBuffers(1, &g_indexBuffer);
  bindVertices();
  emscripten_glEnableVertexAttribArray(0);
  emscripten_glEnableVertexAttribArray(1);
  emscripten_glEnableVertexAttribArray(2);
  emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(0));
  emscripten_glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(16));
  emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(32));
  emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  emscripten_glPixelStorei(GL_PACK_ALIGNMENT, 1);
  emscripten_glActiveTexture(GL_TEXTURE0);
  emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &g_maxTexture);
  emscripten_glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &g_maxRenderbuffer);
  g_applied = Applied();
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
  apply(state);
  if (state.texture) {
    useProgram(g_textureProgram);
    bindTexture(state.texture);
  } else {
    useProgram(g_colourProgram);
  }
  emscripten_glBufferData(GL_ARRAY_BUFFER, sizeof(Vertex) * vertexCount, vertices, GL_STREAM_DRAW);
  emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(uint32_t) * indexCount, indices, GL_STREAM_DRAW);
  emscripten_glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
}

void deviceClear(bool color, bool depth, bool stencil, const float rgba[4], float depthValue, int stencilValue,
                 bool scissor, const int scissorBox[4], const bool colorMask[4], bool depthMask) {
  if (!usable()) return;
  DrawState s = g_applied.state;
  s.scissor = scissor;
  for (int i = 0; i < 4; ++i) {
    s.scissorBox[i] = scissorBox[i];
    s.colorMask[i] = colorMask[i];
  }
  s.depthMask = depthMask;
  apply(s);
  GLbitfield mask = 0;
  if (color) {
    emscripten_glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (depth) {
    emscripten_glClearDepthf(depthValue);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if (stencil) {
    emscripten_glClearStencil(stencilValue);
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  if (mask) emscripten_glClear(mask);
}

uint32_t deviceTextureCreate() {
  if (!usable()) return 0;
  GLuint texture = 0;
  emscripten_glGenTextures(1, &texture);
  return texture;
}

void deviceTextureDelete(uint32_t texture) {
  if (!texture || !usable()) return;
  if (g_applied.texture == texture) g_applied.texture = 0;
  emscripten_glDeleteTextures(1, &texture);
}

void deviceTextureImage(uint32_t texture, int level, bool alpha, int width, int height, const unsigned char* pixels) {
  if (!usable()) return;
  bindTexture(texture);
  emscripten_glTexImage2D(GL_TEXTURE_2D, level, alpha ? GL_RGBA8 : GL_RGB8, width, height, 0, alpha ? GL_RGBA : GL_RGB,
                          GL_UNSIGNED_BYTE, pixels);
}

void deviceTextureParameters(uint32_t texture, uint32_t minFilter, uint32_t magFilter, uint32_t wrapS, uint32_t wrapT) {
  if (!usable()) return;
  bindTexture(texture);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
}

void devicePresent(int canvasWidth, int canvasHeight, const int picture[4], const int to[4]) {
  if (!usable() || canvasWidth <= 0 || canvasHeight <= 0) return;
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
  emscripten_glReadPixels(0, 0, g_width, g_height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void deviceDrawPixels(const float to[4], int width, int height, const unsigned char* rgb, int rowPixels) {
  if (!usable() || width <= 0 || height <= 0 || to[2] <= to[0] || to[3] <= to[1]) return;
  DrawState saved = g_applied.state;
  bool known = g_applied.known;
  GLuint texture = deviceTextureCreate();
  bindTexture(texture);
  emscripten_glPixelStorei(GL_UNPACK_ROW_LENGTH, rowPixels);
  emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  emscripten_glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
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
  if (usable()) emscripten_glFinish();
}

}  // namespace webgl
