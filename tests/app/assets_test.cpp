// The asset manifest: load order, the stop at the first failure and the data-error path, on a
// data directory built by the test (23 small pictures and two small models).
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../formats/file3ds.h"
#include "../formats/jpeg_file.h"
#include "app/assets.h"
#include "formats/model3ds.h"
#include "formats/texture.h"
#include "platform/gl/offscreen.h"
#include "support/gl_fixture.h"

namespace {

// Makes a fresh working directory with a complete data/ folder and enters it.
std::string enterDataDirectory() {
  char pattern[] = "/tmp/ks-assets-XXXXXX";
  std::string dir = mkdtemp(pattern);
  mkdir((dir + "/data").c_str(), 0755);
  for (const char* file : g_textureFiles)
    writeJpeg(dir + "/" + file, 8, 8, 3, [](int x, int y, int c) {
      return (unsigned char)((x + y) * 16 + c * 40);
    });
  file3ds::write(dir + "/data/kratka.3ds", file3ds::squareModel());
  file3ds::write(dir + "/data/grid.3ds", file3ds::squareModel());
  EXPECT_EQ(chdir(dir.c_str()), 0);
  return dir;
}

int loadedTextures() {
  int n = 0;
  for (uint32_t name : g_textures) n += name != 0;
  return n;
}

// Runs at exit inside the dying process, so the death test can see how far loading came.
void reportProgress() {
  std::fprintf(stderr, "textures loaded: %d, models: %d %d\n", loadedTextures(),
               g_kratkaModel.objectCount, g_gridModel.objectCount);
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::current_path(), ignored);
}

// Loads the manifest on a fresh offscreen context; returns only if loadAssets returned.
void loadWithProgressReport() {
  if (!offscreenCreate(64, 64)) std::exit(77);
  std::atexit(reportProgress);
  loadAssets();
  std::exit(42);
}

bool endedThroughDataError(int status) {
  return WIFEXITED(status) && WEXITSTATUS(status) != 42 && WEXITSTATUS(status) != 77;
}

}  // namespace

TEST(Manifest, LoadsAllTwentyFiveInSlotOrder) {
  enterDataDirectory();
  KS_REQUIRE_OFFSCREEN(64, 64);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(loadAssets());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; slot++) {
    EXPECT_TRUE(glIsTexture(g_textures[slot])) << "slot " << slot;
    if (slot > 0) { EXPECT_GT(g_textures[slot], g_textures[slot - 1]) << "slot " << slot; }
  }
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), g_textures[TEX_TITLE]);
  EXPECT_EQ(g_kratkaModel.objectCount, 1);
  EXPECT_EQ(g_gridModel.objectCount, 1);
  offscreenDestroy();
  std::filesystem::remove_all(std::filesystem::current_path());
}

namespace {
// Loads a complete data directory after `damage` changed it: the run ends through the
// data-error box, with `said` (a pattern) before it and what had loaded by then.
void expectDataError(void (*damage)(const std::string& dir), const std::string& said, const char* loaded) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string dir = enterDataDirectory();
  damage(dir);
  EXPECT_EXIT(loadWithProgressReport(), endedThroughDataError,
              said + "(.|\n)*ERROR!!!: Error!!!\nData is not complite!\ntextures loaded: " + loaded + "\n$");
  std::filesystem::remove_all(dir);
}
}  // namespace

TEST(Manifest, MissingLastPictureStopsAfterTwentyTwoLoads) {
  // No model is tried: their reader would show its own box first.
  expectDataError([](const std::string& dir) {
    std::remove((dir + "/data/title.jpg").c_str());
    std::remove((dir + "/data/kratka.3ds").c_str());
  }, "data/title.jpg", "22, models: 0 0");
}

TEST(Manifest, MissingModelStopsAfterAllPictures) {
  expectDataError([](const std::string& dir) { std::remove((dir + "/data/kratka.3ds").c_str()); },
                  "^Error: Unable to find the file: data/kratka.3ds!\n", "23, models: 0 0");
}

TEST(Manifest, DamagedSecondModelEndsTheRunWithTheReadersReason) {
  expectDataError([](const std::string& dir) {
    std::string damaged = file3ds::squareModel();
    damaged.resize(damaged.size() - 10);
    file3ds::write(dir + "/data/grid.3ds", damaged);
  }, "^Error: data/grid.3ds: file ends inside chunk", "23, models: 1 0");
}
