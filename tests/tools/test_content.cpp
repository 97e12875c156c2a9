// Checks the generated data directory (${KS_BUILD_DIR}/data, made by the build) with the
// libraries the show reads it with, and an independent walk of the 3DS chunk tree.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <mpg123.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "content.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

const char* kManifest[] = {"golem", "wall",  "teren", "flara", "death", "quenta", "twarz", "reka",
                           "noga",  "brzuch", "plecy", "sciana", "tlo",  "board",  "credit", "build",
                           "step",  "asli",  "kvt",   "rel",   "zegar", "water",  "title"};

std::string dataDir() {
  const char* build = std::getenv("KS_BUILD_DIR");
  return std::string(build ? build : ".") + "/data";
}

std::vector<uint8_t> bytesOf(const std::string& path) {
  std::string bytes = readFile(path);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

struct Decoded {
  int width = 0, height = 0, components = 0;
  bool progressive = false;
  std::vector<uint8_t> rgb;
  float luma(int x, int y) const {
    const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
    return 0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2];
  }
};

Decoded decodeJpeg(const std::string& path) {
  Decoded d;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return d;
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  d.width = int(cinfo.output_width);
  d.height = int(cinfo.output_height);
  d.components = cinfo.num_components;
  d.progressive = cinfo.progressive_mode;
  d.rgb.resize(size_t(d.width) * d.height * cinfo.output_components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &d.rgb[size_t(cinfo.output_scanline) * d.width * cinfo.output_components];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  return d;
}

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace

TEST(ContentPictures, EveryPictureIsBaselineColourWithPowerOfTwoSidesAndNotBlank) {
  ASSERT_EQ(pictures().size(), 23u);
  for (size_t i = 0; i < 23; ++i) {
    SCOPED_TRACE(kManifest[i]);
    EXPECT_STREQ(pictures()[i].name, kManifest[i]);  // generator table in slot order
    Decoded d = decodeJpeg(dataDir() + "/" + kManifest[i] + ".jpg");
    ASSERT_GT(d.width, 0);
    EXPECT_EQ(d.components, 3);
    EXPECT_FALSE(d.progressive);
    EXPECT_TRUE(powerOfTwo(d.width) && powerOfTwo(d.height)) << d.width << "x" << d.height;
    EXPECT_LE(std::max(d.width, d.height), 512);
    double sum = 0, sum2 = 0;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x) {
        sum += d.luma(x, y);
        sum2 += d.luma(x, y) * d.luma(x, y);
      }
    double n = double(d.width) * d.height, mean = sum / n;
    EXPECT_GT(std::sqrt(sum2 / n - mean * mean), 12.0) << "picture is nearly uniform";
  }
}

TEST(ContentPictures, TilingPicturesMeetSeamlesslyAtTheirEdges) {
  // The jump across the wrap-around edge must be no bigger than the largest step between
  // neighbouring rows or columns inside the picture, in both directions.
  for (const char* name : {"wall", "sciana", "step", "flara", "board", "tlo", "water", "build"}) {
    SCOPED_TRACE(name);
    Decoded d = decodeJpeg(dataDir() + "/" + name + ".jpg");
    ASSERT_GT(d.width, 0);
    auto columnStep = [&](int a, int b) {
      double s = 0;
      for (int y = 0; y < d.height; ++y) s += std::fabs(d.luma(a, y) - d.luma(b, y));
      return s / d.height;
    };
    auto rowStep = [&](int a, int b) {
      double s = 0;
      for (int x = 0; x < d.width; ++x) s += std::fabs(d.luma(x, a) - d.luma(x, b));
      return s / d.width;
    };
    double inside = 0, insideRows = 0;
    for (int k = 1; k < d.width; ++k) inside = std::max(inside, columnStep(k - 1, k));
    for (int k = 1; k < d.height; ++k) insideRows = std::max(insideRows, rowStep(k - 1, k));
    EXPECT_LE(columnStep(d.width - 1, 0), inside + 1);
    EXPECT_LE(rowStep(d.height - 1, 0), insideRows + 1);
  }
}

TEST(ContentPictures, NamePanelsAreWhiteWithDarkLettersAndTheTitleIsLightOnDark) {
  auto shares = [](const Decoded& d, float& light, float& dark) {
    int l = 0, k = 0;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x) {
        l += d.luma(x, y) > 200;
        k += d.luma(x, y) < 60;
      }
    light = float(l) / (d.width * d.height);
    dark = float(k) / (d.width * d.height);
  };
  for (const char* name : {"rel", "asli", "kvt"}) {
    SCOPED_TRACE(name);
    Decoded d = decodeJpeg(dataDir() + "/" + name + ".jpg");
    float light, dark;
    shares(d, light, dark);
    EXPECT_GT(light, 0.6f);
    EXPECT_GT(dark, 0.05f);
    // The scene multiplies the panel in: its border must be white so the panel has no frame.
    EXPECT_GT(d.luma(2, 2), 240);
    EXPECT_GT(d.luma(d.width - 3, d.height / 2), 240);
  }
  Decoded title = decodeJpeg(dataDir() + "/title.jpg");
  float light, dark;
  shares(title, light, dark);
  EXPECT_GT(dark, 0.4f);
  EXPECT_GT(light, 0.08f);
  EXPECT_LT(title.luma(1, 1), 20);
}

TEST(ContentLoadingBitmap, IsA24BitWindowsBitmapAtLeast128By32WithText) {
  std::vector<uint8_t> b = bytesOf(dataDir() + "/load.bmp");
  ASSERT_GE(b.size(), 54u);
  auto u16 = [&](size_t o) { return uint32_t(b[o] | b[o + 1] << 8); };
  auto u32 = [&](size_t o) { return u16(o) | u16(o + 2) << 16; };
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(u32(2), b.size());
  EXPECT_EQ(u32(14), 40u);
  int32_t width = int32_t(u32(18)), height = int32_t(u32(22));
  EXPECT_GE(width, 128);
  EXPECT_GE(height, 32);
  EXPECT_EQ(u16(28), 24u);
  EXPECT_EQ(u32(30), 0u);
  size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
  ASSERT_EQ(b.size(), u32(10) + row * size_t(height));
  // The top-left 128 x 32 (the last 32 rows, stored bottom-up) holds light letters on dark.
  int light = 0, dark = 0;
  for (int y = height - 32; y < height; ++y)
    for (int x = 0; x < 128; ++x) {
      int v = b[u32(10) + size_t(y) * row + size_t(x) * 3 + 1];
      light += v > 160;
      dark += v < 40;
    }
  EXPECT_GT(light, 100);
  EXPECT_GT(dark, 2000);
}

TEST(ContentMusic, DecodesToMoreThan233SecondsWithHitsAndAFade) {
  mpg123_init();
  int err = 0;
  mpg123_handle* h = mpg123_new(nullptr, &err);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(mpg123_open(h, (dataDir() + "/compilation.mp3").c_str()), MPG123_OK);
  long rate = 0;
  int channels = 0, encoding = 0;
  ASSERT_EQ(mpg123_getformat(h, &rate, &channels, &encoding), MPG123_OK);
  EXPECT_EQ(rate, 44100);
  EXPECT_EQ(channels, 2);
  ASSERT_EQ(encoding, MPG123_ENC_SIGNED_16);
  std::vector<float> mono;
  std::vector<unsigned char> buf(65536);
  size_t done = 0;
  int rc;
  while ((rc = mpg123_read(h, buf.data(), buf.size(), &done)) == MPG123_OK || rc == MPG123_NEW_FORMAT || done > 0) {
    const int16_t* s = reinterpret_cast<const int16_t*>(buf.data());
    for (size_t i = 0; i + 1 < done / 2; i += 2) mono.push_back((s[i] + s[i + 1]) / 65536.0f);
    if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) break;
  }
  mpg123_close(h);
  mpg123_delete(h);
  double seconds = double(mono.size()) / 44100;
  EXPECT_GT(seconds, 233.5);
  EXPECT_LT(seconds, 245.0);

  auto rms = [&](double a, double b) {
    size_t i0 = size_t(a * 44100), i1 = std::min(mono.size(), size_t(b * 44100));
    double s = 0;
    for (size_t i = i0; i < i1; ++i) s += mono[i] * mono[i];
    return i1 > i0 ? std::sqrt(s / double(i1 - i0)) : 0.0;
  };
  auto peak = [&](double a, double b) {
    float p = 0;
    for (size_t i = size_t(a * 44100); i < std::min(mono.size(), size_t(b * 44100)); ++i) p = std::max(p, std::fabs(mono[i]));
    return p;
  };
  // Music plays throughout, in every section of the run.
  for (double t = 1; t < 231; t += 6) EXPECT_GT(rms(t, t + 6), 0.01) << "near-silence from " << t << " s";
  // Every beat-timed moment carries a hit: the peak just after it stands out above the level
  // in the moment before it.
  for (double t : musicHitTimes()) EXPECT_GT(peak(t, t + 0.1), 1.5 * rms(t - 0.12, t - 0.02)) << "hit at " << t;
  // Faded out at the end.
  EXPECT_LT(rms(seconds - 0.5, seconds), 0.002);
}

namespace {

struct ChunkView {
  uint16_t id;
  size_t start, dataStart, end;
};

struct Walk {
  const std::vector<uint8_t>& b;
  std::vector<std::string> materials;
  std::vector<std::string> errors;
  int version = 0, objects = 0, triangles = 0;
  bool objectSeen = false;
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f, minZ = 1e9f, maxZ = -1e9f;

  uint16_t u16(size_t o) const { return uint16_t(b[o] | b[o + 1] << 8); }
  uint32_t u32(size_t o) const { return u16(o) | uint32_t(u16(o + 2)) << 16; }
  float f32(size_t o) const {
    uint32_t v = u32(o);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
  }
  bool chunkAt(size_t at, size_t limit, ChunkView& c) {
    if (at + 6 > limit) {
      errors.push_back("truncated chunk header");
      return false;
    }
    c.id = u16(at);
    c.start = at;
    c.dataStart = at + 6;
    c.end = at + u32(at + 2);
    if (c.end > limit || c.end < c.dataStart) {
      errors.push_back("chunk runs past its parent");
      return false;
    }
    return true;
  }
  std::string cstr(size_t at, size_t limit) const {
    std::string s;
    while (at < limit && b[at]) s += char(b[at++]);
    return s;
  }
  std::vector<ChunkView> children(size_t from, size_t to) {
    std::vector<ChunkView> out;
    ChunkView c;
    for (size_t at = from; at < to && chunkAt(at, to, c); at = c.end) out.push_back(c);
    return out;
  }
  void material(const ChunkView& m) {
    if (objectSeen) errors.push_back("material after an object");
    std::string name, file;
    for (const ChunkView& c : children(m.dataStart, m.end)) {
      if (c.id == 0xA000) name = cstr(c.dataStart, c.end);
      if (c.id == 0xA200)
        for (const ChunkView& s : children(c.dataStart, c.end))
          if (s.id == 0xA300) file = cstr(s.dataStart, s.end);
    }
    if (name.empty() || file.empty()) errors.push_back("material without a name or a texture file");
    if (name.size() >= 255 || file.size() >= 255) errors.push_back("material name too long");
    materials.push_back(name);
  }
  void object(const ChunkView& o) {
    objectSeen = true;
    ++objects;
    std::string name = cstr(o.dataStart, o.end);
    size_t meshAt = o.dataStart + name.size() + 1;
    int vertices = -1, texCoords = -1;
    bool textured = false;
    for (const ChunkView& mesh : children(meshAt, o.end)) {
      if (mesh.id != 0x4100) continue;
      for (const ChunkView& c : children(mesh.dataStart, mesh.end)) {
        if (c.id == 0x4110) {
          vertices = u16(c.dataStart);
          if (c.end - c.dataStart != 2 + size_t(vertices) * 12) errors.push_back(name + ": vertex chunk size");
          for (int v = 0; v < vertices; ++v) {
            // Stored (x, y, z) becomes (x, z, -y) in the show.
            float x = f32(c.dataStart + 2 + 12 * v), y = f32(c.dataStart + 6 + 12 * v), z = f32(c.dataStart + 10 + 12 * v);
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, z), maxY = std::max(maxY, z);
            minZ = std::min(minZ, -y), maxZ = std::max(maxZ, -y);
          }
        } else if (c.id == 0x4140) {
          texCoords = u16(c.dataStart);
          if (c.end - c.dataStart != 2 + size_t(texCoords) * 8) errors.push_back(name + ": texture chunk size");
        } else if (c.id == 0x4120) {
          int faces = u16(c.dataStart);
          triangles += faces;
          if (vertices < 0) errors.push_back(name + ": faces before vertices");
          for (int f = 0; f < faces; ++f)
            for (int k = 0; k < 3; ++k)
              if (u16(c.dataStart + 2 + 8 * f + 2 * k) >= vertices) errors.push_back(name + ": face index out of range");
          for (const ChunkView& g : children(c.dataStart + 2 + 8 * size_t(faces), c.end))
            if (g.id == 0x4130) {
              std::string used = cstr(g.dataStart, g.end);
              for (const std::string& m : materials) textured |= m == used;
            }
        }
      }
    }
    if (!textured) errors.push_back(name + ": no textured material group");
    if (texCoords != vertices) errors.push_back(name + ": texture coordinates do not match vertices");
  }
  void walk() {
    ChunkView main;
    if (!chunkAt(0, b.size(), main) || main.id != 0x4D4D || main.end != b.size()) {
      errors.push_back("main chunk missing or not the whole file");
      return;
    }
    for (const ChunkView& c : children(main.dataStart, main.end)) {
      if (c.id == 0x0002) version = int(u32(c.dataStart));
      if (c.id != 0x3D3D) continue;
      std::vector<ChunkView> editor = children(c.dataStart, c.end);
      if (editor.empty() || editor[0].end - editor[0].dataStart > 4) errors.push_back("editor chunk's first sub-chunk");
      for (const ChunkView& e : editor) {
        if (e.id == 0xAFFF) material(e);
        if (e.id == 0x4000) object(e);
      }
    }
  }
};

}  // namespace

TEST(ContentModels, ChunkTreesAreWhatTheReaderExpectsAndModelsFitTheirScenes) {
  struct Expect {
    const char* file;
    float minX, maxX, minY, maxY, minZ, maxZ;
    int maxTriangles;
  };
  // The grid stands in the room scaled by (8, 5, 8) at two heights 45 units apart: it must be
  // shorter than that gap. The grate stands on the title board's platform, below the frame's
  // bottom bar (y 819).
  const Expect expects[] = {
      {"grid.3ds", -25, 25, -2, 43, -25, 25, 5000},
      {"kratka.3ds", 41, 91, 800, 819, 23, 73, 5000},
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.file);
    std::vector<uint8_t> bytes = bytesOf(dataDir() + "/" + e.file);
    ASSERT_GT(bytes.size(), 100u);
    Walk w{bytes, {}, {}};
    w.walk();
    for (const std::string& err : w.errors) ADD_FAILURE() << err;
    EXPECT_EQ(w.version, 3);
    EXPECT_GE(w.materials.size(), 1u);
    EXPECT_GE(w.objects, 2);
    EXPECT_LE(w.triangles, e.maxTriangles);
    EXPECT_GE(w.minX, e.minX);
    EXPECT_LE(w.maxX, e.maxX);
    EXPECT_GE(w.minY, e.minY);
    EXPECT_LE(w.maxY, e.maxY);
    EXPECT_GE(w.minZ, e.minZ);
    EXPECT_LE(w.maxZ, e.maxZ);
    // Upright and of a real size: it spans most of its allowed box in every direction.
    EXPECT_GT(w.maxY - w.minY, 0.3f * (e.maxY - e.minY));
    EXPECT_GT(w.maxX - w.minX, 0.6f * (e.maxX - e.minX));
  }
}

TEST(ContentGenerator, TwoRunsWriteIdenticalBytes) {
  const char* tool = std::getenv("KS_CONTENT_TOOL");
  ASSERT_NE(tool, nullptr);
  fs::path dir = fs::temp_directory_path() / ("ks-content-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  std::string cmd = std::string(tool) + " generate " + dir.string();
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  int files = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dataDir())) {
    std::string name = e.path().filename().string();
    if (name[0] == '.') continue;
    SCOPED_TRACE(name);
    ++files;
    EXPECT_TRUE(readFile(e.path().string()) == readFile((dir / "data" / name).string()));
  }
  EXPECT_EQ(files, 27);
  size_t written = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir / "data")) written += e.path().filename().string()[0] != '.';
  EXPECT_EQ(written, 27u);
  fs::remove_all(dir);
}

// The desktop icon: a 256 x 256 RGBA PNG, transparent in its corners, opaque in the middle,
// with the light strand crossing the middle on the dark disc.
TEST(ContentIcon, IsARgbaPngWithATransparentSurroundAndALightStrand) {
  std::vector<float> alpha;
  Image icon = makeIcon(&alpha);
  ASSERT_EQ(icon.width, 256);
  ASSERT_EQ(icon.height, 256);
  ASSERT_EQ(alpha.size(), size_t(256 * 256));
  for (int corner : {0, 255, 255 * 256, 256 * 256 - 1}) EXPECT_EQ(alpha[size_t(corner)], 0.0f);
  EXPECT_EQ(alpha[128 * 256 + 128], 1.0f);
  // The strand passes the middle column at mid height (the wave crosses there); above it, the disc.
  Rgb strand = icon.get(128, 128), disc = icon.get(128, 40);
  EXPECT_GT(strand.r + strand.g + strand.b, 2.5f);
  EXPECT_LT(disc.r + disc.g + disc.b, 1.2f);

  std::string path = "/tmp/ks-icon-test-" + std::to_string(getpid()) + ".png";
  ASSERT_TRUE(writePng(path, icon, &alpha));
  unsigned char header[26] = {};
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fread(header, 1, sizeof(header), f), sizeof(header));
  std::fclose(f);
  std::remove(path.c_str());
  EXPECT_EQ(std::memcmp(header + 1, "PNG", 3), 0);
  EXPECT_EQ(header[24], 8);  // bits per channel
  EXPECT_EQ(header[25], 6);  // colour type: RGB with alpha
}
