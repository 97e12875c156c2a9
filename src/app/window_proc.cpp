// Window procedure: the GL context, the 40 ms frame timer, one frame per paint, the default
// projection, Escape, and the tear-down.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "app/app.h"
#include "app/music.h"
#include "render/text.h"
#include "timeline/frame.h"

HDC g_hdc = nullptr;
HGLRC g_hglrc = nullptr;
uint8_t g_depthBits = 16;
uint8_t g_stencilBits = 1;
double g_fovY = 45.0;

void setupPixelFormat(HDC hdc) {
  static PIXELFORMATDESCRIPTOR descriptor = {
      sizeof(PIXELFORMATDESCRIPTOR),
      1,
      PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
      PFD_TYPE_RGBA,
      (BYTE)g_colorBits,
      0, 0, 0, 0, 0, 0,
      0, 0,
      0, 0, 0, 0, 0,
      g_depthBits,
      g_stencilBits,
      0,
      PFD_MAIN_PLANE,
      0,
      0, 0, 0,
  };
  SetPixelFormat(hdc, ChoosePixelFormat(hdc, &descriptor), &descriptor);
}

void resizeView(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(g_fovY, (double)width / (double)height, 0.1f, 2500.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void initGLState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_FOG_HINT, GL_NICEST);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
  glEnable(GL_TEXTURE_2D);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_hdc = GetDC(hwnd);
      setupPixelFormat(g_hdc);
      g_hglrc = wglCreateContext(g_hdc);
      wglMakeCurrent(g_hdc, g_hglrc);
      initGLState();
      SetTimer(hwnd, 0, kFrameStepMs, nullptr);
      return 0;

    case WM_TIMER:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;

    case WM_PAINT:
      renderFrame();
      SwapBuffers(g_hdc);
      ValidateRect(hwnd, nullptr);
      return 0;

    case WM_SIZE:
      resizeView(LOWORD(lParam), HIWORD(lParam));
      return 0;

    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) DestroyWindow(hwnd);
      return 0;

    case WM_SYSCOMMAND:
      return 0;

    case WM_DESTROY:
      stopMusic();
      deleteOutlineFont();
      restoreDisplayMode();
      ShowCursor(TRUE);
      wglMakeCurrent(g_hdc, nullptr);
      wglDeleteContext(g_hglrc);
      ReleaseDC(hwnd, g_hdc);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}
