// The drawing cases on Mesa (an EGL pbuffer): each case from a fresh context at its picture
// size, scaled as the native --size does, written as raw RGBA (top row first), with the table
// of cases and their limits as cases.json, for cases.js. Ends with 1 where a case's own checks
// fail on Mesa (the case, not the stand-in, is then wrong).
//   webgl_cases OUT_DIR
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "gl_cases.h"
#include "platform/gl/offscreen.h"
#include "platform/gl/picture_scale.h"
#include "platform/winapi/gdi_objects.h"

namespace {

bool writeFile(const std::string& path, const void* bytes, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file && std::fwrite(bytes, 1, size, file) == size;
  if (file && std::fclose(file) != 0) ok = false;
  if (!ok) std::perror(path.c_str());
  return ok;
}

// The table as JSON: the names, sizes, limits and the expected GL messages (regular expressions).
std::string casesJson() {
  std::string json = "[\n";
  for (int i = 0; i < kGlCaseCount; ++i) {
    const GlCase& c = kGlCases[i];
    char line[512];
    std::snprintf(line, sizeof line, "  {\"name\": \"%s\", \"width\": %d, \"height\": %d, \"mean\": %g, \"far\": %g, \"said\": %s%s%s}%s\n",
                  c.name, c.width, c.height, c.mean, c.far, c.said ? "\"" : "", c.said ? c.said : "null",
                  c.said ? "\"" : "", i + 1 < kGlCaseCount ? "," : "");
    json += line;
  }
  return json + "]\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string out = argv[1];
  g_caseDiscard = pictureScaleDiscard;
  g_caseDrawPixels = blitRgbToScreen;
  g_caseOnMesa = true;
  const std::string json = casesJson();
  if (!writeFile(out + "/cases.json", json.data(), json.size())) return 1;
  for (int i = 0; i < kGlCaseCount; ++i) {
    const GlCase& c = kGlCases[i];
    if (!offscreenCreate(c.width, c.height)) return 1;
    pictureScaleSetTarget(c.width, c.height);
    pictureScaleApply();
    c.draw();
    glFinish();
    if (GLenum error = glGetError()) std::fprintf(stderr, "%s: GL error 0x%x natively\n", c.name, error);
    std::vector<unsigned char> pixels(size_t(c.width) * c.height * 4), rows(pixels.size());
    offscreenReadRgbx(pixels.data());
    const size_t row = size_t(c.width) * 4;
    for (int y = 0; y < c.height; ++y) std::copy_n(&pixels[size_t(c.height - 1 - y) * row], row, &rows[size_t(y) * row]);
    if (!writeFile(out + "/" + c.name + ".native.rgba", rows.data(), rows.size())) return 1;
    offscreenDestroy();
  }
  pictureScaleSetTarget(640, 480);
  if (g_caseFailedChecks) std::fprintf(stderr, "%d checks of the cases fail on Mesa\n", g_caseFailedChecks);
  return g_caseFailedChecks ? 1 : 0;
}
