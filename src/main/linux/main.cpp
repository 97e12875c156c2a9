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
#include "main/linux/data_dir.h"
#include "platform/options/options.h"
#include "platform/sound/heard_clock.h"
#include "platform/time/virtual_time.h"
#include "platform/wall_clock.h"
#include "platform/win32.h"
#include "platform/winapi/headless_backend.h"
#include "platform/winapi/sdl_backend.h"
#include "timeline/frame.h"

namespace {
// The help: what the program is and how it is called, the options' block from the table
// (platform/options), and what holds for every run.
std::string usage() {
  return "kelvo-strand " KS_VERSION ": a real-time audiovisual show of animated 3D scenes and music\n"
         "usage: kelvo-strand [--windowed | --mode-switch] [--integer-scaling] [--from S] [--loop]\n"
         "                    [--full-resolution] [--audio-offset MS]\n"
         "       kelvo-strand [--capture DIR|FILE.mp4|FILE.mkv | --bench]\n"
         "                    [--from S] [--to S] [--at S[,S...]] [--no-fast-forward]\n"
         "                    [--size WxH | --scale N] [--lossless]\n" +
         optionsHelp() +
         "The hall's clock shows the real time of day in live runs. Capture and bench runs pin it to\n"
         "12:34:56 local time, or to KS_FIXED_TIME=HH:MM:SS when set (live runs honour that too),\n"
         "and let it run on with the music position.\n"
         "The show reads data/ under the working directory; where there is none, the data/ beside\n"
         "the program, then " KS_INSTALL_DATA_DIR "/data.\n";
}

int usageError(const std::string& why) {
  std::fprintf(stderr, "kelvo-strand: %s\n%s", why.c_str(), usage().c_str());
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  double launched = platformWallSeconds();
  std::string captureDir;
  OptionValues values;
  for (int i = 1; i < argc; ++i) {
    OptionArgument read;
    std::string why;
    if (!optionNext(argc, argv, &i, &read, &why) || !optionRead(read, &values, &why)) return usageError(why);
    const ViewerOption& option = *read.option;
    const char* value = read.value;
    switch (option.id) {
      case OptionId::Help:
        std::fputs(usage().c_str(), stdout);
        return 0;
      case OptionId::Version:
        std::puts("kelvo-strand " KS_VERSION);
        return 0;
      case OptionId::AudioOffset: {
        int ms = 0;
        if (!audioOffsetParse(value, &ms, &why)) return usageError(std::string(option.flag) + " " + value + " " + why);
        audioOffsetSetMs(ms);
        break;
      }
      case OptionId::Capture:
        if (!*value) return usageError(optionNeeds(option));
        captureDir = value;
        break;
      default:
        break;  // the switches and the values optionRead reads
    }
  }
  const bool windowed = values.has(OptionId::Windowed), modeSwitch = values.has(OptionId::ModeSwitch);
  const bool integerScaling = values.has(OptionId::IntegerScaling);
  const bool fullResolution = values.has(OptionId::FullResolution), loop = values.has(OptionId::Loop);
  const bool bench = values.has(OptionId::Bench), offsetGiven = values.has(OptionId::AudioOffset);
  const bool fastForward = !values.has(OptionId::NoFastForward);
  const double from = values.from, to = values.to;
  const std::vector<double>& at = values.at;
  const int frameWidth = values.frameWidth, frameHeight = values.frameHeight;
  const bool rangeGiven = values.has(OptionId::From) || values.has(OptionId::To);
  const bool scaleGiven = values.has(OptionId::Scale);
  VideoEncoding encoding;
  if (scaleGiven) encoding.upscale = values.scale;
  encoding.lossless = values.has(OptionId::Lossless);
  if (bench && !captureDir.empty()) return usageError("--capture and --bench do not go together");
  bool live = !bench && captureDir.empty();
  if (values.has(OptionId::To) && captureDir.empty()) return usageError("--to limits --capture");
  if (values.has(OptionId::From) && bench) return usageError("--from goes with --capture or a live run, not --bench");
  if (windowed && modeSwitch) return usageError("--windowed and --mode-switch do not go together");
  if (!live && (windowed || modeSwitch || integerScaling || fullResolution || loop))
    return usageError("--windowed, --mode-switch, --integer-scaling, --full-resolution and --loop are for live runs");
  if (offsetGiven && (bench || !captureDir.empty())) return usageError("--audio-offset is for live play");
  if (!fastForward && captureDir.empty()) return usageError("--no-fast-forward goes with --capture");
  if (!at.empty() && captureDir.empty()) return usageError("--at chooses the frames of --capture");
  if (!at.empty() && rangeGiven) return usageError("--at and --from or --to do not go together");
  if (!at.empty() && videoPathIsVideo(captureDir)) return usageError("--at writes PNG frames: give a directory");
  std::string pastEnd;
  for (double seconds : at)
    if (optionPastEnd("--at", seconds, kShowEndSeconds, &pastEnd)) return usageError(pastEnd);
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
  if (optionPastEnd("--from", from, kShowEndSeconds, &pastEnd)) return usageError(pastEnd);

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
  if (bench) benchPrintReport(launched);
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
