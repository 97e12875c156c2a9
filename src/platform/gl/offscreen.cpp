// Offscreen backend: EGL pbuffer with a desktop-GL compatibility context.
// Supports: one context at a time, RGB8 colour (as the live window gets), depth 16 or more,
// stencil where offered.
// Does not support: windows, vsync, multisampling. Depends on libEGL and its platform
// extensions (surfaceless or device platform first, so no display is needed).
#include "platform/gl/offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
EGLDisplay g_eglDisplay = EGL_NO_DISPLAY;
EGLSurface g_eglSurface = EGL_NO_SURFACE;
EGLContext g_eglContext = EGL_NO_CONTEXT;
int g_offWidth = 0;
int g_offHeight = 0;

EGLDisplay openDisplay() {
  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay) {
    for (EGLenum platform : {EGL_PLATFORM_SURFACELESS_MESA, EGL_PLATFORM_DEVICE_EXT}) {
      void* native = EGL_DEFAULT_DISPLAY;
      EGLDeviceEXT device = nullptr;
      if (platform == EGL_PLATFORM_DEVICE_EXT) {
        auto queryDevices =
            reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
        EGLint count = 0;
        if (!queryDevices || !queryDevices(1, &device, &count) || count < 1) continue;
        native = device;
      }
      EGLDisplay display = getPlatformDisplay(platform, native, nullptr);
      if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
    }
  }
  EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
  return EGL_NO_DISPLAY;
}

// EGL lists deeper formats (10 bits a channel) before 8-bit ones. The frames are read back
// with 8 bits a channel and the live window gets 8-bit RGB, so the deeper formats only cost
// time (about a fifth more on blended overdraw in llvmpipe) and make the frames differ from
// the live picture: take the matching config with the fewest colour bits, no alpha first.
bool chooseConfig(EGLConfig* config) {
  for (EGLint stencil : {1, 0}) {
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,     8,               EGL_GREEN_SIZE,      8,
                                 EGL_BLUE_SIZE,    8,               EGL_DEPTH_SIZE,      16,
                                 EGL_STENCIL_SIZE, stencil,         EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(g_eglDisplay, attributes, nullptr, 0, &count) || count < 1) continue;
    std::vector<EGLConfig> configs(count);
    if (!eglChooseConfig(g_eglDisplay, attributes, configs.data(), count, &count) || count < 1) continue;
    // The list is sorted by EGL's rules (colour bits descending, then depth ascending); keep
    // that order among configs of the same colour size.
    int best = 0, bestBits = 1 << 30;
    for (int i = 0; i < count; ++i) {
      EGLint red = 0, green = 0, blue = 0, alpha = 0;
      eglGetConfigAttrib(g_eglDisplay, configs[i], EGL_RED_SIZE, &red);
      eglGetConfigAttrib(g_eglDisplay, configs[i], EGL_GREEN_SIZE, &green);
      eglGetConfigAttrib(g_eglDisplay, configs[i], EGL_BLUE_SIZE, &blue);
      eglGetConfigAttrib(g_eglDisplay, configs[i], EGL_ALPHA_SIZE, &alpha);
      int bits = red + green + blue + alpha;
      if (bits < bestBits) {
        best = i;
        bestBits = bits;
      }
    }
    *config = configs[best];
    return true;
  }
  return false;
}
}  // namespace

bool offscreenCreate(int width, int height) {
  offscreenDestroy();
  g_eglDisplay = openDisplay();
  if (g_eglDisplay == EGL_NO_DISPLAY) {
    std::fprintf(stderr, "offscreen: no EGL display could be initialised\n");
    return false;
  }
  EGLConfig config;
  if (!eglBindAPI(EGL_OPENGL_API) || !chooseConfig(&config)) {
    std::fprintf(stderr, "offscreen: no EGL configuration with desktop OpenGL and a pbuffer\n");
    offscreenDestroy();
    return false;
  }
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  g_eglSurface = eglCreatePbufferSurface(g_eglDisplay, config, surfaceAttributes);
  g_eglContext = eglCreateContext(g_eglDisplay, config, EGL_NO_CONTEXT, nullptr);
  if (g_eglSurface == EGL_NO_SURFACE || g_eglContext == EGL_NO_CONTEXT ||
      !eglMakeCurrent(g_eglDisplay, g_eglSurface, g_eglSurface, g_eglContext)) {
    std::fprintf(stderr, "offscreen: could not create a %dx%d pbuffer context (EGL error 0x%x)\n", width,
                 height, eglGetError());
    offscreenDestroy();
    return false;
  }
  g_offWidth = width;
  g_offHeight = height;
  return true;
}

void offscreenDestroy() {
  if (g_eglDisplay == EGL_NO_DISPLAY) return;
  eglMakeCurrent(g_eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (g_eglContext != EGL_NO_CONTEXT) eglDestroyContext(g_eglDisplay, g_eglContext);
  if (g_eglSurface != EGL_NO_SURFACE) eglDestroySurface(g_eglDisplay, g_eglSurface);
  eglTerminate(g_eglDisplay);
  g_eglDisplay = EGL_NO_DISPLAY;
  g_eglSurface = EGL_NO_SURFACE;
  g_eglContext = EGL_NO_CONTEXT;
  g_offWidth = g_offHeight = 0;
}

bool offscreenMakeCurrent(bool current) {
  if (g_eglDisplay == EGL_NO_DISPLAY) return false;
  if (!current) return eglMakeCurrent(g_eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  return eglMakeCurrent(g_eglDisplay, g_eglSurface, g_eglSurface, g_eglContext);
}

bool offscreenIsCurrent() {
  return g_eglContext != EGL_NO_CONTEXT && eglGetCurrentContext() == g_eglContext;
}

void offscreenReadRgb(unsigned char* rgb) {
  const int rowBytes = g_offWidth * 3;
  std::vector<unsigned char> flipped(static_cast<size_t>(rowBytes) * g_offHeight);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, g_offWidth, g_offHeight, GL_RGB, GL_UNSIGNED_BYTE, flipped.data());
  for (int y = 0; y < g_offHeight; ++y)
    std::memcpy(rgb + static_cast<size_t>(y) * rowBytes,
                flipped.data() + static_cast<size_t>(g_offHeight - 1 - y) * rowBytes, rowBytes);
}

void offscreenReadRgbx(unsigned char* pixels) {
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, g_offWidth, g_offHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

int offscreenWidth() { return g_offWidth; }
int offscreenHeight() { return g_offHeight; }
