// Small RGB picture toolkit for the content generator: float pixels, tileable noise,
// anti-aliased shapes, FreeType text, and writers for JPEG, PNG and 24-bit BMP.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
  float r, g, b;
};

inline Rgb rgb(float r, float g, float b) { return Rgb{r, g, b}; }
inline Rgb rgb255(int r, int g, int b) { return Rgb{r / 255.0f, g / 255.0f, b / 255.0f}; }
Rgb mix(Rgb a, Rgb b, float t);
Rgb scale(Rgb a, float s);

struct Image {
  int width = 0;
  int height = 0;
  std::vector<float> pixels;  // R, G, B per pixel, 0..1, top row first

  Image(int w, int h, Rgb fill = Rgb{0, 0, 0});
  Rgb get(int x, int y) const;  // coordinates wrap around
  void set(int x, int y, Rgb c);  // coordinates wrap around
  void blend(int x, int y, Rgb c, float coverage);  // coordinates wrap around
};

// Deterministic hashing and noise. Noise with a period tiles seamlessly over that many units.
uint32_t hash3(int x, int y, int seed);
float hashUnit(int x, int y, int seed);  // 0..1
float valueNoise(float x, float y, int period, int seed);
// Fractal sum of `octaves` layers; layer i has frequency 2^i and period basePeriod * 2^i.
float fbm(float x, float y, int basePeriod, int octaves, int seed);
// Same, sampled so that a picture of `size` pixels tiles: u, v in pixels.
float tileFbm(const Image& img, float u, float v, int cells, int octaves, int seed);

float smoothstep(float a, float b, float x);
float clamp01(float x);

// Runs `shade` for every pixel centre; the result is written with the returned coverage.
void paint(Image& img, const std::function<float(float x, float y)>& coverage, Rgb color);
void fillRect(Image& img, float x0, float y0, float x1, float y1, Rgb color);
void fillEllipse(Image& img, float cx, float cy, float rx, float ry, Rgb color);
// Thick segment with round ends; coordinates wrap, so it tiles.
void drawLine(Image& img, float x0, float y0, float x1, float y1, float radius, Rgb color);
void fillPolygon(Image& img, const std::vector<float>& xy, Rgb color);

// Text rasterised from an installed font matched by fontconfig (e.g. "DejaVu Sans:bold").
// The text is centred on (cx, cy) at the given pixel height; xScale squeezes it horizontally.
// A text wider than maxWidth (when given) is drawn smaller to fit.
// Returns false when no font can be found or rendered.
bool drawText(Image& img, const std::string& text, const std::string& fontPattern, float pixelHeight,
              float cx, float cy, Rgb color, float xScale = 1.0f, float blurRadius = 0.0f,
              float maxWidth = 0.0f);

void flipVertical(Image& img);
// Box blur of the given radius, with wrap-around.
void blur(Image& img, int radius);

bool writeJpeg(const std::string& path, const Image& img, int quality);
// With `alpha` (0..1 a pixel), an RGBA picture: transparent where alpha is 0.
bool writePng(const std::string& path, const Image& img, const std::vector<float>* alpha = nullptr);
bool writeBmp24(const std::string& path, const Image& img);
