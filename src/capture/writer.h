// Capture output off the render thread. The renderer reads each frame into a buffer from a small
// fixed pool and hands it over; writer threads turn the buffers into PNG files (several at once,
// in any order) or send them, in order, to the video pipe. The renderer waits only when every
// buffer is still queued, so it runs at the pace of the slower of the two sides, never of both.
#pragma once

#include <string>

// One frame as read back: width x height pixels of 4 bytes (R, G, B, unused), bottom row first.
struct CaptureFrame {
  int number = 0;  // frame N is music time N x 40 ms
  unsigned char* pixels = nullptr;
};

// Starts `threads` writers of DIR/frame-NNNNN.png files (at least one).
void captureWriterStartPng(const std::string& dir, int width, int height, int threads);
// Starts the one writer that feeds the open video pipe (videoPipeOpen first).
void captureWriterStartVideo(int width, int height);
bool captureWriterStarted();
// A free buffer to read the next frame into; waits while all are queued. Null once a write has
// failed (the reason is already on stderr), so the run can end.
CaptureFrame* captureWriterAcquire();
void captureWriterSubmit(CaptureFrame* frame);
// Frames written so far and the highest frame number among them (-1 before the first).
int captureWriterWritten();
int captureWriterLastNumber();
bool captureWriterFailed();
// Waits until every submitted frame is written and stops the writers (the video pipe stays open
// for videoPipeClose). False when a write failed. Safe to call when nothing was started.
bool captureWriterFinish();
