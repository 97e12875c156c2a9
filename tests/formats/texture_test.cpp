// The JPEG texture loader on the offscreen context: slots, filters, mipmaps, row order, odd
// widths, greyscale and CMYK pictures, and the library's exit on damaged data.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "formats/texture.h"
#include "jpeg_file.h"
#include "support/gl_fixture.h"
#include "support/scratch.h"

namespace {

// Level `level` of the bound texture, tightly packed RGB, first row (t = 0) first.
std::vector<unsigned char> texels(int level, int* width, int* height) {
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, height);
  std::vector<unsigned char> rgb(size_t(*width) * size_t(*height) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return rgb;
}

// Red top half, blue bottom half.
unsigned char redOverBlue(int, int y, int c, int height) {
  bool top = y < height / 2;
  return c == 0 ? (top ? 255 : 0) : c == 2 ? (top ? 0 : 255) : 0;
}

// Writes the picture to a scratch file and loads it into `slot`; the loader's result (true
// on failure).
bool writeAndLoad(const char* name, int width, int height, int components,
                  const std::function<unsigned char(int, int, int)>& sample, int slot) {
  std::string path = tempPath(name);
  EXPECT_TRUE(writeJpeg(path, width, height, components, sample));
  bool failed = loadTexture(path.c_str(), slot);
  std::remove(path.c_str());
  return failed;
}

}  // namespace

class TextureLoad : public GlTest {};

TEST_F(TextureLoad, ColourPictureFillsItsSlotWithLinearFiltersAndMipmaps) {
  EXPECT_FALSE(writeAndLoad("colour.jpg", 64, 32, 3, [](int x, int y, int c) { return redOverBlue(x, y, c, 32); }, 5));
  ASSERT_NE(g_textures[5], 0u);
  EXPECT_EQ(g_textures[4], 0u);
  EXPECT_EQ(GLuint(integer(GL_TEXTURE_BINDING_2D)), g_textures[5]);
  GLint filters[2] = {};
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filters[0]);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filters[1]);
  EXPECT_EQ((std::array<GLint, 2>{filters[0], filters[1]}), (std::array<GLint, 2>{GL_LINEAR, GL_LINEAR}));
  EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 4);

  int width = 0, height = 0;
  std::vector<unsigned char> level0 = texels(0, &width, &height);
  ASSERT_EQ((std::array<int, 2>{width, height}), (std::array<int, 2>{64, 32}));
  // Row 0 is the top of the picture.
  EXPECT_GT(level0[0], 200);
  EXPECT_LT(level0[2], 50);
  EXPECT_LT(level0[(31 * 64) * 3], 50);
  EXPECT_GT(level0[(31 * 64) * 3 + 2], 200);
  // The whole chain down to 1 x 1.
  texels(6, &width, &height);
  EXPECT_EQ((std::array<int, 2>{width, height}), (std::array<int, 2>{1, 1}));

  // A surface with t = 1 at its upper edge shows the picture's bottom row there.
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0); glVertex2f(-1, -1);
  glTexCoord2f(1, 0); glVertex2f(1, -1);
  glTexCoord2f(1, 1); glVertex2f(1, 1);
  glTexCoord2f(0, 1); glVertex2f(-1, 1);
  glEnd();
  if (const char* dir = std::getenv("KS_TEST_PNG_DIR")) savePng((std::string(dir) + "/texture_quad.png").c_str());
  std::array<int, 3> upper = pixel(320, 470), lower = pixel(320, 10);
  EXPECT_GT(upper[2], 200);
  EXPECT_LT(upper[0], 50);
  EXPECT_GT(lower[0], 200);
  EXPECT_LT(lower[2], 50);
}

TEST_F(TextureLoad, RowsOfOddWidthsAreNotSheared) {
  // 33 pixels a row (99 bytes): the left 16 columns red, the right 16 blue.
  EXPECT_FALSE(writeAndLoad("odd.jpg", 33, 40, 3, [](int x, int, int c) {
    return (unsigned char)(c == 0 ? (x < 16 ? 255 : 0) : c == 2 ? (x > 16 ? 255 : 0) : 0);
  }, 0));
  int width = 0, height = 0;
  std::vector<unsigned char> level0 = texels(0, &width, &height);
  ASSERT_GT(width, 8);
  for (int y = 0; y < height; y++) {
    const unsigned char* left = &level0[size_t(y * width) * 3];
    const unsigned char* right = &level0[size_t(y * width + width - 1) * 3];
    EXPECT_GT(left[0], 200) << "row " << y;
    EXPECT_LT(left[2], 50) << "row " << y;
    EXPECT_LT(right[0], 50) << "row " << y;
    EXPECT_GT(right[2], 200) << "row " << y;
  }
}

TEST_F(TextureLoad, GreyscaleIsExpandedToRgb) {
  EXPECT_FALSE(writeAndLoad("grey.jpg", 16, 16, 1, [](int x, int, int) { return (unsigned char)(x * 16); }, 3));
  int width = 0, height = 0;
  std::vector<unsigned char> level0 = texels(0, &width, &height);
  ASSERT_EQ(width, 16);
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) {
      const unsigned char* p = &level0[size_t(y * 16 + x) * 3];
      EXPECT_EQ(p[0], p[1]);
      EXPECT_EQ(p[1], p[2]);
      EXPECT_NEAR(p[0], x * 16, 6);
    }
}

TEST_F(TextureLoad, CmykAndMissingFilesFailAndLeaveTheSlot) {
  g_textures[7] = 12345;
  EXPECT_TRUE(writeAndLoad("cmyk.jpg", 8, 8, 4, [](int, int, int) { return (unsigned char)128; }, 7));
  EXPECT_TRUE(loadTexture("/nonexistent/golem.jpg", 7));
  EXPECT_EQ(g_textures[7], 12345u);
}

TEST(TextureDecode, DamagedDataEndsTheProcessWithStatusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // Fixed names: the death test's child process writes the same files as the parent.
  std::string empty = "/tmp/ks-texture-damaged-empty.jpg", text = "/tmp/ks-texture-damaged-text.jpg";
  ASSERT_TRUE(writeFile(empty, "") && writeFile(text, "this is not a picture\n"));
  EXPECT_EXIT(decodeJpegFile(empty.c_str()), testing::ExitedWithCode(1), "Empty input file");
  EXPECT_EXIT(decodeJpegFile(text.c_str()), testing::ExitedWithCode(1), "Not a JPEG file");
  // The library's message names no file: one more line says which one it was.
  EXPECT_EXIT(decodeJpegFile(text.c_str()), testing::ExitedWithCode(1),
              "Not a JPEG file.*\nKelvo Strand: the error above came while reading /tmp/ks-texture-damaged-text.jpg\n");
  std::remove(empty.c_str());
  std::remove(text.c_str());
}

// A header that claims more pixels than OpenGL's largest texture fails the load at once, before
// a block of the claimed size is allocated, and says why; the slot is left as it was.
TEST_F(TextureLoad, PictureLargerThanTheLargestTextureFailsAtOnce) {
  std::string path = tempPath("huge.jpg");
  ASSERT_TRUE(writeJpeg(path, 16, 8, 3, [](int, int, int) { return (unsigned char)200; }));
  // Claim 60000 x 60000 in the frame header (SOF0: FF C0, length, precision, height, width).
  std::string bytes = readFile(path);
  size_t at = bytes.find("\xFF\xC0");
  ASSERT_LT(at + 9, bytes.size()) << "no frame header";
  ASSERT_TRUE(writeFile(path, bytes.replace(at + 5, 4, "\xEA\x60\xEA\x60")));

  g_textures[3] = 4242;
  testing::internal::CaptureStderr();
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(loadTexture(path.c_str(), 3));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(path + ": 60000 x 60000 pixels, more than this OpenGL's largest texture"), std::string::npos)
      << said;
  EXPECT_EQ(g_textures[3], 4242u);
  std::remove(path.c_str());

  // The largest size OpenGL takes still loads.
  GLint largest = integer(GL_MAX_TEXTURE_SIZE);
  ASSERT_GT(largest, 0);
  ASSERT_TRUE(writeJpeg(path, largest, 1, 3, [](int, int, int) { return (unsigned char)90; }));
  EXPECT_FALSE(loadTexture(path.c_str(), 3));
  std::remove(path.c_str());
}
