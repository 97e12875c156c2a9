// Frame driver: the schedule of scenes against the music clock, and its animation state.
#pragma once

extern float g_mainViewWidth;
extern float g_mainViewHeight;
extern float g_mainViewStepX;
extern float g_mainViewStepY;
extern float g_slideX;
extern float g_slideStep;
extern float g_clockViewX;
extern float g_clockViewY;
extern float g_clockViewWidth;
extern float g_clockViewHeight;
extern float g_bounceFov;
extern float g_bounceFovStep;

// Shared camera (g_fovY lives with the window procedure, which sets the default projection).
extern double g_eyeX, g_eyeY, g_eyeZ;
extern double g_centerX, g_centerY, g_centerZ;
extern double g_flyDistance;
extern double g_cameraCounter;
extern double g_descentCounter;
extern double g_shakeStep;

void renderFrame();
