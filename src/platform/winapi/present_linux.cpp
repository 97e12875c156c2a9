// Presentation through a framebuffer object of our own (present.h).
// Supports: any window size (scaled with linear filtering, or nearest-neighbour by whole
// factors), black bars, a frame of any size (640x480 for the show). The copy is one
// glBlitFramebuffer, which leaves the show's state alone but for the scissor test, disabled
// around it, and the clear colour used for the bars, put back afterwards.
// Does not support: multisampled windows. Depends on OpenGL 3.0 or
// GL_ARB_framebuffer_object, resolved through the caller's loader.
#include "platform/winapi/present.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
PFNGLGENFRAMEBUFFERSPROC p_glGenFramebuffers = nullptr;
PFNGLDELETEFRAMEBUFFERSPROC p_glDeleteFramebuffers = nullptr;
PFNGLBINDFRAMEBUFFERPROC p_glBindFramebuffer = nullptr;
PFNGLGENRENDERBUFFERSPROC p_glGenRenderbuffers = nullptr;
PFNGLDELETERENDERBUFFERSPROC p_glDeleteRenderbuffers = nullptr;
PFNGLBINDRENDERBUFFERPROC p_glBindRenderbuffer = nullptr;
PFNGLRENDERBUFFERSTORAGEPROC p_glRenderbufferStorage = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFERPROC p_glFramebufferRenderbuffer = nullptr;
PFNGLCHECKFRAMEBUFFERSTATUSPROC p_glCheckFramebufferStatus = nullptr;
PFNGLBLITFRAMEBUFFERPROC p_glBlitFramebuffer = nullptr;

GLuint g_framebuffer = 0;
GLuint g_colour = 0;
GLuint g_depth = 0;
int g_frameWidth = 0, g_frameHeight = 0;
bool g_integerScale = false;
void (*g_showNow)() = nullptr;

template <typename T>
bool resolve(T* pointer, void* (*getProc)(const char*), const char* name) {
  *pointer = reinterpret_cast<T>(getProc(name));
  return *pointer != nullptr;
}

// The depth (and stencil) format of the window's own buffers, so depth tests and stencil
// behave in the framebuffer exactly as they did on the window.
GLenum depthFormat(GLint depthBits, GLint stencilBits) {
  if (stencilBits > 0) return depthBits > 24 ? GL_DEPTH32F_STENCIL8 : GL_DEPTH24_STENCIL8;
  if (depthBits > 24) return GL_DEPTH_COMPONENT32;
  if (depthBits > 16) return GL_DEPTH_COMPONENT24;
  return GL_DEPTH_COMPONENT16;
}
}  // namespace

// Loaders hand out entry points the driver does not implement (GLX does for any name), so the
// context itself must say it has framebuffer objects and their blit.
bool contextHasFramebuffers() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version && std::atoi(version) >= 3) return true;
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object");
}

bool presentBegin(int frameWidth, int frameHeight, void* (*getProc)(const char*)) {
  if (g_framebuffer) return true;
  bool resolved = contextHasFramebuffers() && resolve(&p_glGenFramebuffers, getProc, "glGenFramebuffers") &&
                  resolve(&p_glDeleteFramebuffers, getProc, "glDeleteFramebuffers") &&
                  resolve(&p_glBindFramebuffer, getProc, "glBindFramebuffer") &&
                  resolve(&p_glGenRenderbuffers, getProc, "glGenRenderbuffers") &&
                  resolve(&p_glDeleteRenderbuffers, getProc, "glDeleteRenderbuffers") &&
                  resolve(&p_glBindRenderbuffer, getProc, "glBindRenderbuffer") &&
                  resolve(&p_glRenderbufferStorage, getProc, "glRenderbufferStorage") &&
                  resolve(&p_glFramebufferRenderbuffer, getProc, "glFramebufferRenderbuffer") &&
                  resolve(&p_glCheckFramebufferStatus, getProc, "glCheckFramebufferStatus") &&
                  resolve(&p_glBlitFramebuffer, getProc, "glBlitFramebuffer");
  if (!resolved) {
    std::fprintf(stderr, "presentation: this OpenGL has no framebuffer objects; the picture is drawn "
                         "unscaled in the bottom-left corner of the window\n");
    return false;
  }
  GLint depthBits = 0, stencilBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  while (glGetError() != GL_NO_ERROR) {
  }
  p_glGenFramebuffers(1, &g_framebuffer);
  p_glGenRenderbuffers(1, &g_colour);
  p_glGenRenderbuffers(1, &g_depth);
  p_glBindRenderbuffer(GL_RENDERBUFFER, g_colour);
  p_glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, frameWidth, frameHeight);
  p_glBindRenderbuffer(GL_RENDERBUFFER, g_depth);
  GLenum depth = depthFormat(depthBits, stencilBits);
  p_glRenderbufferStorage(GL_RENDERBUFFER, depth, frameWidth, frameHeight);
  p_glBindRenderbuffer(GL_RENDERBUFFER, 0);
  p_glBindFramebuffer(GL_FRAMEBUFFER, g_framebuffer);
  p_glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, g_colour);
  bool combined = depth == GL_DEPTH24_STENCIL8 || depth == GL_DEPTH32F_STENCIL8;
  p_glFramebufferRenderbuffer(GL_FRAMEBUFFER, combined ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, g_depth);
  GLenum status = p_glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
    std::fprintf(stderr, "presentation: the frame's framebuffer cannot be made (status 0x%x); the picture is "
                         "drawn unscaled in the bottom-left corner of the window\n", status);
    presentEnd();
    return false;
  }
  g_frameWidth = frameWidth;
  g_frameHeight = frameHeight;
  // A new framebuffer starts undefined; the window started black.
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  return true;
}

void presentEnd() {
  if (!p_glBindFramebuffer) return;
  if (g_framebuffer) {
    p_glBindFramebuffer(GL_FRAMEBUFFER, 0);
    p_glDeleteFramebuffers(1, &g_framebuffer);
  }
  if (g_colour) p_glDeleteRenderbuffers(1, &g_colour);
  if (g_depth) p_glDeleteRenderbuffers(1, &g_depth);
  g_framebuffer = g_colour = g_depth = 0;
}

bool presentActive() { return g_framebuffer != 0; }

void presentSetIntegerScaling(bool integerScale) { g_integerScale = integerScale; }

void presentToWindow(int outWidth, int outHeight) {
  if (!g_framebuffer) return;
  p_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  p_glBindFramebuffer(GL_READ_FRAMEBUFFER, g_framebuffer);
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  if (scissor) glDisable(GL_SCISSOR_TEST);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  PresentRect to = presentFitRect(g_frameWidth, g_frameHeight, outWidth, outHeight, g_integerScale);
  // Whole factors copy each pixel to a block: nearest is exact there. Otherwise smooth.
  GLenum filter = g_integerScale ? GL_NEAREST : GL_LINEAR;
  if (to.width == g_frameWidth && to.height == g_frameHeight) filter = GL_NEAREST;
  p_glBlitFramebuffer(0, 0, g_frameWidth, g_frameHeight, to.x, to.y, to.x + to.width, to.y + to.height,
                      GL_COLOR_BUFFER_BIT, filter);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

void presentRebind() {
  if (g_framebuffer) p_glBindFramebuffer(GL_FRAMEBUFFER, g_framebuffer);
}

void presentSetShowNow(void (*showNow)()) { g_showNow = showNow; }

void presentShowNow() {
  if (g_framebuffer && g_showNow) g_showNow();
}
