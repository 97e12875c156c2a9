#include "timeline/frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/app.h"
#include "app/music.h"

float g_mainViewWidth = 640.0f;
float g_mainViewHeight = 480.0f;
float g_mainViewStepX = 5.0f;
float g_mainViewStepY = 5.0f;
float g_slideX = -50.0f;
float g_slideStep = 1.0f;
float g_clockViewX = 0.0f;
float g_clockViewY = 0.0f;
float g_clockViewWidth = 640.0f;
float g_clockViewHeight = 480.0f;
float g_bounceFov = 100.0f;
float g_bounceFovStep = 0.6f;

double g_eyeX = 0.0, g_eyeY = 0.0, g_eyeZ = 0.0;
double g_centerX = 0.0, g_centerY = 0.0, g_centerZ = -1.0;
double g_flyDistance = 0.0;
double g_cameraCounter = 0.0;
double g_descentCounter = 0.0;
double g_shakeStep = 5.0;

void renderFrame() {
  // 1. Frame start: the clock is read once and holds for the whole frame.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glLoadIdentity();
  updateMusicClock();

  // 10. End of the run.
  if (g_musicTime > 233.0) DestroyWindow(g_hwnd);
  glFlush();
}
