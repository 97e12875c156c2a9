// Process entry: reads the run options, chooses the platform backend and hands over to WinMain.
// With no arguments the show runs live, full screen; the virtual-time runs (--capture, --bench)
// draw the same frames on an offscreen context against a music position advanced 40 ms a tick,
// and a capture writes them as PNG files or, through ffmpeg, as a video with the music.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ks_build_config.h"
#include "capture/bench.h"
#include "capture/run.h"
#include "capture/video_pipe.h"
#include "platform/posix/data_dir.h"
#include "platform/sound/heard_clock.h"
#include "platform/time/virtual_time.h"
#include "platform/wall_clock.h"
#include "platform/win32.h"
#include "platform/winapi/headless_backend.h"
#include "platform/winapi/sdl_backend.h"
#include "timeline/frame.h"

namespace {
const char kUsage[] =
    "kelvo-strand " KS_VERSION ": a real-time audiovisual show of animated 3D scenes and music\n"
    "usage: kelvo-strand [--windowed | --mode-switch] [--integer-scaling] [--from S] [--loop]\n"
    "                    [--full-resolution] [--audio-offset MS]\n"
    "       kelvo-strand [--capture DIR|FILE.mp4|FILE.mkv | --bench]\n"
    "                    [--from S] [--to S] [--at S[,S...]] [--no-fast-forward]\n"
    "                    [--size WxH | --scale N] [--lossless]\n"
    "  (no option)    play the show full screen: its 640x480 picture scaled to the screen, 4:3\n"
    "                 with black bars, the display's own mode untouched; Escape ends it\n"
    "  --windowed     play it in a normal window (640x480, or a whole multiple on a large\n"
    "                 screen) that can be moved and resized; the picture follows its size;\n"
    "                 Escape or the window's close button ends it\n"
    "  --mode-switch  full screen by switching the display to the mode closest to 640x480, as\n"
    "                 the show was made for; the desktop's mode comes back however it ends\n"
    "  --full-resolution\n"
    "                 draw the picture at the size it fills on the screen instead of 640x480:\n"
    "                 sharp, for a machine with a GPU (slow with software rendering)\n"
    "  --integer-scaling\n"
    "                 scale the picture by whole factors with sharp pixels instead of smoothly\n"
    "  --loop         play the show again from its beginning after its end (a fresh start;\n"
    "                 with --from, only the first pass starts there), until Escape\n"
    "  --audio-offset MS\n"
    "                 the sound reaches your ears MS milliseconds later than the system says\n"
    "                 (Bluetooth headphones: about 150 to 250; negative if it comes earlier):\n"
    "                 the picture waits for it. Overrides KS_AUDIO_OFFSET_MS; -5000 to 5000\n"
    "  --capture DIR  draw every frame offscreen against virtual time (frame N at N x 0.040 s)\n"
    "                 and write it as DIR/frame-NNNNN.png\n"
    "  --capture FILE.mp4, --capture FILE.mkv\n"
    "                 the same frames encoded by ffmpeg at 25 fps with the show's music as the\n"
    "                 sound track, frame N at N x 0.040 s: H.264 (BT.709 colour, tagged) with the\n"
    "                 MP3 as it is for .mp4, with the music as FLAC for .mkv\n"
    "  --bench        the same virtual-time run without output; prints the cost of the frames\n"
    "                 per schedule window and a summary line\n"
    "  --from S       live: start the music at second S; capture: the first second to write.\n"
    "                 The frames before it still run, so every motion is where it would be,\n"
    "                 but with nothing rasterised (live, the loading picture stays meanwhile)\n"
    "  --to S         last music second to write (--capture)\n"
    "  --at S[,S...]  write only the first frame at or after each of these music seconds, the\n"
    "                 frames between them fast-forwarded (--capture DIR)\n"
    "  --no-fast-forward\n"
    "                 draw the frames before --from in full too (slow; the frames written are\n"
    "                 the same, which this lets one check)\n"
    "  --size WxH     draw the frames at W x H pixels instead of 640x480 (--capture, --bench):\n"
    "                 the same picture, drawn sharp at that size; a size that is not 4:3 gets\n"
    "                 the largest 4:3 picture that fits, centred, with black bars (1920x1440,\n"
    "                 or 1920x1080 for a 16:9 video; even numbers for a video)\n"
    "  --scale N      enlarge the 640x480 frames N times (2 to 8) in the video, each pixel a\n"
    "                 block of N x N (--capture FILE.mp4 or FILE.mkv)\n"
    "  --lossless     encode the video without loss: FFV1 (RGB) and FLAC (--capture FILE.mkv)\n"
    "  --help         this text\n"
    "  --version      the release\n"
    "The hall's clock shows the real time of day in live runs. Capture and bench runs pin it to\n"
    "12:34:56 local time, or to KS_FIXED_TIME=HH:MM:SS when set (live runs honour that too),\n"
    "and let it run on with the music position.\n"
    "The show reads data/ under the working directory; where there is none, the data/ beside\n"
    "the program, then " KS_INSTALL_DATA_DIR "/data.\n";

bool parseSeconds(const char* text, double* seconds) {
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(text, &end);
  if (errno || end == text || *end || value < 0.0) return false;
  *seconds = value;
  return true;
}

// "1.5,20,36.6": one or more times in seconds.
bool parseTimes(const char* text, std::vector<double>* times) {
  std::string list = text;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    double seconds;
    if (!parseSeconds(item.c_str(), &seconds)) return false;
    times->push_back(seconds);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// "1920x1440": a frame size within what the offscreen buffer and the writers can hold.
bool parseSize(const char* text, int* width, int* height) {
  char* end = nullptr;
  errno = 0;
  long w = std::strtol(text, &end, 10);
  if (errno || end == text || (*end != 'x' && *end != 'X')) return false;
  const char* second = end + 1;
  long h = std::strtol(second, &end, 10);
  if (errno || end == second || *end) return false;
  if (w < 16 || h < 16 || w > 3840 || h > 2880) return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

int usageError(const char* why) {
  std::fprintf(stderr, "kelvo-strand: %s\n%s", why, kUsage);
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  double launched = platformWallSeconds();
  bool windowed = false;
  bool modeSwitch = false;
  bool integerScaling = false;
  bool fullResolution = false;
  bool loop = false;
  bool fromGiven = false, toGiven = false;
  bool bench = false;
  std::string captureDir;
  double from = 0.0, to = 1e30;
  bool rangeGiven = false;
  bool fastForward = true;
  std::vector<double> at;
  bool offsetGiven = false;
  int frameWidth = 0, frameHeight = 0;
  VideoEncoding encoding;
  bool scaleGiven = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--version") {
      std::puts("kelvo-strand " KS_VERSION);
      return 0;
    } else if (arg == "--windowed") {
      windowed = true;
    } else if (arg == "--audio-offset") {
      int ms = 0;
      std::string why;
      if (!hasValue) return usageError("--audio-offset needs a number of milliseconds");
      if (!audioOffsetParse(argv[i + 1], &ms, &why))
        return usageError(("--audio-offset " + std::string(argv[i + 1]) + " " + why).c_str());
      audioOffsetSetMs(ms);
      offsetGiven = true;
      ++i;
    } else if (arg == "--mode-switch") {
      modeSwitch = true;
    } else if (arg == "--integer-scaling") {
      integerScaling = true;
    } else if (arg == "--full-resolution") {
      fullResolution = true;
    } else if (arg == "--loop") {
      loop = true;
    } else if (arg == "--bench") {
      bench = true;
    } else if (arg == "--capture") {
      if (!hasValue || !*argv[i + 1]) return usageError("--capture needs a directory or a video file");
      captureDir = argv[++i];
    } else if (arg == "--at") {
      if (!hasValue || !parseTimes(argv[i + 1], &at)) return usageError("--at needs music seconds, separated by commas");
      ++i;
    } else if (arg == "--size") {
      if (!hasValue || !parseSize(argv[i + 1], &frameWidth, &frameHeight))
        return usageError("--size needs WIDTHxHEIGHT, from 16x16 to 3840x2880 (for example 1920x1440)");
      ++i;
    } else if (arg == "--scale") {
      char* end = nullptr;
      long factor = hasValue ? std::strtol(argv[i + 1], &end, 10) : 0;
      if (!hasValue || end == argv[i + 1] || *end || factor < 2 || factor > 8)
        return usageError("--scale needs a whole factor from 2 to 8");
      encoding.upscale = static_cast<int>(factor);
      scaleGiven = true;
      ++i;
    } else if (arg == "--lossless") {
      encoding.lossless = true;
    } else if (arg == "--no-fast-forward") {
      fastForward = false;
    } else if (arg == "--from" || arg == "--to") {
      if (!hasValue || !parseSeconds(argv[i + 1], arg == "--from" ? &from : &to))
        return usageError((arg + " needs a number of seconds").c_str());
      ++i;
      rangeGiven = true;
      (arg == "--from" ? fromGiven : toGiven) = true;
    } else {
      return usageError(("unknown option " + arg).c_str());
    }
  }
  if (bench && !captureDir.empty()) return usageError("--capture and --bench do not go together");
  bool live = !bench && captureDir.empty();
  if (toGiven && captureDir.empty()) return usageError("--to limits --capture");
  if (fromGiven && bench) return usageError("--from goes with --capture or a live run, not --bench");
  if (windowed && modeSwitch) return usageError("--windowed and --mode-switch do not go together");
  if (!live && (windowed || modeSwitch || integerScaling || fullResolution || loop))
    return usageError("--windowed, --mode-switch, --integer-scaling, --full-resolution and --loop are for live runs");
  if (offsetGiven && (bench || !captureDir.empty())) return usageError("--audio-offset is for live play");
  if (!fastForward && captureDir.empty()) return usageError("--no-fast-forward goes with --capture");
  if (!at.empty() && captureDir.empty()) return usageError("--at chooses the frames of --capture");
  if (!at.empty() && rangeGiven) return usageError("--at and --from or --to do not go together");
  if (!at.empty() && videoPathIsVideo(captureDir)) return usageError("--at writes PNG frames: give a directory");
  char afterEnd[96];
  std::snprintf(afterEnd, sizeof(afterEnd), "names a time after the end of the show (%g s)", kShowEndSeconds);
  for (double seconds : at)
    if (seconds > kShowEndSeconds) return usageError((std::string("--at ") + afterEnd).c_str());
  bool videoOut = videoPathIsVideo(captureDir);
  if (frameWidth && captureDir.empty() && !bench) return usageError("--size goes with --capture or --bench");
  if (frameWidth && videoOut && (frameWidth % 2 || frameHeight % 2))
    return usageError("--size for a video needs even numbers");
  if (scaleGiven && !videoOut) return usageError("--scale enlarges a video: give a .mp4 or .mkv file to --capture");
  if (scaleGiven && frameWidth) return usageError("--scale and --size do not go together");
  if (encoding.lossless && !(videoOut && captureDir.size() > 4 && captureDir.compare(captureDir.size() - 4, 4, ".mkv") == 0))
    return usageError("--lossless writes Matroska: give a .mkv file to --capture");
  if (from > to) return usageError("--from is after --to");
  // The show's last frame is the last one at or before its end: a later start would draw it all for nothing.
  if (from > kShowEndSeconds) return usageError((std::string("--from ") + afterEnd).c_str());

  // Find the data and move there; the capture path keeps the meaning it had where we started.
  captureDir = dataDirAbsolute(captureDir);
  if (!dataDirEnter()) return 1;

  bool virtualRun = bench || !captureDir.empty();
  if (virtualRun) {
    std::string why;
    if (videoOut && !videoEncoderAvailable(&why)) {
      std::fprintf(stderr, "kelvo-strand: cannot capture %s: %s\n", captureDir.c_str(), why.c_str());
      return 1;
    }
    if (!captureDir.empty() && !videoOut) {
      struct stat info;
      if (stat(captureDir.c_str(), &info) != 0 && mkdir(captureDir.c_str(), 0777) != 0) {
        std::fprintf(stderr, "kelvo-strand: cannot create %s: %s\n", captureDir.c_str(), std::strerror(errno));
        return 1;
      }
    }
    VirtualRunOptions options;
    (videoOut ? options.videoPath : options.captureDir) = captureDir;
    options.fromSeconds = from;
    options.toSeconds = to;
    options.fastForward = fastForward;
    options.atSeconds = at;
    options.bench = bench;
    options.frameWidth = frameWidth;
    options.frameHeight = frameHeight;
    videoPipeConfigure(encoding);
    virtualTimeEnable();
    virtualRunStart(options);
    wallClockPinUnlessSet("12:34:56");  // reproducible frames unless KS_FIXED_TIME says otherwise
    g_nativeBackend = &g_headlessBackend;
  } else {
    std::string why;
    if (!sdlDisplayNamed(&why)) {
      std::fprintf(stderr, "kelvo-strand: %s\n", why.c_str());
      return 1;
    }
    LiveOptions options;
    options.windowed = windowed;
    options.modeSwitch = modeSwitch;
    options.integerScaling = integerScaling;
    options.fullResolution = fullResolution;
    options.fromSeconds = from;
    options.launchedSeconds = launched;
    sdlBackendConfigure(options);
    g_nativeBackend = &g_sdlBackend;
  }

  int status = WinMain(nullptr, nullptr, argv[0], SW_SHOW);
  if (virtualRun && !virtualRunFinish() && status == 0) status = 1;
  if (bench) {
    double firstPaint = platformFirstPaintSeconds();
    if (firstPaint > 0.0) std::printf("bench: startup_ms=%.1f (launch to the first painted frame)\n",
                                      (firstPaint - launched) * 1000.0);
    benchPrintReport();
  }
  // A loop plays the whole show again in a fresh process (every value at its load-time start),
  // from its beginning, unless the show failed or a person ended it.
  if (loop && status == 0 && !sdlBackendEndedByUser()) {
    std::vector<char*> again;
    for (int i = 0; i < argc; ++i) {
      if (std::strcmp(argv[i], "--from") == 0) {
        ++i;
        continue;
      }
      again.push_back(argv[i]);
    }
    again.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    sdlBackendShutdown();
    execv("/proc/self/exe", again.data());
    std::fprintf(stderr, "kelvo-strand: cannot start the show again: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
}
