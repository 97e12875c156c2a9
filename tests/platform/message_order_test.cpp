// The Win32 stand-in's message ordering, on the headless backend with wall-clock time.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/win32.h"
#include "platform/winapi/headless_backend.h"

namespace {
std::vector<UINT> g_seen;
bool g_validateOnPaint = true;
bool g_destroyOnPaint = false;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back(message);
  if (message == WM_CREATE) SetTimer(hwnd, 0, 40, nullptr);
  if (message == WM_PAINT) {
    if (g_destroyOnPaint) DestroyWindow(hwnd);
    // What the show's paint does after its frame; on a destroyed window these must fail quietly.
    BOOL swapped = SwapBuffers(GetDC(hwnd));
    BOOL validated = g_validateOnPaint ? ValidateRect(hwnd, nullptr) : TRUE;
    if (g_destroyOnPaint) {
      EXPECT_FALSE(swapped);
      EXPECT_FALSE(validated);
    }
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(7);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND createWindow() {
  g_nativeBackend = &g_headlessBackend;
  headlessBackendConfigure(HeadlessOptions());
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = recordingProc;
  windowClass.lpszClassName = "T";
  EXPECT_NE(RegisterClassA(&windowClass), 0);
  return CreateWindowExA(0, "T", "test", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
}

UINT next(MSG* message) {
  GetMessageA(message, nullptr, 0, 0);
  return message->message;
}
}  // namespace

TEST(MessageOrder, CreateAndSizeInsideCreationThenOnePaintOnUpdate) {
  HWND hwnd = createWindow();
  ASSERT_NE(hwnd, nullptr);
  ASSERT_EQ(g_seen, (std::vector<UINT>{WM_CREATE, WM_SIZE}));
  // Not shown yet: nothing to paint.
  UpdateWindow(hwnd);
  EXPECT_EQ(g_seen.size(), 2u);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  ASSERT_EQ(g_seen.size(), 3u);
  EXPECT_EQ(g_seen[2], static_cast<UINT>(WM_PAINT));
  // Validated by the paint: a second update paints nothing.
  UpdateWindow(hwnd);
  EXPECT_EQ(g_seen.size(), 3u);
}

TEST(MessageOrder, ValidateRectDiscardsPendingPaint) {
  HWND hwnd = createWindow();
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  InvalidateRect(hwnd, nullptr, FALSE);
  ValidateRect(hwnd, nullptr);
  MSG message;
  // The next message is the timer tick, not a paint.
  EXPECT_EQ(next(&message), static_cast<UINT>(WM_TIMER));
}

TEST(MessageOrder, PostedMessagesComeBeforePaintAndPaintBeforeTimer) {
  HWND hwnd = createWindow();
  ShowWindow(hwnd, SW_SHOW);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));  // a tick is due as well
  platformPostMessage(hwnd, WM_KEYDOWN, 'A', 0);
  MSG message;
  EXPECT_EQ(next(&message), static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(next(&message), static_cast<UINT>(WM_PAINT));
  DispatchMessageA(&message);
  EXPECT_EQ(next(&message), static_cast<UINT>(WM_TIMER));
}

TEST(MessageOrder, TicksMissedDuringALongFrameMergeIntoOne) {
  HWND hwnd = createWindow();
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  // Five intervals pass without the loop running (a slow frame).
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  MSG message;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(next(&message), static_cast<UINT>(WM_TIMER));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
  // The next tick is a whole interval later, not queued up behind this one.
  EXPECT_EQ(next(&message), static_cast<UINT>(WM_TIMER));
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(35));
  EXPECT_LT(waited, std::chrono::milliseconds(200));
}

TEST(MessageOrder, UnvalidatedPaintKeepsComingAndStarvesTheTimer) {
  g_validateOnPaint = false;
  HWND hwnd = createWindow();
  ShowWindow(hwnd, SW_SHOW);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  MSG message;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(next(&message), static_cast<UINT>(WM_PAINT));
    DispatchMessageA(&message);
  }
}

TEST(MessageOrder, DestroyInsidePaintThenSwapAndValidateFailQuietlyAndQuitFollows) {
  g_destroyOnPaint = true;
  HWND hwnd = createWindow();
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  EXPECT_EQ(g_seen, (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_PAINT, WM_DESTROY}));
  EXPECT_FALSE(platformWindowAlive(hwnd));
  EXPECT_EQ(GetDC(hwnd), nullptr);
  EXPECT_FALSE(InvalidateRect(hwnd, nullptr, FALSE));
  EXPECT_FALSE(DestroyWindow(hwnd));
  MSG message;
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

TEST(MessageOrder, InputQueuedBeforeDestructionIsDroppedThenQuit) {
  HWND hwnd = createWindow();
  ShowWindow(hwnd, SW_SHOW);
  platformPostMessage(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  DestroyWindow(hwnd);
  size_t seen = g_seen.size();
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(DispatchMessageA(&message), 0);
  EXPECT_EQ(g_seen.size(), seen);  // not delivered to the dead window
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
}

TEST(MessageOrder, SystemCloseReachesDefaultHandlingAsClose) {
  HWND hwnd = createWindow();
  DefWindowProcA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(platformWindowAlive(hwnd));
  EXPECT_EQ(g_seen.back(), static_cast<UINT>(WM_DESTROY));
}
