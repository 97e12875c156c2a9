// The 23 texture pictures and the loading bitmap.
//
// The shapes map the top of a face to the bottom row of its picture (texture row 0 is t = 0), so
// pictures that must read upright on a face (text, faces, the clock) are drawn upright and then
// flipped before they are written. Tiling pictures use noise with a period of the picture and
// wrap-around drawing, so their edges meet.
#include <cmath>

#include "content.h"

namespace {

const float kPi = 3.14159265f;
const char* kBoldSans = "DejaVu Sans:bold";
const char* kBoldSerif = "DejaVu Serif:bold";

Rgb add(Rgb a, Rgb b) { return Rgb{a.r + b.r, a.g + b.g, a.b + b.b}; }

// Four-stop colour ramp over t in 0..1.
Rgb ramp(float t, Rgb a, Rgb b, Rgb c, Rgb d) {
  t = clamp01(t) * 3;
  if (t < 1) return mix(a, b, t);
  if (t < 2) return mix(b, c, t - 1);
  return mix(c, d, t - 2);
}

// Red brick wall: 8 courses of 64-pixel bricks in running bond.
Image makeWall() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      int row = y / 32;
      int shifted = x + (row % 2) * 32;
      int brick = (shifted / 64) % 4;
      float bx = float(shifted % 64), by = float(y % 32);
      float edge = std::min(std::min(bx, 63 - bx), std::min(by, 31 - by));
      float tone = hashUnit(brick, row, 11);
      Rgb base = mix(rgb255(150, 58, 40), rgb255(184, 92, 60), tone);
      if (hashUnit(brick, row, 12) > 0.8f) base = mix(base, rgb255(90, 40, 34), 0.5f);
      float grain = tileFbm(img, x, y, 32, 4, 13);
      Rgb c = scale(base, 0.75f + 0.5f * grain);
      c = scale(c, 0.8f + 0.2f * smoothstep(1.5f, 5.0f, edge));
      Rgb mortar = scale(rgb255(190, 182, 168), 0.8f + 0.3f * tileFbm(img, x, y, 64, 3, 14));
      img.set(x, y, mix(mortar, c, smoothstep(1.2f, 2.4f, edge)));
    }
  return img;
}

// Cool grey ashlar: 4 courses of large dressed stones, different from the brick wall.
Image makeSciana() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      int row = y / 64;
      int shifted = x + (row % 2) * 64;
      int block = (shifted / 128) % 2;
      float bx = float(shifted % 128), by = float(y % 64);
      float edge = std::min(std::min(bx, 127 - bx), std::min(by, 63 - by));
      float tone = hashUnit(block, row, 21);
      Rgb base = mix(rgb255(104, 116, 124), rgb255(150, 156, 150), tone);
      float n = tileFbm(img, x, y, 16, 5, 22);
      float stain = smoothstep(0.55f, 0.8f, tileFbm(img, x, y, 8, 3, 23));
      Rgb c = scale(base, 0.7f + 0.55f * n);
      c = mix(c, rgb255(70, 84, 80), 0.35f * stain);
      // Chiselled bevel: light upper-left edge, dark lower-right edge.
      float bevel = 0;
      if (bx < 6 || by < 6) bevel = 0.18f * (1 - std::min(bx, by) / 6);
      if (127 - bx < 6 || 63 - by < 6) bevel = -0.25f * (1 - std::min(127 - bx, 63 - by) / 6);
      c = add(c, rgb(bevel, bevel, bevel));
      Rgb joint = rgb255(38, 42, 46);
      img.set(x, y, mix(joint, c, smoothstep(0.8f, 2.0f, edge)));
    }
  return img;
}

// Diamond-plate steel tread.
Image makeStep() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float brushed = 0.6f * tileFbm(img, x * 1.0f, y, 64, 2, 33) + 0.4f * tileFbm(img, x, y, 16, 4, 32);
      Rgb c = scale(rgb255(150, 154, 160), 0.8f + 0.3f * brushed);
      // Raised lozenges on a 32-pixel lattice, alternating direction.
      int cx = x / 32, cy = y / 32;
      float lx = (x % 32) - 15.5f, ly = (y % 32) - 15.5f;
      float ang = ((cx + cy) % 2 == 0) ? kPi / 4 : -kPi / 4;
      float u = lx * std::cos(ang) + ly * std::sin(ang);
      float v = -lx * std::sin(ang) + ly * std::cos(ang);
      float d = (u * u) / (12 * 12) + (v * v) / (3.2f * 3.2f);
      if (d < 1) {
        float light = v < 0 ? 0.35f : -0.25f;
        float rim = smoothstep(0.55f, 1.0f, d);
        c = add(c, scale(rgb(1, 1, 1), light * rim + 0.12f * (1 - rim)));
      }
      img.set(x, y, c);
    }
  return img;
}

// Tileable flare: molten orange and gold streaks on deep red.
Image makeFlara() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float warp = tileFbm(img, x, y, 4, 4, 41);
      float n = tileFbm(img, x + 64 * warp, y + 40 * warp, 8, 5, 42);
      float ridge = 1 - std::fabs(2 * tileFbm(img, x, y, 4, 5, 43) - 1);
      float t = clamp01(0.2f + 0.9f * n * n + 0.45f * std::pow(ridge, 6.0f));
      img.set(x, y, ramp(t, rgb255(50, 6, 4), rgb255(170, 50, 10), rgb255(245, 160, 40), rgb255(255, 245, 200)));
    }
  return img;
}

// Tileable background energy: violet fog with bright blue filaments.
Image makeTlo() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float fog = tileFbm(img, x, y, 4, 5, 51);
      float warp = tileFbm(img, x, y, 4, 3, 52);
      float ridge = 1 - std::fabs(2 * tileFbm(img, x + 50 * warp, y - 50 * warp, 4, 5, 53) - 1);
      float fil = std::pow(ridge, 8.0f);
      Rgb c = mix(rgb255(18, 10, 48), rgb255(90, 50, 150), fog);
      c = add(c, scale(rgb255(120, 190, 255), 1.1f * fil));
      img.set(x, y, c);
    }
  return img;
}

// Tileable water: teal depths with bright caustic lines.
Image makeWater() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float deep = tileFbm(img, x, y, 4, 4, 61);
      float w1 = 1 - std::fabs(2 * tileFbm(img, x, y, 8, 3, 62) - 1);
      float w2 = 1 - std::fabs(2 * tileFbm(img, x + 17, y + 33, 8, 3, 63) - 1);
      float caustic = std::pow(w1, 10.0f) + std::pow(w2, 10.0f);
      Rgb c = mix(rgb255(6, 40, 80), rgb255(20, 110, 140), deep);
      c = add(c, scale(rgb255(170, 235, 255), 0.8f * caustic));
      img.set(x, y, c);
    }
  return img;
}

// Printed circuit board: green laminate, copper traces, pads and chips; tiles.
Image makeBoard() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      img.set(x, y, scale(rgb255(18, 92, 44), 0.8f + 0.3f * tileFbm(img, x, y, 32, 3, 71)));
  Rgb copper = rgb255(200, 170, 80);
  Rgb copperDark = rgb255(120, 98, 40);
  // Traces: random walks on a 16-pixel grid, with 45-degree bends.
  for (int t = 0; t < 18; ++t) {
    float x = 8 + 16 * float(hash3(t, 0, 72) % 16), y = 8 + 16 * float(hash3(t, 1, 72) % 16);
    fillEllipse(img, x, y, 4.5f, 4.5f, copper);
    int dir = int(hash3(t, 2, 72) % 4);
    for (int s = 0; s < 4; ++s) {
      int len = 1 + int(hash3(t, 10 + s, 72) % 4);
      float dx = (dir == 0) - (dir == 2), dy = (dir == 1) - (dir == 3);
      bool diag = hash3(t, 20 + s, 72) % 3 == 0;
      float ex = x + dx * 16 * len + (diag ? dy * 16 : 0), ey = y + dy * 16 * len + (diag ? dx * 16 : 0);
      drawLine(img, x, y, ex, ey, 1.5f, copper);
      x = ex;
      y = ey;
      dir = (dir + (hash3(t, 30 + s, 72) % 2 ? 1 : 3)) % 4;
    }
    fillEllipse(img, x, y, 4.5f, 4.5f, copper);
    fillEllipse(img, x, y, 1.8f, 1.8f, rgb255(20, 30, 20));
  }
  // Chips with legs.
  for (int c = 0; c < 4; ++c) {
    float x0 = 16 + 64 * float(c % 2) * 2 + 8 * float(hash3(c, 3, 73) % 3);
    float y0 = 24 + 128 * float(c / 2) + 8 * float(hash3(c, 4, 73) % 3);
    float w = 56, h = 28;
    for (int p = 0; p < 7; ++p) {
      float px = x0 + 6 + p * 7.5f;
      fillRect(img, px, y0 - 5, px + 3, y0 + h + 5, rgb255(210, 210, 200));
    }
    fillRect(img, x0, y0, x0 + w, y0 + h, rgb255(28, 28, 32));
    fillRect(img, x0 + 1, y0 + 1, x0 + w - 1, y0 + 3, rgb255(60, 60, 66));
    fillEllipse(img, x0 + 6, y0 + h / 2, 2.5f, 2.5f, rgb255(70, 70, 76));
  }
  // Vias.
  for (int v = 0; v < 40; ++v) {
    float x = float(hash3(v, 5, 74) % 256), y = float(hash3(v, 6, 74) % 256);
    fillEllipse(img, x, y, 2.6f, 2.6f, copperDark);
    fillEllipse(img, x, y, 1.1f, 1.1f, rgb255(10, 20, 10));
  }
  return img;
}

// Office facade: 4 x 4 windows per tile, some lit, between concrete bands.
Image makeBuild() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float n = tileFbm(img, x, y, 32, 4, 81);
      Rgb c = scale(rgb255(160, 156, 146), 0.75f + 0.35f * n);
      if (y % 64 >= 56) c = scale(c, 0.8f);  // floor band
      img.set(x, y, c);
    }
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) {
      float x0 = col * 64 + 12, y0 = row * 64 + 10, x1 = x0 + 40, y1 = y0 + 40;
      fillRect(img, x0 - 3, y0 - 3, x1 + 3, y1 + 3, rgb255(60, 62, 66));
      bool lit = hashUnit(col, row, 82) > 0.6f;
      for (int y = int(y0); y < int(y1); ++y)
        for (int x = int(x0); x < int(x1); ++x) {
          float t = (y - y0) / 40.0f;
          Rgb glass = lit ? mix(rgb255(255, 220, 130), rgb255(210, 150, 60), t)
                          : mix(rgb255(120, 160, 200), rgb255(30, 50, 80), t + 0.3f * ((x - x0) / 40.0f));
          img.set(x, y, glass);
        }
      // Mullion, transom and sill.
      fillRect(img, x0 + 19, y0, x0 + 21, y1, rgb255(70, 72, 76));
      fillRect(img, x0, y0 + 14, x1, y0 + 16, rgb255(70, 72, 76));
      fillRect(img, x0 - 5, y1 + 3, x1 + 5, y1 + 6, rgb255(205, 200, 190));
    }
  return img;
}

// Sky over distant hills: reads as a landscape when sphere-mapped.
Image makeTeren() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float fy = y / 255.0f;
      float hill = 0.56f - 0.12f * fbm(x / 40.0f, 0.5f, 0, 5, 91);
      Rgb c;
      if (fy < hill) {
        float t = fy / hill;
        c = mix(rgb255(28, 70, 160), rgb255(200, 220, 240), std::pow(t, 1.6f));
        float cloud = smoothstep(0.45f, 0.8f, fbm(x / 48.0f, y / 24.0f, 0, 5, 92));
        c = mix(c, rgb255(250, 250, 250), cloud * 0.85f * (1 - t * 0.5f));
        float sx = x - 180.0f, sy = y - 90.0f;
        float sun = std::exp(-(sx * sx + sy * sy) / 900.0f);
        c = add(c, scale(rgb255(255, 220, 160), 0.8f * sun));
      } else {
        float t = (fy - hill) / (1 - hill);
        float n = fbm(x / 16.0f, y / 8.0f, 0, 5, 93);
        c = mix(rgb255(70, 110, 60), rgb255(60, 44, 26), t);
        c = scale(c, 0.65f + 0.6f * n);
        if (fy < hill + 0.02f) c = mix(rgb255(90, 100, 120), c, (fy - hill) / 0.02f);
      }
      img.set(x, y, c);
    }
  return img;
}

// Nebula: warped magenta, blue and teal clouds with stars.
Image makeQuenta() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float w = fbm(x / 64.0f, y / 64.0f, 0, 4, 101);
      float a = fbm(x / 48.0f + 2 * w, y / 48.0f - w, 0, 5, 102);
      float b = fbm(x / 32.0f - w, y / 32.0f + 2 * w, 0, 5, 103);
      Rgb c = rgb255(4, 2, 16);
      c = add(c, scale(rgb255(210, 40, 160), smoothstep(0.35f, 0.8f, a)));
      c = add(c, scale(rgb255(40, 120, 255), smoothstep(0.4f, 0.85f, b)));
      c = add(c, scale(rgb255(60, 230, 200), 0.6f * smoothstep(0.6f, 0.9f, a * b * 1.8f)));
      float star = hashUnit(x, y, 104);
      if (star > 0.996f) c = add(c, scale(rgb(1, 1, 1), (star - 0.996f) / 0.004f));
      img.set(x, y, c);
    }
  return img;
}

// A stone creature glaring out of a dark cave.
Image makeGolem() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float n = fbm(x / 32.0f, y / 32.0f, 0, 4, 111);
      img.set(x, y, mix(rgb255(20, 16, 14), rgb255(60, 46, 36), n * (1 - y / 400.0f)));
    }
  // Rounded-box distance for head, shoulders and arms.
  auto box = [](float x, float y, float cx, float cy, float hx, float hy, float r) {
    float dx = std::fabs(x - cx) - hx + r, dy = std::fabs(y - cy) - hy + r;
    float ox = std::max(dx, 0.0f), oy = std::max(dy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(dx, dy), 0.0f) - r;
  };
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float d = box(px, py, 128, 94, 60, 56, 22);
      d = std::min(d, box(px, py, 128, 240, 100, 56, 30));
      d = std::min(d, box(px, py, 128, 160, 30, 16, 6));
      d = std::min(d, box(px, py, 40, 200, 40, 36, 30));
      d = std::min(d, box(px, py, 216, 200, 40, 36, 30));
      if (d > 1) continue;
      float n = fbm(px / 20.0f, py / 20.0f, 0, 5, 112);
      float crack = std::pow(1 - std::fabs(2 * fbm(px / 40.0f, py / 40.0f, 0, 4, 113) - 1), 14.0f);
      float light = 0.55f + 0.45f * clamp01(-d / 18.0f) - 0.25f * (px - 128) / 256.0f;
      Rgb stone = scale(mix(rgb255(96, 90, 80), rgb255(150, 142, 124), n), light);
      stone = mix(stone, rgb255(30, 26, 22), 0.8f * crack);
      img.blend(x, y, stone, clamp01(0.5f - d));
    }
  // Brow ridge, glowing eyes and a jagged mouth.
  fillRect(img, 78, 70, 178, 80, rgb255(60, 54, 46));
  for (float ex : {104.0f, 152.0f}) {
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        float dx = x + 0.5f - ex, dy = y + 0.5f - 94;
        float g = std::exp(-(dx * dx + dy * dy) / 220.0f);
        img.set(x, y, add(img.get(x, y), scale(rgb255(255, 140, 20), 0.9f * g)));
      }
    fillEllipse(img, ex, 94, 11, 6, rgb255(255, 210, 90));
    fillEllipse(img, ex, 94, 4, 3, rgb255(255, 255, 220));
  }
  std::vector<float> mouth = {90, 124, 166, 124, 160, 136, 150, 128, 142, 138, 134, 129, 126, 139, 118, 129, 110, 138, 100, 128, 96, 136};
  fillPolygon(img, mouth, rgb255(14, 8, 6));
  flipVertical(img);
  return img;
}

// A skull over a burst of red rays.
Image makeDeath() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float dx = x + 0.5f - 128, dy = y + 0.5f - 120;
      float r = std::sqrt(dx * dx + dy * dy) / 180.0f;
      float a = std::atan2(dy, dx);
      float rays = 0.5f + 0.5f * std::cos(a * 16);
      Rgb c = mix(rgb255(150, 10, 12), rgb255(20, 0, 4), clamp01(r));
      c = mix(c, scale(c, 1.6f), rays * (1 - clamp01(r)));
      img.set(x, y, c);
    }
  Rgb bone = rgb255(236, 228, 204);
  Rgb boneShade = rgb255(180, 166, 138);
  fillEllipse(img, 128, 104, 78, 74, boneShade);
  fillEllipse(img, 124, 100, 74, 70, bone);
  fillRect(img, 84, 150, 172, 196, bone);
  fillEllipse(img, 128, 196, 44, 14, bone);
  // Cheekbones.
  fillEllipse(img, 80, 140, 14, 18, bone);
  fillEllipse(img, 176, 140, 14, 18, bone);
  // Eye sockets with a red glint.
  for (float ex : {98.0f, 158.0f}) {
    fillEllipse(img, ex, 124, 25, 23, rgb255(30, 14, 12));
    fillEllipse(img, ex, 126, 21, 19, rgb255(4, 0, 0));
    fillEllipse(img, ex, 128, 5, 5, rgb255(255, 40, 20));
    fillEllipse(img, ex, 128, 2, 2, rgb255(255, 220, 180));
  }
  // Nose.
  fillPolygon(img, {128, 142, 116, 166, 128, 170, 140, 166}, rgb255(10, 4, 4));
  // Teeth.
  fillRect(img, 94, 180, 162, 206, rgb255(20, 10, 8));
  for (int t = 0; t < 7; ++t) {
    float x0 = 96 + t * 9.5f;
    fillRect(img, x0, 182, x0 + 8, 193, bone);
    fillRect(img, x0, 195, x0 + 8, 204, boneShade);
  }
  // Crack across the crown.
  drawLine(img, 150, 36, 140, 56, 1.5f, rgb255(80, 60, 50));
  drawLine(img, 140, 56, 152, 72, 1.5f, rgb255(80, 60, 50));
  flipVertical(img);
  return img;
}

// A face filling the head's front: hair, brows, eyes, nose and mouth in bold shapes.
Image makeTwarz() {
  Image img(256, 256, rgb255(232, 180, 148));
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float n = fbm(x / 24.0f, y / 24.0f, 0, 3, 121);
      float side = std::fabs(x - 128.0f) / 128.0f;
      img.set(x, y, scale(rgb255(236, 184, 150), 0.92f + 0.1f * n - 0.18f * side * side));
    }
  Rgb hair = rgb255(70, 40, 20);
  for (int x = 0; x < 256; ++x) {
    float fringe = 52 + 12 * std::sin(x * 0.19f) + 6 * std::sin(x * 0.53f);
    fillRect(img, float(x), 0, float(x + 1), fringe, hair);
  }
  fillRect(img, 0, 0, 18, 150, hair);
  fillRect(img, 238, 0, 256, 150, hair);
  // Brows.
  drawLine(img, 62, 88, 106, 82, 5, rgb255(60, 34, 18));
  drawLine(img, 150, 82, 194, 88, 5, rgb255(60, 34, 18));
  // Eyes.
  for (float ex : {84.0f, 172.0f}) {
    fillEllipse(img, ex, 112, 24, 14, rgb255(250, 250, 246));
    fillEllipse(img, ex, 112, 11, 11, rgb255(50, 110, 170));
    fillEllipse(img, ex, 112, 5, 5, rgb255(10, 10, 10));
    fillEllipse(img, ex - 3, 108, 2, 2, rgb255(255, 255, 255));
    drawLine(img, ex - 24, 104, ex + 24, 104, 2, rgb255(90, 50, 36));
  }
  // Nose and its shadow.
  drawLine(img, 128, 120, 120, 158, 3, rgb255(196, 134, 104));
  drawLine(img, 118, 160, 136, 162, 3, rgb255(186, 120, 94));
  // Cheeks.
  fillEllipse(img, 70, 160, 22, 14, rgb255(240, 156, 140));
  fillEllipse(img, 186, 160, 22, 14, rgb255(240, 156, 140));
  // Smiling mouth.
  fillPolygon(img, {90, 190, 128, 200, 166, 190, 150, 212, 128, 218, 106, 212}, rgb255(170, 50, 50));
  drawLine(img, 92, 191, 164, 191, 1.5f, rgb255(110, 30, 30));
  flipVertical(img);
  return img;
}

// Red knitted sleeve with a ribbed cuff.
Image makeReka() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float rib = 0.5f + 0.5f * std::sin(x * 2 * kPi / 8.0f);
      float stitch = 0.5f + 0.5f * std::sin(y * 2 * kPi / 6.0f + (x / 8 % 2) * kPi);
      float n = tileFbm(img, x, y, 16, 3, 131);
      Rgb c = scale(rgb255(176, 32, 40), 0.7f + 0.2f * rib + 0.1f * stitch + 0.15f * n);
      if (y >= 216) c = scale(rgb255(40, 40, 60), 0.7f + 0.5f * rib);
      if (y >= 208 && y < 216) c = rgb255(230, 220, 200);
      img.set(x, y, c);
    }
  return img;
}

// Blue denim with a double orange seam.
Image makeNoga() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float twill = 0.5f + 0.5f * std::sin((x + y) * 2 * kPi / 4.0f);
      float n = tileFbm(img, x, y, 32, 4, 141);
      float fade = tileFbm(img, x, y, 4, 3, 142);
      Rgb c = mix(rgb255(30, 52, 100), rgb255(96, 126, 170), 0.3f * twill + 0.4f * n + 0.3f * fade * fade);
      img.set(x, y, c);
    }
  for (float sx : {26.0f, 34.0f})
    for (int y = 0; y < 256; y += 8) fillRect(img, sx, float(y), sx + 2, float(y + 5), rgb255(220, 150, 50));
  fillRect(img, 29, 0, 31, 256, rgb255(24, 40, 80));
  return img;
}

// Flannel check: red and dark blue tartan over cream.
Rgb flannel(const Image& img, int x, int y, int seed) {
  auto band = [](int p) {
    int m = p % 64;
    if (m < 20) return 1.0f;
    if (m < 24) return 0.0f;
    if (m >= 40 && m < 44) return 0.6f;
    return 0.25f;
  };
  float a = band(x), b = band(y);
  Rgb red = rgb255(170, 30, 36), navy = rgb255(24, 30, 60), cream = rgb255(220, 200, 170);
  Rgb cx = a > 0.9f ? red : (a < 0.1f ? cream : (a > 0.5f ? navy : rgb255(110, 24, 30)));
  Rgb cy = b > 0.9f ? red : (b < 0.1f ? cream : (b > 0.5f ? navy : rgb255(110, 24, 30)));
  bool warp = ((x + y) / 2) % 2 == 0;
  Rgb c = mix(cx, cy, warp ? 0.35f : 0.65f);
  return scale(c, 0.85f + 0.25f * tileFbm(img, x, y, 32, 3, seed));
}

// Shirt front: flannel with a button placket.
Image makeBrzuch() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) img.set(x, y, flannel(img, x, y, 151));
  fillRect(img, 116, 0, 140, 256, rgb255(150, 26, 32));
  drawLine(img, 117, 0, 117, 256, 0.8f, rgb255(60, 10, 14));
  drawLine(img, 139, 0, 139, 256, 0.8f, rgb255(60, 10, 14));
  for (int b = 0; b < 4; ++b) {
    float by = 32 + b * 64.0f;
    fillEllipse(img, 128, by, 8, 8, rgb255(236, 230, 214));
    fillEllipse(img, 126, by - 2, 1.5f, 1.5f, rgb255(90, 80, 70));
    fillEllipse(img, 130, by + 2, 1.5f, 1.5f, rgb255(90, 80, 70));
  }
  // Chest pocket.
  fillRect(img, 156, 40, 210, 44, rgb255(90, 20, 24));
  drawLine(img, 156, 44, 156, 100, 1, rgb255(90, 20, 24));
  drawLine(img, 210, 44, 210, 100, 1, rgb255(90, 20, 24));
  drawLine(img, 156, 100, 210, 100, 1, rgb255(90, 20, 24));
  return img;
}

// Shirt back: the same flannel with a yoke seam.
Image makePlecy() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) img.set(x, y, flannel(img, x + 12, y, 161));
  drawLine(img, 0, 60, 256, 60, 1.5f, rgb255(70, 14, 18));
  drawLine(img, 0, 64, 256, 64, 0.8f, rgb255(230, 210, 180));
  return img;
}

// Clock board: brass frame, dark face, numerals and hands at ten past ten. The board is
// 4:3, so the dial is drawn narrower by 3/4 to look round on it.
Image makeZegar() {
  Image img(256, 256, rgb255(120, 86, 36));
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float n = fbm(x / 16.0f, y / 64.0f, 0, 4, 171);
      img.set(x, y, scale(rgb255(170, 130, 60), 0.7f + 0.5f * n));
    }
  fillRect(img, 12, 12, 244, 244, rgb255(30, 26, 22));
  fillRect(img, 16, 16, 240, 240, rgb255(20, 24, 30));
  const float cx = 128, cy = 128, ry = 104, rx = ry * 0.75f;
  fillEllipse(img, cx, cy, rx + 4, ry + 4, rgb255(200, 170, 90));
  fillEllipse(img, cx, cy, rx, ry, rgb255(240, 236, 220));
  for (int m = 0; m < 60; ++m) {
    float a = m * kPi / 30;
    float s = std::sin(a), c = -std::cos(a);
    float r0 = (m % 5 == 0) ? 0.86f : 0.93f;
    drawLine(img, cx + s * rx * r0, cy + c * ry * r0, cx + s * rx * 0.98f, cy + c * ry * 0.98f,
             (m % 5 == 0) ? 1.8f : 0.7f, rgb255(20, 20, 24));
  }
  for (int h = 1; h <= 12; ++h) {
    float a = h * kPi / 6;
    char label[4];
    std::snprintf(label, sizeof label, "%d", h);
    drawText(img, label, kBoldSerif, 13, cx + std::sin(a) * rx * 0.72f, cy - std::cos(a) * ry * 0.72f,
             rgb255(20, 20, 24), 0.75f);
  }
  auto hand = [&](float turns, float len, float width, Rgb col) {
    float a = turns * 2 * kPi;
    drawLine(img, cx, cy, cx + std::sin(a) * rx * len, cy - std::cos(a) * ry * len, width, col);
  };
  hand(10.0f / 12 + 10.0f / 720, 0.5f, 3.5f, rgb255(20, 20, 24));
  hand(10.0f / 60, 0.78f, 2.5f, rgb255(20, 20, 24));
  hand(40.0f / 60, 0.85f, 0.9f, rgb255(200, 30, 30));
  fillEllipse(img, cx, cy, 5, 5, rgb255(200, 30, 30));
  // Screws in the corners.
  for (float sx : {24.0f, 232.0f})
    for (float sy : {24.0f, 232.0f}) {
      fillEllipse(img, sx, sy, 5, 5, rgb255(200, 190, 160));
      drawLine(img, sx - 3, sy, sx + 3, sy, 0.7f, rgb255(60, 50, 40));
    }
  flipVertical(img);
  return img;
}

// Wooden crate: frame boards, a diagonal brace, nails.
Image makeCredit() {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      int plank = y / 64;
      float grain = fbm(x / 64.0f, y / 4.0f + plank * 7, 0, 5, 181);
      float rings = 0.5f + 0.5f * std::sin((y + 12 * grain) * 0.9f);
      Rgb c = mix(rgb255(150, 100, 50), rgb255(200, 150, 86), 0.6f * grain + 0.4f * rings);
      if (y % 64 < 2) c = rgb255(50, 30, 14);
      img.set(x, y, c);
    }
  // A frame board: a dark outline, then the board itself with its own darker grain.
  auto board = [&](std::vector<float> poly) {
    Image layer(256, 256);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        float grain = fbm(x / 6.0f, y / 6.0f, 0, 4, 182);
        layer.set(x, y, mix(rgb255(110, 70, 32), rgb255(160, 108, 54), grain));
      }
    fillPolygon(img, poly, rgb255(50, 30, 14));
    Image mask(256, 256);
    for (size_t i = 0; i < poly.size(); i += 2) {
      float cx = 128, cy = 128;
      poly[i] += (poly[i] < cx ? 2.0f : -2.0f);
      poly[i + 1] += (poly[i + 1] < cy ? 2.0f : -2.0f);
    }
    fillPolygon(mask, poly, rgb(1, 1, 1));
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) img.blend(x, y, layer.get(x, y), mask.get(x, y).r);
  };
  board({0, 0, 256, 0, 256, 30, 0, 30});
  board({0, 226, 256, 226, 256, 256, 0, 256});
  board({0, 0, 30, 0, 30, 256, 0, 256});
  board({226, 0, 256, 0, 256, 256, 226, 256});
  board({30, 206, 206, 30, 226, 30, 226, 50, 50, 226, 30, 226});
  for (float n : {15.0f, 241.0f})
    for (float m : {15.0f, 128.0f, 241.0f}) {
      fillEllipse(img, n, m, 3, 3, rgb255(60, 60, 64));
      fillEllipse(img, m, n, 3, 3, rgb255(60, 60, 64));
    }
  drawText(img, "KS", kBoldSans, 26, 170, 190, rgb255(40, 24, 14));
  flipVertical(img);
  return img;
}

// A name panel: white, with the handle in dark bold letters. The panel is 8:3 on screen while
// the picture is 2:1, so the letters are drawn at 3/4 width to look right once stretched.
Image makePanel(const char* handle) {
  Image img(512, 256, rgb(1, 1, 1));
  drawText(img, handle, kBoldSans, 120, 258, 132, rgb255(150, 150, 160), 0.75f, 4.0f, 430);
  drawText(img, handle, kBoldSans, 120, 256, 128, rgb255(16, 14, 22), 0.75f, 0.0f, 430);
  fillRect(img, 40, 214, 472, 220, rgb255(40, 38, 48));
  fillRect(img, 40, 36, 472, 40, rgb255(40, 38, 48));
  flipVertical(img);
  return img;
}

Image makeRel() { return makePanel("Rel Otanu"); }
Image makeAsli() { return makePanel("Asl.i"); }
Image makeKvt() { return makePanel("KVT"); }

// The title: light letters and a soft halo on black, so the glow behind shows only there.
Image makeTitle() {
  Image img(512, 256, rgb(0, 0, 0));
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 512; ++x) {
      float dx = (x - 256) / 256.0f, dy = (y - 128) / 128.0f;
      img.set(x, y, scale(rgb255(40, 30, 70), std::max(0.0f, 1 - std::sqrt(dx * dx + dy * dy))));
    }
  drawText(img, "KELVO", kBoldSans, 66, 256, 76, rgb255(120, 100, 160), 1.0f, 8.0f, 470);
  drawText(img, "STRAND", kBoldSans, 66, 256, 180, rgb255(120, 100, 160), 1.0f, 8.0f, 470);
  drawText(img, "KELVO", kBoldSans, 66, 256, 76, rgb(1, 1, 1), 1.0f, 0.0f, 470);
  drawText(img, "STRAND", kBoldSans, 66, 256, 180, rgb(1, 1, 1), 1.0f, 0.0f, 470);
  fillRect(img, 70, 126, 442, 129, rgb255(200, 190, 230));
  flipVertical(img);
  return img;
}

}  // namespace

const std::vector<Picture>& pictures() {
  static const std::vector<Picture> list = {
      {"golem", makeGolem},   {"wall", makeWall},     {"teren", makeTeren},   {"flara", makeFlara},
      {"death", makeDeath},   {"quenta", makeQuenta}, {"twarz", makeTwarz},   {"reka", makeReka},
      {"noga", makeNoga},     {"brzuch", makeBrzuch}, {"plecy", makePlecy},   {"sciana", makeSciana},
      {"tlo", makeTlo},       {"board", makeBoard},   {"credit", makeCredit}, {"build", makeBuild},
      {"step", makeStep},     {"asli", makeAsli},     {"kvt", makeKvt},       {"rel", makeRel},
      {"zegar", makeZegar},   {"water", makeWater},   {"title", makeTitle},
  };
  return list;
}

// "loading" in light letters on black, 128 x 32, with a thin progress rule under it.
Image makeLoadingBitmap() {
  Image img(128, 32, rgb(0, 0, 0));
  drawText(img, "loading", kBoldSans, 14, 64, 14, rgb255(220, 220, 230));
  fillRect(img, 16, 26, 112, 27, rgb255(90, 90, 110));
  return img;
}
