// Capture output: PNG files as any reader decodes them, the writer threads' bookkeeping and
// failure path, and the byte layout of the frames sent down the video pipe.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "capture/png_writer.h"
#include "capture/video_pipe.h"
#include "capture/writer.h"
#include "platform/gl/offscreen.h"
#include "support/scratch.h"

namespace {
// The decoded RGB pixels of a PNG file, top row first (empty if it cannot be read).
std::vector<unsigned char> readPng(const std::string& path, int* width, int* height) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return rgb;
}

// A 4-byte-a-pixel frame, bottom row first as GL reads it, whose every pixel says where it is
// in the picture (x, y from the top, and a frame tag) so that any flip or shift shows.
std::vector<unsigned char> patternFrame(int width, int height, unsigned char tag) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
  for (int row = 0; row < height; ++row) {
    int y = height - 1 - row;
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &pixels[(static_cast<size_t>(row) * width + x) * 4];
      p[0] = static_cast<unsigned char>(x);
      p[1] = static_cast<unsigned char>(y);
      p[2] = tag;
      p[3] = 0x5a;  // the unused byte: must never reach the output
    }
  }
  return pixels;
}

std::vector<unsigned char> expectedRgb(int width, int height, unsigned char tag) {
  std::vector<unsigned char> rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), {static_cast<unsigned char>(x), static_cast<unsigned char>(y), tag});
  return rgb;
}
}  // namespace

TEST(CapturePng, FilesDecodeToTheFramePixelsTopRowFirstFromEitherLayout) {
  std::string dir = scratchDir("capture-test");
  ASSERT_FALSE(dir.empty());
  const int width = 200, height = 120;
  std::vector<unsigned char> gl = patternFrame(width, height, 7);
  ASSERT_TRUE(writePng((dir + "/gl.png").c_str(), gl.data(), width, height, 4, true));
  std::vector<unsigned char> rgb = expectedRgb(width, height, 9);
  ASSERT_TRUE(writePng((dir + "/rgb.png").c_str(), rgb.data(), width, height, 3, false));

  int w = 0, h = 0;
  EXPECT_EQ(readPng(dir + "/gl.png", &w, &h), expectedRgb(width, height, 7));
  EXPECT_EQ(w, width);
  EXPECT_EQ(h, height);
  EXPECT_EQ(readPng(dir + "/rgb.png", &w, &h), rgb);
  std::remove((dir + "/gl.png").c_str());
  std::remove((dir + "/rgb.png").c_str());
  rmdir(dir.c_str());
}

TEST(CapturePng, AFileThatCannotBeCreatedIsAFailure) {
  std::vector<unsigned char> pixels = patternFrame(8, 8, 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(writePng("/nonexistent-dir/frame.png", pixels.data(), 8, 8, 4, true));
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("/nonexistent-dir/frame.png"), std::string::npos) << said;
}

// Several threads write the frames in any order; every frame lands in its own numbered file.
TEST(CaptureWriter, PngThreadsWriteEveryFrameUnderItsNumber) {
  std::string dir = scratchDir("capture-test");
  ASSERT_FALSE(dir.empty());
  const int width = 64, height = 48, frames = 40;
  captureWriterStartPng(dir, width, height, 3);
  ASSERT_TRUE(captureWriterStarted());
  for (int i = 0; i < frames; ++i) {
    CaptureFrame* frame = captureWriterAcquire();
    ASSERT_NE(frame, nullptr);
    frame->number = 100 + i;
    std::vector<unsigned char> pixels = patternFrame(width, height, static_cast<unsigned char>(i));
    std::copy(pixels.begin(), pixels.end(), frame->pixels);
    captureWriterSubmit(frame);
  }
  EXPECT_TRUE(captureWriterFinish());
  EXPECT_EQ(captureWriterWritten(), frames);
  EXPECT_EQ(captureWriterLastNumber(), 100 + frames - 1);
  for (int i = 0; i < frames; ++i) {
    char name[64];
    std::snprintf(name, sizeof(name), "/frame-%05d.png", 100 + i);
    int w = 0, h = 0;
    EXPECT_EQ(readPng(dir + name, &w, &h), expectedRgb(width, height, static_cast<unsigned char>(i))) << name;
    std::remove((dir + name).c_str());
  }
  rmdir(dir.c_str());
}

// After a failed write the renderer gets no more buffers (so the run can end) and the end says so.
TEST(CaptureWriter, AFailedWriteStopsTheCapture) {
  captureWriterStartPng("/nonexistent-dir", 16, 16, 2);
  testing::internal::CaptureStderr();
  CaptureFrame* frame = nullptr;
  int handed = 0;
  while ((frame = captureWriterAcquire()) != nullptr && handed < 1000) {
    frame->number = handed++;
    captureWriterSubmit(frame);
  }
  EXPECT_EQ(frame, nullptr) << "buffers still handed out after " << handed << " failed frames";
  EXPECT_FALSE(captureWriterFinish());
  EXPECT_TRUE(captureWriterFailed());
  EXPECT_EQ(captureWriterWritten(), 0);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("could not write /nonexistent-dir/frame-"), std::string::npos) << said;
}

// The pipe gets every frame whole, top row first, 4 bytes a pixel (what ffmpeg is told: rgb0),
// also when one frame is bigger than the pipe and goes in several writes. A stand-in ffmpeg on
// PATH copies its input to the output file it is given.
TEST(VideoPipe, FramesGoDownThePipeTopRowFirstAndWhole) {
  std::string dir = scratchDir("capture-test");
  ASSERT_FALSE(dir.empty());
  std::string fake = dir + "/ffmpeg";
  {
    std::ofstream script(fake);
    script << "#!/bin/sh\nfor a; do out=$a; done\nexec cat > \"$out\"\n";
  }
  chmod(fake.c_str(), 0755);
  std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir + ":" + oldPath).c_str(), 1);
  const int width = 640, height = 480;  // 1.2 MB a frame: more than the pipe holds
  std::string out = dir + "/out.mkv";
  bool opened = videoPipeOpen(out, width, height, "music.mp3", 1.5);
  setenv("PATH", oldPath.c_str(), 1);
  ASSERT_TRUE(opened);
  for (unsigned char tag = 0; tag < 3; ++tag) {
    std::vector<unsigned char> frame = patternFrame(width, height, tag);
    ASSERT_TRUE(videoPipeWriteFrame(frame.data(), width, height));
  }
  ASSERT_TRUE(videoPipeClose());

  std::ifstream file(out, std::ios::binary);
  std::vector<unsigned char> got((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_EQ(got.size(), static_cast<size_t>(width) * height * 4 * 3);
  size_t wrong = 0;
  for (size_t i = 0; i < got.size(); i += 4) {
    size_t pixel = i / 4;
    int tag = static_cast<int>(pixel / (width * height));
    int y = static_cast<int>(pixel % (width * height)) / width;
    int x = static_cast<int>(pixel % width);
    if (got[i] != static_cast<unsigned char>(x) || got[i + 1] != static_cast<unsigned char>(y) || got[i + 2] != tag)
      ++wrong;
  }
  EXPECT_EQ(wrong, 0u);
  std::remove(out.c_str());
  std::remove(fake.c_str());
  rmdir(dir.c_str());
}

// The readback the capture uses is the picture of the pbuffer, bottom row first, 4 bytes a pixel.
TEST(OffscreenReadback, RgbxRowsAreBottomFirst) {
  ASSERT_TRUE(offscreenCreate(64, 32));
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 64, 1);  // the bottom row only
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  std::vector<unsigned char> pixels(64 * 32 * 4);
  offscreenReadRgbx(pixels.data());
  EXPECT_EQ(pixels[0], 255);
  EXPECT_EQ(pixels[1], 0);
  size_t top = static_cast<size_t>(31) * 64 * 4;
  EXPECT_EQ(pixels[top], 0);
  offscreenDestroy();
}
