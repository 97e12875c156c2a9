// Application shell: entry, window procedure and GL context.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// The frame timer's period: one frame every 40 ms of music.
const UINT kFrameStepMs = 40;

extern HWND g_hwnd;
extern HDC g_hdc;
extern HGLRC g_hglrc;
extern int32_t g_colorBits;
extern uint8_t g_depthBits;
extern uint8_t g_stencilBits;
extern double g_fovY;

extern float g_stageTableA[10];
extern double g_stageTableB[10];
extern double g_stageTableC[5];

void createAppWindow(int width, int height, HINSTANCE instance);
void restoreDisplayMode();
void initStageTables();

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void setupPixelFormat(HDC hdc);
void resizeView(int width, int height);
void initGLState();
