#include "support/scratch.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {
// The scratch directories this process made go with it (a test that fails, too).
std::vector<std::string>& scratchDirs() {
  static std::vector<std::string> dirs;
  return dirs;
}
void removeScratchDirs() {
  std::error_code ignored;
  for (const std::string& dir : scratchDirs()) std::filesystem::remove_all(dir, ignored);
}
}  // namespace

std::string scratchDir(const char* prefix) {
  std::string pattern = std::string("/tmp/ks-") + prefix + "-XXXXXX";
  if (!mkdtemp(&pattern[0])) return "";
  if (scratchDirs().empty()) std::atexit(removeScratchDirs);
  scratchDirs().push_back(pattern);
  return pattern;
}

std::string tempPath(const char* name) { return "/tmp/ks-test-" + std::to_string(getpid()) + "-" + name; }

bool writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string makeTrack(double seconds) {
  std::string dir = scratchDir("track");
  if (dir.empty()) return "";
  std::string path = dir + "/track.mp3";
  std::string command = "ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:duration=" +
                        std::to_string(seconds) + " -ar 44100 -ac 2 " + path + " </dev/null";
  return std::system(command.c_str()) == 0 ? path : "";
}
