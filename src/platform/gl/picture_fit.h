// Where the picture goes in pixels of another size: the largest rectangle of its shape that fits,
// centred. Header only, so that the native picture scaling and presentation (gl/, winapi/) and
// the browser's (webgl/) fit alike and the web frames land where the native ones do.
#pragma once

#include <algorithm>

// A rectangle in pixels, origin at the lower left as GL counts them.
struct PictureRect {
  int x = 0, y = 0, width = 640, height = 480;
};

// The 4:3 picture in a framebuffer of width x height: sides rounded down to whole pixels,
// centred (an odd remainder puts the extra pixel of bar on the right or at the top).
inline PictureRect pictureFitFramebuffer(int width, int height) {
  long long w = width, h = height;
  if (w * 3 > h * 4)
    w = h * 4 / 3;
  else
    h = w * 3 / 4;
  return {static_cast<int>((width - w) / 2), static_cast<int>((height - h) / 2), static_cast<int>(w),
          static_cast<int>(h)};
}

// The largest rectangle of the frame's proportions that fits an output of outWidth x outHeight,
// sides rounded to the nearest pixel, centred (odd leftovers put the extra pixel right of and
// above the picture); all zero where a size is not positive. With `integerScale` the picture is
// the frame times the largest whole factor that fits, for crisp pixels; where not even one
// times fits, the proportional rectangle is used.
inline PictureRect presentFitRect(int frameWidth, int frameHeight, int outWidth, int outHeight, bool integerScale) {
  if (frameWidth <= 0 || frameHeight <= 0 || outWidth <= 0 || outHeight <= 0) return {0, 0, 0, 0};
  long long width, height;
  int factor = std::min(outWidth / frameWidth, outHeight / frameHeight);
  if (integerScale && factor >= 1) {
    width = static_cast<long long>(frameWidth) * factor;
    height = static_cast<long long>(frameHeight) * factor;
  } else if (static_cast<long long>(outWidth) * frameHeight <= static_cast<long long>(outHeight) * frameWidth) {
    // Narrower than the frame: full width, bars above and below.
    width = outWidth;
    height = (static_cast<long long>(outWidth) * frameHeight + frameWidth / 2) / frameWidth;
  } else {
    height = outHeight;
    width = (static_cast<long long>(outHeight) * frameWidth + frameHeight / 2) / frameHeight;
  }
  width = std::max(1LL, std::min<long long>(width, outWidth));
  height = std::max(1LL, std::min<long long>(height, outHeight));
  return {static_cast<int>((outWidth - width) / 2), static_cast<int>((outHeight - height) / 2),
          static_cast<int>(width), static_cast<int>(height)};
}
