// The loading bitmap on Linux: the file decoded by SDL2's BMP reader (1/4/8-bit paletted,
// 16/24/32-bit, bottom-up or top-down) and copied with OpenGL 1.1 pixel drawing.
// Does not support: what SDL2 does not read (it then gives no bitmap). Depends on SDL2, the
// current OpenGL context, picture_scale.h and present.h (the frame shown at once where it is
// a framebuffer of the presentation).
#include <GL/gl.h>
#include <SDL.h>

#include <cstring>

#include "platform/gl/picture_scale.h"
#include "platform/winapi/gdi_objects.h"
#include "platform/winapi/present.h"

bool decodeBitmapFile(const char* name, GdiBitmap* bitmap) {
  SDL_Surface* loaded = SDL_LoadBMP(name);
  if (!loaded) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(loaded);
  if (!rgb) return false;
  bitmap->width = rgb->w;
  bitmap->height = rgb->h;
  bitmap->rgb.resize(static_cast<size_t>(rgb->w) * rgb->h * 3);
  for (int y = 0; y < rgb->h; ++y)
    std::memcpy(&bitmap->rgb[static_cast<size_t>(y) * rgb->w * 3], static_cast<unsigned char*>(rgb->pixels) + y * rgb->pitch,
                static_cast<size_t>(rgb->w) * 3);
  SDL_FreeSurface(rgb);
  return true;
}

// Draws into the front buffer where there is one (so the picture is on screen at once and stays
// until the next frame), else into the current buffer; every state touched is saved and restored.
// Where the show's frame is a framebuffer of the presentation, the picture goes into it and the
// framebuffer is shown at once, scaled like every frame.
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
  if (doubleBuffered && !presentActive()) glDrawBuffer(GL_FRONT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowPixels);
  // Window rows count down from the top, GL rows up from the bottom: draw downwards.
  glPixelZoom(pictureScale(), -pictureScale());  // the bitmap's pixels at the picture's scale
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
  presentShowNow();
}
