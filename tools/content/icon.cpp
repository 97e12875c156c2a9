// `icon FILE.png`: the program's 256 x 256 icon for desktop menus: a light strand winding
// across a violet disc, in the colours of the title picture, transparent around the disc.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "content.h"

Image makeIcon(std::vector<float>* alpha) {
  const int size = 256;
  Image img(size, size, rgb(0, 0, 0));
  alpha->assign(size_t(size) * size, 0.0f);
  // The disc: violet, brighter to the middle, opaque inside, its edge anti-aliased over one
  // pixel, transparent around it.
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float dx = (x + 0.5f - 128) / 120.0f, dy = (y + 0.5f - 128) / 120.0f;
      float r = std::sqrt(dx * dx + dy * dy);
      img.set(x, y, mix(rgb255(70, 50, 120), rgb255(20, 14, 40), clamp01(r)));
      (*alpha)[size_t(y) * size + x] = clamp01((1.0f - r) * 120.0f);
    }
  // The strand: two turns of a wave, a soft glow under a light core.
  Image glow(size, size, rgb(0, 0, 0));
  auto strand = [](Image& target, float radius, Rgb color) {
    const int steps = 64;
    for (int i = 0; i < steps; ++i) {
      float t0 = float(i) / steps, t1 = float(i + 1) / steps;
      auto at = [](float t, float* x, float* y) {
        *x = 40 + 176 * t;
        *y = 128 + 52 * std::sin(t * 4 * 3.14159265f) * std::sin(t * 3.14159265f);
      };
      float x0, y0, x1, y1;
      at(t0, &x0, &y0);
      at(t1, &x1, &y1);
      drawLine(target, x0, y0, x1, y1, radius, color);
    }
  };
  strand(glow, 14, rgb255(150, 120, 220));
  blur(glow, 6);
  for (size_t i = 0; i < img.pixels.size(); ++i) img.pixels[i] = std::min(1.0f, img.pixels[i] + glow.pixels[i]);
  strand(img, 6, rgb(1, 1, 1));
  return img;
}

int iconCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: kelvo-content icon FILE.png\n");
    return 2;
  }
  std::vector<float> alpha;
  Image icon = makeIcon(&alpha);
  if (!writePng(args[0], icon, &alpha)) {
    std::fprintf(stderr, "kelvo-content: %s: cannot write\n", args[0].c_str());
    return 1;
  }
  return 0;
}
