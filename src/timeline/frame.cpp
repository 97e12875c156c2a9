#include "timeline/frame.h"

#include <cmath>

// The platform header comes before GL so that its calling-convention macros win.
#include "app/app.h"
#include "app/assets.h"
#include "app/music.h"
#include "scenes/scenes.h"
#include "scenes/stage.h"
#include "timeline/overlays.h"

#include <GL/gl.h>
#include <GL/glu.h>

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

// Perspective projection with the window's 4/3 aspect, then back to an identity modelview.
static void setProjection(double fovY, double farPlane) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovY, 1.3333333333333333, 0.1f, farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// One step of the clock-hall camera: a fly-in, an orbit, two dollies with a zoom, a descent,
// then a slow advance with jolts on the beat. Windows overlap on purpose; later ones win.
static void advanceCameraPath() {
  const double t = g_musicTime;

  if (t > 90.0 && t < 96.0) {
    g_eyeZ = -g_flyDistance;
    g_centerZ = -10.0 - g_flyDistance;
    g_eyeX = g_centerX = 14.0;
    g_eyeY = g_centerY = 0.0;
    g_flyDistance += 2.0;
  }
  if (t > 96.0 && t <= 99.0) {
    double angle = 0.07 * g_cameraCounter;
    g_eyeX = 13.0;
    g_centerX = 13.5;
    g_eyeY = 20.0 * cos(angle) + (g_stageY - 60.0);
    g_centerY = g_stageY - 55.0;
    g_centerZ = g_stageZ - 0.5 * g_stageDepth;
    g_eyeZ = 21.0 * sin(angle) + g_centerZ;
    g_flyDistance = 0.0;
    g_cameraCounter += 1.0;
  }
  if (t > 99.0 && t <= 103.5) {
    g_cameraCounter = 0.0;
    g_eyeY = g_centerY = g_stageY - 100.0 - 0.2;
    g_eyeX = g_centerX = g_stageX + 20.0;
    g_eyeZ = g_stageZ - g_stageDepth + 100.0 - g_flyDistance;
    g_centerZ = g_eyeZ - 5.0;
    g_flyDistance -= 2.5;
  }
  if (t > 103.0 && t <= 108.0) {
    g_cameraCounter = 2.0;
    g_eyeY = g_centerY = g_stageY - 100.0 - 40.0;
    g_eyeX = g_centerX = g_stageX + 22.0;
    g_eyeZ = g_stageZ - g_stageDepth - 200.0 + 35.0 - g_flyDistance;
    g_centerZ = g_eyeZ - g_flyDistance;
    g_flyDistance -= 2.0;
    // Zoom out to 150 degrees, then wobble about that bound; held at 45 for 0.4 s from 105 s.
    if (g_fovY >= 150.0) g_cameraCounter = -2.0;
    g_fovY += g_cameraCounter;
    if (t >= 105.0 && t < 105.4) g_fovY = 45.0;
  }
  if (t <= 108.0) return;

  // From 108 s the eye depth runs through the jolt windows and is stored at the end.
  double z = g_eyeZ;
  if (t < 110.7) {
    g_fovY = 45.0;
    g_eyeX = g_centerX = g_stageX + 32.0;
    g_eyeY = g_centerY = 90.0 - g_descentCounter;
    g_descentCounter += 1.0;
    z = -0.4 * g_descentCounter;
  }
  if ((t >= 110.7 && t <= 110.8) || (t >= 111.0 && t <= 111.1)) z -= 21.0;
  if (t >= 111.4 && t <= 111.8) z += 19.0;
  if (t >= 112.6 && t <= 112.8) z -= 21.0;
  if (t >= 113.0 && t <= 113.4) z -= 11.0;
  if (t >= 114.0 && t <= 114.4) {
    g_centerY = g_eyeY - 1.0;
    g_eyeY += 5.0;
    z += 24.0;
  }
  if (t >= 115.0 && t <= 115.4) {
    z += 5.0;
    g_eyeY = g_centerY = 1.0;
  }
  if (t >= 115.8 && t <= 116.2) {
    z -= 14.0;
    g_eyeY = g_centerY = -4.0;
  }
  if (t >= 116.6 && t <= 117.0) {
    z += 10.0;
    g_eyeY = g_centerY = 6.0;
  }
  if (t >= 117.2 && t <= 117.6) {
    z += 10.0;
    g_eyeY = g_centerY = -4.0;
  }
  if (t >= 117.8 && t <= 118.2) {
    g_eyeX -= 1.0;
    g_centerX = g_eyeX;
    g_eyeY -= 4.0;
    g_centerY = g_eyeY;
    z -= 15.0;
  }
  if (t >= 118.5 && t <= 118.7) {
    g_eyeY += 1.0;
    z += 15.0;
  }
  if (t >= 119.0 && t <= 119.2) {
    g_centerY = g_eyeY;
    z -= 15.0;
    g_cameraCounter = 0.0;
  }
  if (t >= 119.4 && t <= 120.0) {
    // Sideways shake of the gaze; stops once the angle counter reaches 180.
    g_shakeStep = g_cameraCounter >= 180.0 ? 0.0 : 15.0;
    g_cameraCounter += g_shakeStep;
    g_centerX = g_eyeX + 2.0 * sin(g_cameraCounter);
  }
  if (t >= 120.2 && t <= 120.6) {
    g_eyeX += 1.0;
    g_centerX = g_eyeX;
    z += 15.0;
  }
  if (t > 120.6) {
    z -= 1.0;
    if (t >= 122.0 && t <= 122.4) z -= 15.0;
    if (t > 123.0 && t <= 123.4) z += 20.0;
    if (t > 124.0 && t <= 124.4) z += 15.0;
  }
  g_eyeZ = z - 1.0;
  g_centerZ = g_eyeZ - 10.0;
}

void renderFrame() {
  // 1. Frame start: the clock is read once and holds for the whole frame.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glLoadIdentity();
  updateMusicClock();

  // 2. Opening: white fade, tile wall and caged box, the sliding panels from 1 s.
  //    Full viewport and the window's default projection.
  if (inWindow(kOpeningWindow, g_musicTime)) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    drawWhiteFade(0.04);
    drawOpeningScene();
    if (g_musicTime > 1.0) drawSlidingPanels();
  }

  // 3. Grid model room; from 36.5 s its viewport shrinks while the side panel slides in from
  //    the right and then the top panel slides down into the upper-left quarter.
  if (inWindow(kGridRoomWindow, g_musicTime)) {
    if (g_musicTime > 36.5) {
      g_mainViewWidth -= g_mainViewStepX;
      if (g_mainViewWidth <= 320.0f) {
        g_mainViewStepX = 0.0f;
        g_mainViewHeight -= g_mainViewStepY;
        if (g_mainViewHeight <= 240.0f) g_mainViewStepY = 0.0f;
        glViewport(0, (GLint)g_mainViewHeight, 320, 240);
        glLoadIdentity();
        drawTunnelPanelScene();
        glLoadIdentity();
        drawRosetteOverlay(TEX_BOARD);
      }
      glViewport((GLint)g_mainViewWidth, 0, 320, 480);
      drawTowerPanelScene();
      drawRosetteOverlay(TEX_GOLEM);
      glLoadIdentity();
    }
    glViewport(0, 0, (GLsizei)g_mainViewWidth, (GLsizei)g_mainViewHeight);
    glLoadIdentity();
    gluLookAt(g_eyeX, 0.0, g_eyeZ, 0.5 * g_eyeZ, 0.0, g_eyeX, 0.0, 1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
    drawGridRoomScene();
    glLoadIdentity();
    if (g_musicTime > 33.5) drawRosetteOverlay(TEX_QUENTA);
  }

  // 4. Flipping slab and kite star, sliding in from the left. No reset: until 69 s it is seen
  //    through the matrix the last rosette left.
  if (inWindow(kSlabKitesWindow, g_musicTime)) {
    if (g_slideX >= 0.0f) g_slideStep = 0.0f;
    g_slideX += g_slideStep;
    glViewport(0, 0, 640, 480);
    glTranslatef(g_slideX, 0.0f, 0.0f);
    glDisable(GL_DEPTH_TEST);
    gluLookAt(0.0, 0.0, g_eyeZ, 0.0, 0.0, -5.0, 0.0, 1.0, 0.0);
    drawSlabAndKites(TEX_DEATH);
    glTranslatef(-g_slideX, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
  }

  // 5. Funnel burst.
  if (inWindow(kFunnelBurstWindow, g_musicTime)) {
    glViewport(0, 0, 640, 480);
    glLoadIdentity();
    drawFunnelBurst();
    glLoadIdentity();
  }

  // 6. Clock hall along the camera path; from 127.5 s its viewport shrinks into the centre
  //    and, once the height would be negative, the full viewport of block 5 stays.
  if (inWindow(kClockHallWindow, g_musicTime)) {
    if (g_clockViewWidth >= 0.0f && g_clockViewHeight >= 0.0f)
      glViewport((GLint)g_clockViewX, (GLint)g_clockViewY, (GLsizei)g_clockViewWidth,
                 (GLsizei)g_clockViewHeight);
    advanceCameraPath();
    if (g_musicTime > 127.5) {
      g_clockViewX += 45.0f;
      g_clockViewWidth -= 90.0f;
      g_clockViewY += 35.0f;
      g_clockViewHeight -= 70.0f;
    }
    setProjection(g_fovY, 1000.0);
    gluLookAt(g_eyeX, g_eyeY, g_eyeZ, g_centerX, g_centerY, g_centerZ, 0.0, 1.0, 0.0);
    drawClockHallScene();
  }

  // 7. Ring tube flight, with the rosette over it from 139 s.
  if (inWindow(kRingTubeWindow, g_musicTime)) {
    glViewport(0, 0, 640, 480);
    glLoadIdentity();
    drawRingTubeScene();
    if (g_musicTime > 139.0) {
      glLoadIdentity();
      drawRosetteOverlay(TEX_QUENTA);
    }
  }

  // 8. Title board: it sets its own viewport and camera.
  if (inWindow(kTitleBoardWindow, g_musicTime)) {
    drawTitleBoardScene(0, 0, 640, 480);
  }

  // 9. Water-ceiling room with a bouncing field of view; the credits over it from 193 s.
  if (inWindow(kWaterRoomWindow, g_musicTime)) {
    if (g_bounceFov > 120.0f || g_bounceFov < 90.0f) g_bounceFovStep = -g_bounceFovStep;
    g_bounceFov += g_bounceFovStep;
    g_fovY = g_bounceFov;
    glViewport(0, 0, 640, 480);
    setProjection(g_fovY, 1000.0);
    drawWaterRoomScene();
    if (inWindow(kCreditsWindow, g_musicTime)) {
      g_fovY = 45.0;
      glViewport(0, 0, 640, 480);
      setProjection(45.0, 1000.0);
      drawCreditsScene();
    }
  }

  // 10. End of the run.
  if (g_musicTime > kShowEndSeconds) DestroyWindow(g_hwnd);
  glFlush();
}
