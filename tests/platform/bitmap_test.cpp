// The loading bitmap: a .bmp file read by LoadImageA and copied by BitBlt to window pixels.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/gl/offscreen.h"
#include "platform/win32.h"
#include "platform/winapi/gdi_objects.h"
#include "platform/winapi/headless_backend.h"
#include "support/gl_fixture.h"
#include "support/scratch.h"

namespace {
LRESULT CALLBACK plainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// 130x40 bitmap: red left of x = 64, green right of it, a blue top row; saved as 24-bit BMP.
std::string writeBitmap() {
  std::string path = scratchDir("bitmap") + "/load.bmp";
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 130, 40, 24, SDL_PIXELFORMAT_RGB24);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 130; ++x) {
      unsigned char* p = static_cast<unsigned char*>(surface->pixels) + y * surface->pitch + x * 3;
      p[0] = y == 0 ? 0 : x < 64 ? 255 : 0;
      p[1] = y == 0 ? 0 : x < 64 ? 0 : 255;
      p[2] = y == 0 ? 255 : 0;
    }
  SDL_SaveBMP(surface, path.c_str());
  SDL_FreeSurface(surface);
  return path;
}

}  // namespace

TEST(LoadingBitmap, CopiesTheTopLeftPartToWindowPixelsAndLeavesGlStateAlone) {
  g_nativeBackend = &g_headlessBackend;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = plainProc;
  windowClass.lpszClassName = "B";
  RegisterClassA(&windowClass);
  HWND hwnd = CreateWindowExA(0, "B", "b", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
  HDC hdc = GetDC(hwnd);
  HGLRC context = wglCreateContext(hdc);
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(wglMakeCurrent(hdc, context));
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glViewport(10, 20, 300, 200);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1, 2, 3);

  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, writeBitmap().c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(LoadImageA(nullptr, "/nonexistent.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  ASSERT_TRUE(BitBlt(hdc, 500, 400, 128, 32, memory, 0, 0, SRCCOPY));
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);

  // Window pixels count from the top: row y is GL's row 479 - y.
  const std::array<int, 3> red = {255, 0, 0}, green = {0, 255, 0}, black = {0, 0, 0};
  expectPixels({{500, 479 - 400, {0, 0, 255}},                 // the bitmap's top row
                {501, 479 - 401, red}, {563, 479 - 431, red},  // red part
                {564, 479 - 420, green}, {627, 479 - 431, green},  // green part, bottom-right of 128x32
                {628, 479 - 420, black},                       // columns 128, 129 not copied
                {560, 479 - 432, black},                       // rows 32.. not copied
                {499, 479 - 410, black}});

  EXPECT_EQ(glIntegers4(GL_VIEWPORT), (std::array<int, 4>{10, 20, 300, 200}));
  expectEnabled({GL_DEPTH_TEST, GL_TEXTURE_2D}, {});
  EXPECT_FLOAT_EQ(glMatrix(GL_MODELVIEW_MATRIX)[14], 3.0f);
  EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Damaged or oversized bitmaps give no bitmap, at once and without allocating what the header
// claims; a bitmap just within the limits still loads.
TEST(LoadingBitmap, DamagedOrOversizedFilesGiveNoBitmap) {
  std::string good = readFile(writeBitmap());
  ASSERT_GT(good.size(), 54u);
  auto load = [](const std::string& bytes) {
    std::string path = tempPath("damaged.bmp");
    EXPECT_TRUE(writeFile(path, bytes));
    HANDLE bitmap = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    std::remove(path.c_str());
    if (bitmap) DeleteObject(static_cast<HGDIOBJ>(bitmap));
    return bitmap != nullptr;
  };
  auto put32 = [](std::string bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    return bytes;
  };
  EXPECT_TRUE(load(good));
  EXPECT_FALSE(load(good.substr(0, 30)));                // header cut
  EXPECT_FALSE(load(good.substr(0, good.size() - 200)));  // pixels cut
  EXPECT_FALSE(load(put32(put32(good, 18, 60000), 22, 60000)));                     // 60000 x 60000
  EXPECT_FALSE(load(put32(put32(good, 18, 16384), 22, 16384)));                     // 256 M pixels
  EXPECT_FALSE(load(put32(good, 18, 0)));                                            // no width
  EXPECT_FALSE(load(put32(put32(good, 18, 60000), 30, 1)));                          // huge RLE
  EXPECT_FALSE(load("X" + good.substr(1)));
}
