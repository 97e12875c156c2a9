// `generate DIR [--previews PNGDIR]`: writes the show's data directory, DIR/data/..., and
// optionally a PNG copy of every picture (as stored, so text-bearing pictures are upside down).
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "content.h"

static bool makeDir(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

int generateCommand(const std::vector<std::string>& args) {
  if (args.empty() || (args.size() != 1 && !(args.size() == 3 && args[1] == "--previews"))) {
    std::fprintf(stderr, "usage: kelvo-content generate DIR [--previews PNGDIR]\n");
    return 2;
  }
  std::string data = args[0] + "/data";
  std::string previews = args.size() == 3 ? args[2] : "";
  if (!makeDir(args[0]) || !makeDir(data) || (!previews.empty() && !makeDir(previews))) {
    std::fprintf(stderr, "kelvo-content: cannot create %s\n", data.c_str());
    return 1;
  }
  for (const Picture& p : pictures()) {
    Image img = p.make();
    std::string path = data + "/" + p.name + ".jpg";
    if (!writeJpeg(path, img, 90)) {
      std::fprintf(stderr, "kelvo-content: %s: cannot write\n", path.c_str());
      return 1;
    }
    if (!previews.empty()) writePng(previews + "/" + p.name + ".png", img);
  }
  Image loading = makeLoadingBitmap();
  if (!writeBmp24(data + "/load.bmp", loading)) {
    std::fprintf(stderr, "kelvo-content: %s/load.bmp: cannot write\n", data.c_str());
    return 1;
  }
  if (!previews.empty()) writePng(previews + "/load.png", loading);
  std::string error;
  if (!writeModels(data, error) || !writeMusic(data + "/compilation.mp3", error)) {
    std::fprintf(stderr, "kelvo-content: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
