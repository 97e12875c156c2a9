// Virtual-time runs (run_linux.cpp): the show drawn offscreen against a music position that moves one
// frame step per timer tick, its frames captured (PNG files or a video with the music) or its
// paints timed (the benchmark). It drives the headless backend through HeadlessRun.
// Use: the process entry enables virtual time, calls virtualRunStart (which attaches the run to
// the headless backend), chooses that backend, runs WinMain, then calls virtualRunFinish and,
// for a benchmark, benchPrintReport (bench.h).
#pragma once

#include <string>
#include <vector>

struct VirtualRunOptions {
  std::string captureDir;  // empty: no PNG frames
  std::string videoPath;   // empty: no video; otherwise frames are piped to ffmpeg with the music
  double fromSeconds = 0.0;
  double toSeconds = 1e30;
  std::vector<double> atSeconds;  // not empty: only the first frame at or after each of these
  // Frames before the range run with rasterisation discarded (they leave the same state); false
  // draws them in full, as a reference for that.
  bool fastForward = true;
  bool bench = false;
  // The framebuffer the frames are drawn into; 0: the window's 640x480 (--size).
  int frameWidth = 0, frameHeight = 0;
};
void virtualRunStart(const VirtualRunOptions& options);
// Ends the capture output (waits for ffmpeg); false, with the reason on stderr, when a frame
// could not be written, the encoder failed or no frame fell in the range.
bool virtualRunFinish();
