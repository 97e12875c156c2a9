// kelvo-content check DIR: loads every file of the show's manifest from DIR/data with the show's
// own loaders and prints one line per file. Each load runs in a child process with its own
// offscreen context, because the JPEG library ends the process on damaged data; the child's
// standard error gives the reason. Exit status 0 only when all 25 load and the music decodes
// to more than 233 s.
#include <mpg123.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/assets.h"
#include "data_tools.h"
#include "formats/model3ds.h"
#include "formats/texture.h"
#include "platform/gl/offscreen.h"

namespace {

const double kMusicSeconds = 233.0;
const int kNoContext = 3;
const int kLoadFailed = 4;

struct ChildResult {
  int status;          // raw wait status
  std::string errors;  // the child's standard error
};

ChildResult runInChild(const std::function<int()>& work) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {-1, "pipe failed"};
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid < 0) return {-1, "fork failed"};
  if (pid == 0) {
    close(pipeEnds[0]);
    dup2(pipeEnds[1], 2);
    close(pipeEnds[1]);
    int code = work();
    std::fflush(stderr);
    _exit(code);
  }
  close(pipeEnds[1]);
  std::string errors;
  char buffer[512];
  ssize_t got;
  while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) errors.append(buffer, size_t(got));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return {status, errors};
}

// The last non-empty line of a child's messages, without a box's "Error: " title.
std::string lastLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  size_t start = text.rfind('\n');
  std::string line = start == std::string::npos ? text : text.substr(start + 1);
  if (line.rfind("Error: ", 0) == 0) line = line.substr(7);
  return line;
}

std::string reasonOf(const ChildResult& result, const char* path, const char* whenFalse) {
  if (result.status < 0) return result.errors;
  if (WIFSIGNALED(result.status)) return "crashed (signal " + std::to_string(WTERMSIG(result.status)) + ")";
  int code = WEXITSTATUS(result.status);
  if (code == kNoContext) return "no offscreen OpenGL context";
  if (code == kLoadFailed) {
    if (access(path, R_OK) != 0) return "missing or unreadable";
    std::string line = lastLine(result.errors);
    std::string prefix = std::string(path) + ": ";
    if (line.rfind(prefix, 0) == 0) line = line.substr(prefix.size());
    return line.empty() ? whenFalse : line;
  }
  // The loader's line naming the file follows the library's message; the file is named here already.
  std::string errors = result.errors;
  size_t named = errors.find("Kelvo Strand: the error above came while reading ");
  if (named != std::string::npos) errors.erase(named);
  std::string line = lastLine(errors);
  return "decoder ended the process (status " + std::to_string(code) + ")" +
         (line.empty() ? "" : ": " + line);
}

bool report(const char* path, const std::string& failure) {
  if (failure.empty())
    std::printf("OK    %s\n", path);
  else
    std::printf("FAIL  %s: %s\n", path, failure.c_str());
  return failure.empty();
}

// Decodes the whole track; returns its length in seconds, or a negative value with a reason.
double musicSeconds(const char* path, std::string* reason) {
  mpg123_init();
  int error = MPG123_OK;
  mpg123_handle* decoder = mpg123_new(nullptr, &error);
  if (!decoder) {
    *reason = "no MP3 decoder";
    return -1;
  }
  double seconds = -1;
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_open(decoder, path) != MPG123_OK) {
    *reason = "missing or unreadable";
  } else if (mpg123_getformat(decoder, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
    *reason = std::string("not an MP3 track: ") + mpg123_strerror(decoder);
  } else {
    size_t bytes = 0, got = 0;
    unsigned char buffer[16384];
    int result;
    do {
      result = mpg123_read(decoder, buffer, sizeof buffer, &got);
      bytes += got;
      if (result == MPG123_NEW_FORMAT) mpg123_getformat(decoder, &rate, &channels, &encoding);
    } while (result == MPG123_OK || result == MPG123_NEW_FORMAT);
    if (result != MPG123_DONE) {
      *reason = std::string("decoding failed: ") + mpg123_strerror(decoder);
    } else {
      size_t frameBytes = size_t(channels) * size_t(mpg123_encsize(encoding));
      seconds = frameBytes ? double(bytes / frameBytes) / double(rate) : 0.0;
    }
    mpg123_close(decoder);
  }
  mpg123_delete(decoder);
  return seconds;
}

}  // namespace

int checkCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: kelvo-content check DIR\n");
    return 2;
  }
  if (chdir(args[0].c_str()) != 0) {
    std::fprintf(stderr, "kelvo-content check: cannot enter %s\n", args[0].c_str());
    return 2;
  }

  int loaded = 0;
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; slot++) {
    const char* path = g_textureFiles[slot];
    ChildResult result = runInChild([&] {
      if (!offscreenCreate(64, 64)) return kNoContext;
      return loadTexture(path, slot) ? kLoadFailed : 0;
    });
    bool ok = WIFEXITED(result.status) && WEXITSTATUS(result.status) == 0;
    loaded += report(path, ok ? "" : reasonOf(result, path, "not a three-component colour picture"));
  }
  for (const char* path : g_modelFiles) {
    ChildResult result = runInChild([&] {
      Model model;
      ModelLoader loader;
      if (!loader.loadModel(model, path)) return kLoadFailed;
      releaseModel(model);
      return 0;
    });
    bool ok = WIFEXITED(result.status) && WEXITSTATUS(result.status) == 0;
    loaded += report(path, ok ? "" : reasonOf(result, path, "rejected"));
  }

  const char* musicPath = "data/compilation.mp3";
  std::string reason;
  double seconds = musicSeconds(musicPath, &reason);
  char length[64];
  std::snprintf(length, sizeof length, "%.1f s", seconds);
  bool musicOk = seconds > kMusicSeconds;
  if (seconds >= 0 && !musicOk) reason = std::string(length) + ", not more than 233 s";
  if (musicOk)
    std::printf("OK    %s (%s)\n", musicPath, length);
  else
    report(musicPath, reason);

  bool allOk = loaded == TEXTURE_SLOT_COUNT + 2 && musicOk;
  std::printf("%d of %d files load; music %s\n", loaded, TEXTURE_SLOT_COUNT + 2, musicOk ? "OK" : "FAILED");
  return allOk ? 0 : 1;
}
