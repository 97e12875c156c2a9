// The loading bitmap: LoadImageA from a .bmp file and BitBlt from a memory DC to the window.
// Supports: Windows bitmap files in the formats SDL2 reads (1/4/8-bit paletted, 16/24/32-bit,
// bottom-up or top-down), SRCCOPY to the window's own DC, clipped to the bitmap.
// Does not support: resources, other image types, raster operations but SRCCOPY, blits into
// memory DCs. Depends on SDL2's BMP reader and the current OpenGL context for the copy.
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/gdi_objects.h"
#include "platform/win32_backend.h"

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int, int, UINT load) {
  if (!name || type != IMAGE_BITMAP || !(load & LR_LOADFROMFILE)) return nullptr;
  SDL_Surface* loaded = SDL_LoadBMP(name);
  if (!loaded) return nullptr;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(loaded);
  if (!rgb) return nullptr;
  GdiBitmap* bitmap = new GdiBitmap();
  bitmap->width = rgb->w;
  bitmap->height = rgb->h;
  bitmap->rgb.resize(static_cast<size_t>(rgb->w) * rgb->h * 3);
  for (int y = 0; y < rgb->h; ++y)
    std::memcpy(&bitmap->rgb[static_cast<size_t>(y) * rgb->w * 3], static_cast<unsigned char*>(rgb->pixels) + y * rgb->pitch,
                static_cast<size_t>(rgb->w) * 3);
  SDL_FreeSurface(rgb);
  return toHandle(bitmap);
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
  GdiDc* to = toDc(destination);
  GdiDc* from = toDc(source);
  if (!to || !from || rop != SRCCOPY || !platformWindowAlive(to->window)) return FALSE;
  GdiBitmap* bitmap = from->bitmap;
  if (!bitmap) return FALSE;
  // Only the part of the source rectangle that lies inside the bitmap is copied.
  int right = std::min(sourceX + width, bitmap->width);
  int bottom = std::min(sourceY + height, bitmap->height);
  if (sourceX < 0 || sourceY < 0 || right <= sourceX || bottom <= sourceY) return FALSE;
  blitRgbToScreen(x, y, right - sourceX, bottom - sourceY,
                  &bitmap->rgb[(static_cast<size_t>(sourceY) * bitmap->width + sourceX) * 3], bitmap->width);
  return TRUE;
}

// Draws into the front buffer where there is one (so the picture is on screen at once and stays
// until the next frame), else into the current buffer; every state touched is saved and restored.
void blitRgbToScreen(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels) {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_STENCIL_TEST);
  glViewport(0, 0, 640, 480);
  GLboolean doubleBuffered = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  if (doubleBuffered) glDrawBuffer(GL_FRONT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowPixels);
  // Window rows count down from the top, GL rows up from the bottom: draw downwards.
  glPixelZoom(1.0f, -1.0f);
  glRasterPos2i(x, 480 - y);
  glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  glFlush();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopClientAttrib();
  glPopAttrib();
}
