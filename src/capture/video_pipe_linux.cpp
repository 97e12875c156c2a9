// Video output through ffmpeg. Supports: .mp4 (H.264 + the MP3 copied) and .mkv (H.264 or FFV1 +
// FLAC) at 25 frames per second from raw RGBX frames on a pipe, H.264 converted and tagged as
// BT.709, frames enlarged by a whole factor, the music cut in at an offset as the sound track
// (in .mkv padded with silence to the video's end).
// Does not support: any other container, frame rates or sizes other than those it is given.
// Depends on POSIX (fork, exec, pipes) and an ffmpeg program on PATH with libx264 and FFV1.
#include "capture/video_pipe.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app.h"

namespace {
pid_t g_encoder = -1;
VideoEncoding g_encoding;
int g_encoderInput = -1;

bool endsWith(const std::string& text, const char* suffix) {
  size_t length = std::strlen(suffix);
  return text.size() > length && text.compare(text.size() - length, length, suffix) == 0;
}
}  // namespace

bool videoPathIsVideo(const std::string& path) { return endsWith(path, ".mp4") || endsWith(path, ".mkv"); }

bool videoEncoderAvailable(std::string* why) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/ffmpeg";
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return true;
    start = end + 1;
  }
  *why = std::string("ffmpeg is not installed (no ffmpeg on PATH); on Debian or Ubuntu: ") +
         (geteuid() == 0 ? "" : "sudo ") + "apt-get install ffmpeg (PNG frames need no ffmpeg: --capture frames/)";
  return false;
}

void videoPipeConfigure(const VideoEncoding& encoding) { g_encoding = encoding; }
const VideoEncoding& videoPipeEncoding() { return g_encoding; }

bool videoPipeOpen(const std::string& path, int width, int height, const char* musicPath, double musicOffsetSeconds,
                   double durationSeconds) {
  char size[32], offset[32], rate[16], duration[32];
  std::snprintf(size, sizeof(size), "%dx%d", width, height);
  std::snprintf(rate, sizeof(rate), "%u", 1000u / kFrameStepMs);  // one frame a step: 25 a second
  std::snprintf(offset, sizeof(offset), "%.3f", musicOffsetSeconds);
  std::snprintf(duration, sizeof(duration), "%.3f", durationSeconds);
  bool mp4 = endsWith(path, ".mp4");
  // Nearest-neighbour enlargement keeps the original pixels as blocks; the colour conversion
  // that follows uses the BT.709 matrix that the stream is tagged with, at TV range.
  std::string filter;
  if (g_encoding.upscale > 1)
    filter = "scale=iw*" + std::to_string(g_encoding.upscale) + ":ih*" + std::to_string(g_encoding.upscale) +
             ":flags=neighbor,";
  filter += g_encoding.lossless ? "format=gbrp" : "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p";
  std::vector<const char*> args = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
                                   // the frames, as they come from the offscreen buffer
                                   "-f", "rawvideo", "-pix_fmt", "rgb0", "-video_size", size, "-framerate", rate,
                                   "-i", "pipe:0",
                                   // the music from the first frame's time on, for the range
                                   "-ss", offset};
  // A copied track is cut at the range's length on the way in; FLAC is cut by -shortest at the
  // video's end instead, so its last block still holds music rather than padding.
  if (mp4 && durationSeconds > 0.0) {
    args.push_back("-t");
    args.push_back(duration);
  }
  for (const char* arg : {"-i", musicPath, "-map", "0:v:0", "-map", "1:a:0", "-filter:v", filter.c_str()})
    args.push_back(arg);
  if (g_encoding.lossless) {
    // Every frame a key frame, checksummed slices: an archive that can be cut and checked.
    for (const char* arg : {"-c:v", "ffv1", "-level", "3", "-g", "1", "-slices", "4", "-slicecrc", "1",
                            "-color_primaries", "bt709", "-color_trc", "iec61966-2-1", "-colorspace", "rgb"})
      args.push_back(arg);
  } else {
    for (const char* arg : {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-colorspace", "bt709",
                            "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv"})
      args.push_back(arg);
  }
  if (mp4) {
    // The MP3 as it is: MP4 keeps the cut at the offset exact to the sample (an edit list). It
    // cannot be padded without encoding it again, so a shorter track simply ends early.
    for (const char* arg : {"-c:a", "copy", "-movflags", "+faststart"}) args.push_back(arg);
  } else {
    // FLAC: the decoded music without loss, padded with silence and cut to the video's length,
    // so that a track shorter than the range never cuts the video.
    for (const char* arg : {"-c:a", "flac", "-filter:a", "apad", "-shortest"}) args.push_back(arg);
  }
  args.push_back(path.c_str());
  args.push_back(nullptr);

  // A reader that goes away must show up as a failed write, not end this process.
  signal(SIGPIPE, SIG_IGN);
  int frames[2], execStatus[2];
  if (pipe2(frames, O_CLOEXEC) != 0) {
    std::fprintf(stderr, "capture: no pipe for ffmpeg: %s\n", std::strerror(errno));
    return false;
  }
  // Closed by a successful exec; carries errno back when the exec fails.
  if (pipe2(execStatus, O_CLOEXEC) != 0) {
    std::fprintf(stderr, "capture: no pipe for ffmpeg: %s\n", std::strerror(errno));
    close(frames[0]);
    close(frames[1]);
    return false;
  }
  std::fflush(stderr);
  pid_t child = fork();
  if (child == 0) {
    dup2(frames[0], 0);
    execvp("ffmpeg", const_cast<char* const*>(args.data()));
    int error = errno;
    ssize_t ignored = write(execStatus[1], &error, sizeof(error));
    (void)ignored;
    _exit(127);
  }
  close(frames[0]);
  close(execStatus[1]);
  // A bigger pipe lets ffmpeg take a whole frame at a time (best effort: the default is 64 KiB).
  fcntl(frames[1], F_SETPIPE_SZ, 1 << 20);
  if (child < 0) {
    std::fprintf(stderr, "capture: cannot start ffmpeg: %s\n", std::strerror(errno));
    close(frames[1]);
    close(execStatus[0]);
    return false;
  }
  int error = 0;
  ssize_t got;
  do got = read(execStatus[0], &error, sizeof(error));
  while (got < 0 && errno == EINTR);
  close(execStatus[0]);
  if (got > 0) {
    std::fprintf(stderr, "capture: cannot run ffmpeg: %s\n", std::strerror(error));
    close(frames[1]);
    waitpid(child, nullptr, 0);
    return false;
  }
  g_encoder = child;
  g_encoderInput = frames[1];
  return true;
}

bool videoPipeIsOpen() { return g_encoder > 0; }

// The rows go out top row first, straight from the buffer: no copy to turn the picture over.
bool videoPipeWriteFrame(const unsigned char* pixels, int width, int height) {
  if (g_encoderInput < 0) return false;
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  std::vector<iovec> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows[static_cast<size_t>(y)].iov_base = const_cast<unsigned char*>(pixels) + static_cast<size_t>(height - 1 - y) * rowBytes;
    rows[static_cast<size_t>(y)].iov_len = rowBytes;
  }
  size_t next = 0;
  while (next < rows.size()) {
    int count = static_cast<int>(std::min<size_t>(rows.size() - next, IOV_MAX));
    ssize_t written = writev(g_encoderInput, &rows[next], count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      std::fprintf(stderr, "\ncapture: ffmpeg stopped taking frames: %s\n", std::strerror(errno));
      return false;
    }
    // Skip the rows written whole, and the written part of the next one.
    size_t left = static_cast<size_t>(written);
    while (next < rows.size() && left >= rows[next].iov_len) left -= rows[next++].iov_len;
    if (left > 0) {
      rows[next].iov_base = static_cast<unsigned char*>(rows[next].iov_base) + left;
      rows[next].iov_len -= left;
    }
  }
  return true;
}

bool videoPipeClose() {
  if (g_encoder <= 0) return false;
  close(g_encoderInput);
  g_encoderInput = -1;
  int status = 0;
  pid_t done;
  do done = waitpid(g_encoder, &status, 0);
  while (done < 0 && errno == EINTR);
  g_encoder = -1;
  if (done < 0) {
    std::fprintf(stderr, "capture: lost track of ffmpeg: %s\n", std::strerror(errno));
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFEXITED(status))
    std::fprintf(stderr, "capture: ffmpeg failed with status %d\n", WEXITSTATUS(status));
  else
    std::fprintf(stderr, "capture: ffmpeg ended by signal %d\n", WTERMSIG(status));
  return false;
}
