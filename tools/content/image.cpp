#include "image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <jpeglib.h>
#include <png.h>

Rgb mix(Rgb a, Rgb b, float t) {
  return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scale(Rgb a, float s) { return Rgb{a.r * s, a.g * s, a.b * s}; }

static int wrapIndex(int v, int n) {
  int m = v % n;
  return m < 0 ? m + n : m;
}

Image::Image(int w, int h, Rgb fill) : width(w), height(h), pixels(size_t(w) * h * 3) {
  for (size_t i = 0; i < pixels.size(); i += 3) {
    pixels[i] = fill.r;
    pixels[i + 1] = fill.g;
    pixels[i + 2] = fill.b;
  }
}

Rgb Image::get(int x, int y) const {
  size_t i = (size_t(wrapIndex(y, height)) * width + wrapIndex(x, width)) * 3;
  return Rgb{pixels[i], pixels[i + 1], pixels[i + 2]};
}

void Image::set(int x, int y, Rgb c) {
  size_t i = (size_t(wrapIndex(y, height)) * width + wrapIndex(x, width)) * 3;
  pixels[i] = c.r;
  pixels[i + 1] = c.g;
  pixels[i + 2] = c.b;
}

void Image::blend(int x, int y, Rgb c, float coverage) {
  if (coverage <= 0.0f) return;
  if (coverage > 1.0f) coverage = 1.0f;
  set(x, y, mix(get(x, y), c, coverage));
}

uint32_t hash3(int x, int y, int seed) {
  uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ uint32_t(seed) * 0xcb1ab31fu;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  h ^= h >> 15;
  return h;
}

float hashUnit(int x, int y, int seed) { return (hash3(x, y, seed) & 0xffffff) / float(0xffffff); }

float smoothstep(float a, float b, float x) {
  float t = clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}

float clamp01(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }

float valueNoise(float x, float y, int period, int seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto at = [&](int a, int b) {
    if (period > 0) {
      a = wrapIndex(a, period);
      b = wrapIndex(b, period);
    }
    return hashUnit(a, b, seed);
  };
  float a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fbm(float x, float y, int basePeriod, int octaves, int seed) {
  float sum = 0, amp = 0.5f, norm = 0;
  float f = 1;
  int period = basePeriod;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * valueNoise(x * f, y * f, period, seed + i * 101);
    norm += amp;
    amp *= 0.5f;
    f *= 2;
    period *= 2;
  }
  return sum / norm;
}

float tileFbm(const Image& img, float u, float v, int cells, int octaves, int seed) {
  // The noise lattice has `cells` cells across the picture, so both edges meet.
  float x = u / img.width * cells;
  float y = v / img.height * cells;
  return fbm(x, y, cells, octaves, seed);
}

void paint(Image& img, const std::function<float(float x, float y)>& coverage, Rgb color) {
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) img.blend(x, y, color, coverage(x + 0.5f, y + 0.5f));
}

void fillRect(Image& img, float x0, float y0, float x1, float y1, Rgb color) {
  int ya = int(std::floor(y0)), yb = int(std::ceil(y1));
  int xa = int(std::floor(x0)), xb = int(std::ceil(x1));
  for (int y = ya; y < yb; ++y)
    for (int x = xa; x < xb; ++x) {
      float cx = clamp01(std::min(x + 1.0f, x1) - std::max(float(x), x0));
      float cy = clamp01(std::min(y + 1.0f, y1) - std::max(float(y), y0));
      img.blend(x, y, color, cx * cy);
    }
}

void fillEllipse(Image& img, float cx, float cy, float rx, float ry, Rgb color) {
  int ya = int(std::floor(cy - ry - 1)), yb = int(std::ceil(cy + ry + 1));
  int xa = int(std::floor(cx - rx - 1)), xb = int(std::ceil(cx + rx + 1));
  float r = std::min(rx, ry);
  for (int y = ya; y <= yb; ++y)
    for (int x = xa; x <= xb; ++x) {
      float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
      float d = (std::sqrt(dx * dx + dy * dy) - 1) * r;  // approximate distance in pixels
      img.blend(x, y, color, clamp01(0.5f - d));
    }
}

void drawLine(Image& img, float x0, float y0, float x1, float y1, float radius, Rgb color) {
  int ya = int(std::floor(std::min(y0, y1) - radius - 1)), yb = int(std::ceil(std::max(y0, y1) + radius + 1));
  int xa = int(std::floor(std::min(x0, x1) - radius - 1)), xb = int(std::ceil(std::max(x0, x1) + radius + 1));
  float dx = x1 - x0, dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  for (int y = ya; y <= yb; ++y)
    for (int x = xa; x <= xb; ++x) {
      float px = x + 0.5f - x0, py = y + 0.5f - y0;
      float t = len2 > 0 ? clamp01((px * dx + py * dy) / len2) : 0;
      float ex = px - t * dx, ey = py - t * dy;
      float d = std::sqrt(ex * ex + ey * ey) - radius;
      img.blend(x, y, color, clamp01(0.5f - d));
    }
}

void fillPolygon(Image& img, const std::vector<float>& xy, Rgb color) {
  // 4x4 supersampled even-odd fill.
  size_t n = xy.size() / 2;
  float minY = 1e9f, maxY = -1e9f, minX = 1e9f, maxX = -1e9f;
  for (size_t i = 0; i < n; ++i) {
    minX = std::min(minX, xy[2 * i]);
    maxX = std::max(maxX, xy[2 * i]);
    minY = std::min(minY, xy[2 * i + 1]);
    maxY = std::max(maxY, xy[2 * i + 1]);
  }
  auto inside = [&](float px, float py) {
    bool in = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
      if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
  };
  for (int y = int(minY) - 1; y <= int(maxY) + 1; ++y)
    for (int x = int(minX) - 1; x <= int(maxX) + 1; ++x) {
      int hits = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) hits += inside(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
      img.blend(x, y, color, hits / 16.0f);
    }
}

static std::string findFontFile(const std::string& pattern) {
  std::string result;
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
  if (!pat) return result;
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  if (match) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) result = reinterpret_cast<char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  return result;
}

bool drawText(Image& img, const std::string& text, const std::string& fontPattern, float pixelHeight,
              float cx, float cy, Rgb color, float xScale, float blurRadius, float maxWidth) {
  std::string file = findFontFile(fontPattern);
  if (file.empty()) return false;
  FT_Library lib;
  if (FT_Init_FreeType(&lib)) return false;
  FT_Face face;
  if (FT_New_Face(lib, file.c_str(), 0, &face)) {
    FT_Done_FreeType(lib);
    return false;
  }
  // Size so that capital letters are pixelHeight tall.
  FT_Set_Pixel_Sizes(face, 0, 100);
  float capHeight = 72.0f;
  if (FT_Load_Char(face, 'H', FT_LOAD_DEFAULT) == 0) capHeight = face->glyph->metrics.height / 64.0f;
  int ppem = std::max(4, int(std::lround(100.0f * pixelHeight / capHeight)));
  FT_Set_Pixel_Sizes(face, 0, ppem);
  FT_Matrix m;
  m.xx = FT_Fixed(xScale * 65536.0f);
  m.xy = 0;
  m.yx = 0;
  m.yy = 0x10000;
  FT_Set_Transform(face, &m, nullptr);

  // Render into a coverage mask first, measure it, then place it centred.
  struct Glyph {
    std::vector<unsigned char> bits;
    int w, h, left, top;
    float penX;
  };
  std::vector<Glyph> glyphs;
  float pen = 0;
  int minX = 1 << 30, maxX = -(1 << 30), maxTop = -(1 << 30), minBottom = 1 << 30;
  for (unsigned char ch : text) {
    if (FT_Load_Char(face, ch, FT_LOAD_RENDER)) continue;
    FT_GlyphSlot g = face->glyph;
    Glyph gl;
    gl.w = int(g->bitmap.width);
    gl.h = int(g->bitmap.rows);
    gl.left = g->bitmap_left;
    gl.top = g->bitmap_top;
    gl.penX = pen;
    gl.bits.resize(size_t(gl.w) * gl.h);
    for (int r = 0; r < gl.h; ++r)
      std::memcpy(&gl.bits[size_t(r) * gl.w], g->bitmap.buffer + r * g->bitmap.pitch, size_t(gl.w));
    if (gl.w > 0) {
      minX = std::min(minX, int(pen) + gl.left);
      maxX = std::max(maxX, int(pen) + gl.left + gl.w);
    }
    if (ch != ' ') {
      maxTop = std::max(maxTop, gl.top);
      minBottom = std::min(minBottom, gl.top - gl.h);
    }
    pen += g->advance.x / 64.0f;
    glyphs.push_back(std::move(gl));
  }
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  if (glyphs.empty() || maxX <= minX) return false;
  if (maxWidth > 0 && maxX - minX > maxWidth)
    return drawText(img, text, fontPattern, pixelHeight * maxWidth / float(maxX - minX + 2), cx, cy, color, xScale,
                    blurRadius, maxWidth);

  // Centre on the cap height so that text sits where asked whatever its descenders.
  int maskW = maxX - minX + 2, maskTop = std::max(maxTop, int(capHeight)), maskH = maskTop - minBottom + 2;
  std::vector<float> mask(size_t(maskW) * maskH, 0.0f);
  for (const Glyph& gl : glyphs)
    for (int r = 0; r < gl.h; ++r)
      for (int c = 0; c < gl.w; ++c) {
        int mx = int(gl.penX) + gl.left + c - minX + 1;
        int my = maskTop - gl.top + r + 1;
        if (mx >= 0 && mx < maskW && my >= 0 && my < maskH)
          mask[size_t(my) * maskW + mx] = std::max(mask[size_t(my) * maskW + mx], gl.bits[size_t(r) * gl.w + c] / 255.0f);
      }
  float capTopY = float(maskTop - int(std::lround(pixelHeight)) + 1);
  float originX = cx - (maxX - minX) / 2.0f - 1;
  float originY = cy - pixelHeight / 2.0f - capTopY;
  int b = int(std::ceil(blurRadius));
  for (int y = -b; y < maskH + b; ++y)
    for (int x = -b; x < maskW + b; ++x) {
      float cov = 0;
      if (b == 0) {
        cov = mask[size_t(y) * maskW + x];
      } else {
        // Soft glow: averaged coverage over a disc.
        float sum = 0;
        int count = 0;
        for (int dy = -b; dy <= b; ++dy)
          for (int dx = -b; dx <= b; ++dx) {
            if (dx * dx + dy * dy > b * b) continue;
            int sx = x + dx, sy = y + dy;
            ++count;
            if (sx >= 0 && sx < maskW && sy >= 0 && sy < maskH) sum += mask[size_t(sy) * maskW + sx];
          }
        cov = sum / count;
      }
      int px = int(std::lround(originX)) + x, py = int(std::lround(originY)) + y;
      if (px < 0 || py < 0 || px >= img.width || py >= img.height) continue;
      img.blend(px, py, color, cov);
    }
  return true;
}

void flipVertical(Image& img) {
  size_t row = size_t(img.width) * 3;
  for (int y = 0; y < img.height / 2; ++y)
    std::swap_ranges(img.pixels.begin() + y * row, img.pixels.begin() + (y + 1) * row,
                     img.pixels.begin() + (img.height - 1 - y) * row);
}

void blur(Image& img, int radius) {
  Image tmp = img;
  float n = float(2 * radius + 1);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      Rgb s{0, 0, 0};
      for (int d = -radius; d <= radius; ++d) {
        Rgb c = img.get(x + d, y);
        s = Rgb{s.r + c.r, s.g + c.g, s.b + c.b};
      }
      tmp.set(x, y, scale(s, 1 / n));
    }
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      Rgb s{0, 0, 0};
      for (int d = -radius; d <= radius; ++d) {
        Rgb c = tmp.get(x, y + d);
        s = Rgb{s.r + c.r, s.g + c.g, s.b + c.b};
      }
      img.set(x, y, scale(s, 1 / n));
    }
}

static std::vector<unsigned char> toBytes(const Image& img) {
  std::vector<unsigned char> out(img.pixels.size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = (unsigned char)std::lround(clamp01(img.pixels[i]) * 255.0f);
  return out;
}

bool writeJpeg(const std::string& path, const Image& img, int quality) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::vector<unsigned char> bytes = toBytes(img);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = JDIMENSION(img.width);
  cinfo.image_height = JDIMENSION(img.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);  // baseline, Huffman, 4:2:0
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &bytes[size_t(cinfo.next_scanline) * img.width * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(f) == 0;
}

bool writePng(const std::string& path, const Image& img, const std::vector<float>* alpha) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  std::vector<unsigned char> bytes = toBytes(img);
  int channels = alpha ? 4 : 3;
  if (alpha) {
    std::vector<unsigned char> rgba;
    rgba.reserve(bytes.size() / 3 * 4);
    for (size_t i = 0; i * 3 < bytes.size(); ++i) {
      rgba.insert(rgba.end(), &bytes[i * 3], &bytes[i * 3] + 3);
      rgba.push_back((unsigned char)std::lround(clamp01((*alpha)[i]) * 255.0f));
    }
    bytes.swap(rgba);
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(img.width), png_uint_32(img.height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < img.height; ++y) png_write_row(png, &bytes[size_t(y) * img.width * channels]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

static void put16(std::vector<unsigned char>& v, uint32_t x) {
  v.push_back(x & 0xff);
  v.push_back((x >> 8) & 0xff);
}
static void put32(std::vector<unsigned char>& v, uint32_t x) {
  put16(v, x & 0xffff);
  put16(v, x >> 16);
}

bool writeBmp24(const std::string& path, const Image& img) {
  std::vector<unsigned char> bytes = toBytes(img);
  uint32_t rowSize = (uint32_t(img.width) * 3 + 3) & ~3u;
  uint32_t dataSize = rowSize * uint32_t(img.height);
  std::vector<unsigned char> out;
  out.push_back('B');
  out.push_back('M');
  put32(out, 54 + dataSize);
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);  // BITMAPINFOHEADER
  put32(out, uint32_t(img.width));
  put32(out, uint32_t(img.height));  // positive: rows stored bottom-up
  put16(out, 1);
  put16(out, 24);
  put32(out, 0);  // BI_RGB
  put32(out, dataSize);
  put32(out, 2835);
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int y = img.height - 1; y >= 0; --y) {
    for (int x = 0; x < img.width; ++x) {
      const unsigned char* p = &bytes[(size_t(y) * img.width + x) * 3];
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
    for (uint32_t pad = uint32_t(img.width) * 3; pad < rowSize; ++pad) out.push_back(0);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return (std::fclose(f) == 0) && ok;
}
