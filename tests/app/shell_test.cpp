// The application shell on the headless backend: window procedure, first frame, music clock,
// start-up tables and the failure paths.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/assets.h"
#include "app/music.h"
#include "platform/gl/offscreen.h"
#include "platform/time/virtual_time.h"
#include "platform/winapi/headless_backend.h"
#include "platform/winapi/sdl_backend.h"
#include "support/gl_fixture.h"
#include "support/scratch.h"

namespace {
std::vector<std::string> g_calls;
NativeBackend g_recording;

// The headless backend, with the tear-down's platform calls written down in order.
void useRecordingBackend() {
  g_recording = g_headlessBackend;
  g_recording.changeDisplayMode = [](const DEVMODEA* mode) -> LONG {
    g_calls.push_back(mode ? "display mode switch" : offscreenIsCurrent() ? "display restored (GL current)"
                                                                          : "display restored");
    return g_headlessBackend.changeDisplayMode(mode);
  };
  g_recording.showCursor = [](bool visible) { g_calls.push_back(visible ? "cursor shown" : "cursor hidden"); };
  g_recording.makeCurrent = [](bool current) {
    g_calls.push_back(current ? "context current" : "context released");
    return g_headlessBackend.makeCurrent(current);
  };
  g_recording.deleteContext = [] {
    g_calls.push_back("context deleted");
    g_headlessBackend.deleteContext();
  };
  g_nativeBackend = &g_recording;
}

// Registers "KS" and creates the show's window as WinMain does, on the backend in place.
void createShowWindow() {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = windowProc;
  windowClass.lpszClassName = "KS";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  createAppWindow(640, 480, nullptr);
  ASSERT_NE(g_hwnd, nullptr);
  ASSERT_TRUE(offscreenIsCurrent());
}

// The same on the recording backend.
void openShowWindow() {
  useRecordingBackend();
  createShowWindow();
}

// A fresh working directory, optionally with a music file (its bytes do not matter with virtual time).
void enterDataDir(bool withMusic) {
  const char* build = std::getenv("KS_BUILD_DIR");
  std::string music = std::string(build ? build : ".") + "/data/compilation.mp3";
  std::string dir = scratchDir("shell");
  ASSERT_EQ(chdir(dir.c_str()), 0) << "no scratch directory";
  if (!withMusic) return;
  // The generated track: the stream opens only what decodes as music.
  ASSERT_EQ(system(("mkdir -p data && ln -s '" + music + "' data/compilation.mp3").c_str()), 0);
}

double projectionAspect() {
  std::array<double, 16> m = glMatrix(GL_PROJECTION_MATRIX);
  return m[5] / m[0];
}
}  // namespace

TEST(WindowProc, CreationSetsContextStateProjectionAndTimer) {
  openShowWindow();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"display mode switch", "context current"}));
  expectEnabled({GL_DEPTH_TEST, GL_TEXTURE_2D}, {GL_LIGHTING, GL_BLEND});
  EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_LEQUAL);
  EXPECT_EQ(glInteger(GL_SHADE_MODEL), GL_SMOOTH);
  EXPECT_FLOAT_EQ(glFloats4(GL_COLOR_CLEAR_VALUE)[3], 0.5f);
  EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
  // WM_SIZE 640x480 arrived inside creation: 45 degrees, 4/3, near 0.1, far 2500.
  EXPECT_EQ(glIntegers4(GL_VIEWPORT), (std::array<int, 4>{0, 0, 640, 480}));
  std::array<double, 16> m = glMatrix(GL_PROJECTION_MATRIX);
  EXPECT_NEAR(m[5], 1.0 / std::tan(22.5 * M_PI / 180.0), 1e-5);
  EXPECT_NEAR(m[5] / m[0], 4.0 / 3.0, 1e-5);
  double nearPlane = m[14] / (m[10] - 1.0), farPlane = m[14] / (m[10] + 1.0);
  EXPECT_NEAR(nearPlane, 0.1, 1e-4);
  EXPECT_NEAR(farPlane, 2500.0, 5.0);
  // The 40 ms timer runs: with virtual time off, the first tick comes after about 40 ms.
  ShowWindow(g_hwnd, SW_SHOW);
  ValidateRect(g_hwnd, nullptr);
  MSG message;
  ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(message.wParam, 0u);
  DispatchMessageA(&message);
  ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));  // the tick invalidated the window
}

TEST(WindowProc, SizeWithHeightZeroUsesHeightOne) {
  openShowWindow();
  EXPECT_EQ(windowProc(g_hwnd, WM_SIZE, 0, MAKELPARAM(300, 0)), 0);
  EXPECT_EQ(glIntegers4(GL_VIEWPORT), (std::array<int, 4>{0, 0, 300, 1}));
  EXPECT_NEAR(projectionAspect(), 300.0, 1e-3);
  EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST(WindowProc, OtherKeysAndEverySystemCommandAreSwallowed) {
  openShowWindow();
  for (WPARAM key : {WPARAM('A'), WPARAM(0x0D), WPARAM(0x73), WPARAM(' ')})
    EXPECT_EQ(windowProc(g_hwnd, WM_KEYDOWN, key, 0), 0);
  for (WPARAM command : {WPARAM(SC_CLOSE), WPARAM(SC_SCREENSAVE), WPARAM(SC_MONITORPOWER), WPARAM(0xF100)})
    EXPECT_EQ(windowProc(g_hwnd, WM_SYSCOMMAND, command, 0), 0);
  // Alt+F4, Alt+Escape and a window-manager close as the platform delivers them, through the
  // loop (Alt+F4 becomes a close command in the default handling, which the show swallows).
  platformPostMessage(g_hwnd, WM_SYSKEYDOWN, VK_F4, 1);
  platformPostMessage(g_hwnd, WM_SYSKEYDOWN, VK_ESCAPE, 1);
  platformPostMessage(g_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  MSG message;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    DispatchMessageA(&message);
  }
  EXPECT_TRUE(platformWindowAlive(g_hwnd));
  EXPECT_TRUE(offscreenIsCurrent());
}

TEST(WindowProc, EscapeTearsDownInOrderAndPostsQuit) {
  enterDataDir(true);
  virtualTimeEnable();
  openShowWindow();
  ShowCursor(FALSE);
  ASSERT_TRUE(startMusic());
  ASSERT_NE(g_musicStream, nullptr);
  g_calls.clear();
  EXPECT_EQ(windowProc(g_hwnd, WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"display restored (GL current)", "cursor shown", "context released",
                                               "context deleted"}));
  EXPECT_FALSE(platformWindowAlive(g_hwnd));
  MSG message;
  EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 0u);
}

TEST(Frame, FirstPaintAtTimeZeroOnlyClears) {
  openShowWindow();
  glClearColor(1, 0, 0, 1);  // something to clear away
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0.5f);
  ShowWindow(g_hwnd, SW_SHOW);
  UpdateWindow(g_hwnd);  // the first paint: no stream, clock 0
  EXPECT_EQ(g_musicTime, 0.0);
  size_t lit = 0;
  for (unsigned char c : glFrame()) lit += c != 0;
  EXPECT_EQ(lit, 0u);
}

TEST(Frame, PaintThatEndsTheRunDoesNotFault) {
  enterDataDir(true);
  virtualTimeEnable();
  openShowWindow();
  ShowWindow(g_hwnd, SW_SHOW);
  ASSERT_TRUE(startMusic());
  virtualTimeSetMs(233040);
  InvalidateRect(g_hwnd, nullptr, FALSE);
  MSG message;
  ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
  ASSERT_EQ(message.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageA(&message);  // renderFrame destroys the window; swap and validate then fail
  EXPECT_DOUBLE_EQ(g_musicTime, 233.04);
  EXPECT_FALSE(platformWindowAlive(g_hwnd));
  EXPECT_FALSE(offscreenIsCurrent());
  EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
}

TEST(MusicClock, ZeroUntilAStreamIsOpenThenTheStreamPosition) {
  enterDataDir(true);
  virtualTimeEnable();
  virtualTimeSetMs(5000);
  EXPECT_EQ(updateMusicClock(), 0.0);
  EXPECT_EQ(g_musicTime, 0.0);
  virtualTimeSetMs(0);
  ASSERT_TRUE(startMusic());
  EXPECT_EQ(updateMusicClock(), 0.0);
  virtualTimeSetMs(100040);
  EXPECT_EQ(updateMusicClock(), 100040 * 0.001);
  EXPECT_EQ(g_musicTime, 100040 * 0.001);
  // Read once per call: the value holds until the next one.
  virtualTimeSetMs(100080);
  EXPECT_EQ(g_musicTime, 100040 * 0.001);
}

TEST(MusicClock, MissingMusicFileShowsTheDataErrorBoxAndExitsWithStatus1) {
  enterDataDir(false);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EXIT(startMusic(), testing::ExitedWithCode(1),
              "cannot load data/compilation.mp3\nERROR!!!: Error!!!\nData is not complite!");
}

TEST(FatalDataError, ExitsWithStatus1AndTheBoxTextWithoutAFile) {
  EXPECT_EXIT(fatalDataError(), testing::ExitedWithCode(1), "^ERROR!!!: Error!!!\nData is not complite!\n$");
}

TEST(StartUp, StageTables) {
  initStageTables();
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(g_stageTableA[i], 50.0f * i);
    EXPECT_EQ(g_stageTableB[i], -40.0 - 50.0 * i);
  }
  const double c[5] = {-500, -400, -300, -200, -100};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(g_stageTableC[i], c[i]);
}

// Windows 8 and later have no 16-bit modes: the refused switch is asked again for the same
// 640x480 at the desktop's own depth (no depth given), and the window is still created.
TEST(StartUp, RefusedSixteenBitModeIsAskedAgainAtTheDesktopsDepth) {
  useRecordingBackend();
  g_recording.changeDisplayMode = [](const DEVMODEA* mode) -> LONG {
    if (!mode) return g_headlessBackend.changeDisplayMode(mode);
    bool depthGiven = mode->dmFields & DM_BITSPERPEL;
    g_calls.push_back(std::to_string(mode->dmPelsWidth) + "x" + std::to_string(mode->dmPelsHeight) +
                      (depthGiven ? " at " + std::to_string(mode->dmBitsPerPel) + " bits" : " at the desktop's depth"));
    if (!(mode->dmFields & DM_PELSWIDTH) || !(mode->dmFields & DM_PELSHEIGHT)) return DISP_CHANGE_FAILED;
    return depthGiven && mode->dmBitsPerPel == 16 ? DISP_CHANGE_FAILED : g_headlessBackend.changeDisplayMode(mode);
  };
  createShowWindow();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"640x480 at 16 bits", "640x480 at the desktop's depth", "context current"}));
  EXPECT_EQ(g_colorBits, 16);  // the pixel format still asks for what it always did
}

TEST(StartUp, NoDisplayMeansStatus1WithTheReason) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("SDL_VIDEODRIVER");
  g_nativeBackend = &g_sdlBackend;
  testing::internal::CaptureStderr();
  int status = WinMain(nullptr, nullptr, nullptr, SW_SHOW);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("CreateWindowExA: no display"), std::string::npos) << err;
  EXPECT_NE(err.find("the window could not be created"), std::string::npos) << err;
}
