// Data directory lookup (POSIX): the working directory first, as the show expects, then beside
// the program (/proc/self/exe), then the install tree's share/kelvo-strand. Linux only; on
// Windows the program's folder is the working directory when it is double-clicked.
#include "main/linux/data_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "app/assets.h"
#include "app/music.h"
#include "ks_build_config.h"

namespace {
std::string currentDir() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof(buffer)) ? buffer : ".";
}

std::string programDir() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (length <= 0) return "";
  std::string path(buffer, size_t(length));
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool isFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Two names for the same directory count once; one that does not exist is still named plainly.
std::string canonical(const std::string& dir) {
  char* real = realpath(dir.c_str(), nullptr);
  if (!real) {
    std::string plain = std::filesystem::path(dir).lexically_normal().string();
    return plain.size() > 1 && plain.back() == '/' ? plain.substr(0, plain.size() - 1) : plain;
  }
  std::string result = real;
  std::free(real);
  return result;
}
}  // namespace

std::vector<std::string> dataDirCandidates() {
  std::vector<std::string> dirs = {currentDir()};
  std::string program = programDir();
  if (!program.empty()) {
    dirs.push_back(program);
    dirs.push_back(program + "/" KS_INSTALL_DATA_FROM_BIN);
  }
  dirs.push_back(KS_INSTALL_DATA_DIR);
  std::vector<std::string> unique;
  for (const std::string& dir : dirs) {
    std::string real = canonical(dir);
    if (std::find(unique.begin(), unique.end(), real) == unique.end()) unique.push_back(real);
  }
  return unique;
}

bool dataDirHoldsShow(const std::string& dir) {
  // Any one file of the show's manifest will do: a data/ that lacks some file is still the one
  // the person meant, and the show then names the missing file. The manifest's names are
  // relative to the working directory ("data/golem.jpg").
  std::vector<const char*> names(std::begin(g_textureFiles), std::end(g_textureFiles));
  names.insert(names.end(), std::begin(g_modelFiles), std::end(g_modelFiles));
  names.push_back(kMusicFile);
  for (const char* name : names)
    if (isFile(dir + "/" + name)) return true;
  return false;
}

bool dataDirEnter() {
  std::vector<std::string> dirs = dataDirCandidates();
  for (const std::string& dir : dirs) {
    if (!dataDirHoldsShow(dir)) continue;
    if (chdir(dir.c_str()) == 0) return true;
    std::fprintf(stderr, "kelvo-strand: cannot enter %s: %s\n", dir.c_str(), std::strerror(errno));
  }
  std::string looked;
  for (const std::string& dir : dirs) looked += (looked.empty() ? "" : ", ") + dir + "/data";
  std::fprintf(stderr, "kelvo-strand: no show data found: looked in %s\n", looked.c_str());
  return false;
}

std::string dataDirAbsolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  return currentDir() + "/" + path;
}
