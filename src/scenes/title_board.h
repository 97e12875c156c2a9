// Title board: a cone backdrop seen by the shared camera, then a board with the title picture
// seen by a camera of its own.
#pragma once

// Backdrop.
extern double g_funnelPhase;
extern float g_funnelCenterRise;
extern float g_funnelEyeRise;

// Board.
extern float g_boardPhase;
extern float g_boardEyeX, g_boardEyeZ;
extern float g_boardEyeY;
extern float g_boardEyeRise;
extern double g_boardLookY;
extern float g_boardLookRise;
extern float g_titleWidth;
extern float g_titleGrow;
extern float g_titleLeft;

void drawTitleBoard();
