// Capture writers: a bounded pool of frame buffers between the renderer and the output.
// Supports: PNG directories (one file a frame, written by several threads at once) and the video
// pipe (one thread, frames in the order they were drawn); a failed write stops further frames.
// Does not support: several outputs at once, restarting after captureWriterFinish.
// Depends on std::thread, png_writer_linux.cpp and video_pipe_linux.cpp.
#include "capture/writer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/png_writer.h"
#include "capture/video_pipe.h"

namespace {
// Enough buffers to ride over the encoder's bursts (its look-ahead takes several frames at once)
// and to keep every PNG thread busy; a 640x480 frame is 1.2 MB.
const int kVideoBuffers = 16;
const int kPngBuffersPerThread = 3;

std::mutex g_mutex;
std::condition_variable g_changed;
std::vector<std::vector<unsigned char>> g_storage;
std::vector<CaptureFrame> g_frames;
std::vector<CaptureFrame*> g_free;
std::deque<CaptureFrame*> g_queued;
std::vector<std::thread> g_threads;
bool g_stopping = false;
std::atomic<bool> g_failed{false};
std::atomic<int> g_written{0};
std::atomic<int> g_lastNumber{-1};
int g_width = 0, g_height = 0;
std::string g_dir;
bool g_video = false;

void makePool(int count) {
  g_storage.assign(static_cast<size_t>(count), std::vector<unsigned char>(static_cast<size_t>(g_width) * g_height * 4));
  g_frames.assign(static_cast<size_t>(count), CaptureFrame());
  g_free.clear();
  for (int i = 0; i < count; ++i) {
    g_frames[static_cast<size_t>(i)].pixels = g_storage[static_cast<size_t>(i)].data();
    g_free.push_back(&g_frames[static_cast<size_t>(i)]);
  }
}

bool writeFrame(const CaptureFrame& frame) {
  if (g_video) return videoPipeWriteFrame(frame.pixels, g_width, g_height);
  char path[4096];
  std::snprintf(path, sizeof(path), "%s/frame-%05d.png", g_dir.c_str(), frame.number);
  return writePng(path, frame.pixels, g_width, g_height, 4, true);
}

// Each writer takes the oldest queued frame; after a failure the rest are dropped unwritten.
void writerLoop() {
  std::unique_lock<std::mutex> lock(g_mutex);
  for (;;) {
    g_changed.wait(lock, [] { return g_stopping || !g_queued.empty(); });
    if (g_queued.empty()) return;  // stopping, and nothing left
    CaptureFrame* frame = g_queued.front();
    g_queued.pop_front();
    lock.unlock();
    if (!g_failed && writeFrame(*frame)) {
      g_written.fetch_add(1);
      int number = g_lastNumber.load();
      while (frame->number > number && !g_lastNumber.compare_exchange_weak(number, frame->number)) {
      }
    } else {
      g_failed = true;
    }
    lock.lock();
    g_free.push_back(frame);
    g_changed.notify_all();
  }
}

// A run that ends through exit() (a data error during loading, after frame 0 was handed over)
// still writes what it had and closes the encoder; running threads must not meet their destructors.
void finishAtExit() {
  if (!g_threads.empty()) captureWriterFinish();
  if (videoPipeIsOpen()) videoPipeClose();
}

void start(int width, int height, int threads, int buffers) {
  static bool exitHandled = false;
  if (!exitHandled) std::atexit(finishAtExit);
  exitHandled = true;
  g_width = width;
  g_height = height;
  g_stopping = false;
  makePool(buffers);
  for (int i = 0; i < threads; ++i) g_threads.emplace_back(writerLoop);
}
}  // namespace

void captureWriterStartPng(const std::string& dir, int width, int height, int threads) {
  g_dir = dir;
  g_video = false;
  threads = std::max(1, threads);
  start(width, height, threads, threads * kPngBuffersPerThread);
}

void captureWriterStartVideo(int width, int height) {
  g_video = true;
  start(width, height, 1, kVideoBuffers);
}

bool captureWriterStarted() { return !g_threads.empty(); }

CaptureFrame* captureWriterAcquire() {
  std::unique_lock<std::mutex> lock(g_mutex);
  g_changed.wait(lock, [] { return g_failed || !g_free.empty(); });
  if (g_failed) return nullptr;
  CaptureFrame* frame = g_free.back();
  g_free.pop_back();
  return frame;
}

void captureWriterSubmit(CaptureFrame* frame) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_queued.push_back(frame);
  g_changed.notify_all();
}

int captureWriterWritten() { return g_written; }
int captureWriterLastNumber() { return g_lastNumber; }
bool captureWriterFailed() { return g_failed; }

bool captureWriterFinish() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_stopping = true;
    g_changed.notify_all();
  }
  for (std::thread& thread : g_threads) thread.join();
  g_threads.clear();
  g_queued.clear();
  return !g_failed;
}
