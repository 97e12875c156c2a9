// Entry: display-mode switch, the one window, the loading picture, content loading, music start
// and the message loop.
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/assets.h"
#include "app/music.h"
#include "formats/model3ds.h"
#include "render/text.h"
#include "scenes/stage.h"

HWND g_hwnd = nullptr;
int32_t g_colorBits = 16;

float g_stageTableA[10];
double g_stageTableB[10];
double g_stageTableC[5];

void createAppWindow(int width, int height, HINSTANCE instance) {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof(mode));
  mode.dmSize = sizeof(mode);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmBitsPerPel = g_colorBits;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  // Windows 8 and later refuse 16-bit modes: the same 640x480 at the desktop's own depth, which
  // a mode without DM_BITSPERPEL keeps.
  if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
    mode.dmFields &= ~DM_BITSPERPEL;
    ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
  }

  g_hwnd = CreateWindowExA(WS_EX_APPWINDOW, "KS", "Kelvo Strand engine", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                           0, 0, width, height, nullptr, nullptr, instance, nullptr);
}

void restoreDisplayMode() { ChangeDisplaySettingsA(nullptr, 0); }

void initStageTables() {
  for (float i = 0; i < 10; i++) g_stageTableA[(int)i] = (float)(int)(50 * i);
  for (float i = 0; i < 10; i++) g_stageTableB[(int)i] = (g_stageZ - 40) - 50 * i;
  for (float i = 0; i < 5; i++) g_stageTableC[(int)i] = 100 * i - 500;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
  g_musicTime = 0.0;

  if (!previousInstance) {
    WNDCLASSA windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "KS";
    // Without a window class there is no show: say so and fail.
    if (!RegisterClassA(&windowClass)) {
      std::fprintf(stderr, "Kelvo Strand: the window class could not be registered\n");
      return 1;
    }
  }

  createAppWindow(640, 480, instance);
  // Without a window there is no show: the reason is on standard error already; fail.
  if (!g_hwnd) {
    std::fprintf(stderr, "Kelvo Strand: the window could not be created\n");
    return 1;
  }

  ShowWindow(g_hwnd, SW_SHOW);
  UpdateWindow(g_hwnd);
  SetFocus(g_hwnd);
  ShowCursor(FALSE);
  InvalidateRect(g_hwnd, nullptr, FALSE);

  // Loading picture, bottom right of the black screen.
  HBITMAP bitmap = (HBITMAP)LoadImageA(instance, "data/load.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  g_hdc = GetDC(g_hwnd);
  HDC memoryDc = CreateCompatibleDC(g_hdc);
  HGDIOBJ previous = SelectObject(memoryDc, bitmap);
  BitBlt(g_hdc, 500, 400, 128, 32, memoryDc, 0, 0, SRCCOPY);

  ValidateRect(g_hwnd, nullptr);
  UpdateWindow(g_hwnd);

  createOutlineFont();
  initStageTables();
  loadAssets();

  SelectObject(memoryDc, previous);
  DeleteObject(bitmap);
  ReleaseDC(g_hwnd, g_hdc);
  DeleteDC(memoryDc);

  startMusic();

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }

  releaseModel(g_kratkaModel);
  releaseModel(g_gridModel);
  return (int)message.wParam;
}
