// Frame driver: the schedule of scenes against the music clock, and its animation state.
#pragma once

#include <cmath>

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

// The schedule: the music seconds in which each block of renderFrame draws, each bound open or
// closed as the block tests it. Runners that report per block (the benchmark) read the same
// windows, so they follow any change to the schedule.
struct ScheduleWindow {
  double from;
  bool fromClosed;  // the window starts at `from` itself, not just after it
  double to;        // HUGE_VAL: open to the end of the show
  bool toClosed;
};
inline bool inWindow(const ScheduleWindow& window, double t) {
  return (window.fromClosed ? t >= window.from : t > window.from) &&
         (window.toClosed ? t <= window.to : t < window.to);
}
const ScheduleWindow kOpeningWindow = {0.1, false, 28.0, false};
const ScheduleWindow kGridRoomWindow = {28.0, true, 69.0, true};
const ScheduleWindow kSlabKitesWindow = {65.0, false, 90.0, true};
const ScheduleWindow kFunnelBurstWindow = {126.0, false, 130.0, true};
const ScheduleWindow kClockHallWindow = {90.0, false, 128.5, false};
const ScheduleWindow kRingTubeWindow = {130.0, true, 148.0, true};
const ScheduleWindow kTitleBoardWindow = {148.0, false, 176.0, true};
const ScheduleWindow kWaterRoomWindow = {176.0, false, HUGE_VAL, true};
const ScheduleWindow kCreditsWindow = {193.0, false, HUGE_VAL, true};  // within the water room's
// The last music second that is drawn: the frame after it destroys the window.
const double kShowEndSeconds = 233.0;

void renderFrame();
