// The page's process entry: the page calls main with the viewer's choices as argv (the flags of
// the options table, platform/options), and this reads them as the Linux entry reads its
// command line, chooses the canvas backend and hands over to WinMain. A live run plays on the
// page's canvas (sharp, from a second of the music, with an audio offset); the page's `at` and
// `bench` run against virtual time as --capture --at and --bench do: the chosen frames handed
// back to the page, or the benchmark's report on standard output.
// The page's own choices (full screen or in the page, playing again) are the page's: their
// flags are accepted and change nothing here. Options the page does not offer end the run with
// a line on standard error and status 2.
// The page reads the table itself through ksOptionsJson().
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ks_build_config.h"
#include "capture/bench.h"
#include "platform/options/options.h"
#include "platform/sound/heard_clock.h"
#include "platform/time/virtual_time.h"
#include "platform/wall_clock.h"
#include "platform/win32.h"
#include "platform/winapi/backend.h"
#include "platform/winapi/canvas_backend_web.h"
#include "timeline/frame.h"

// The options the page offers, as JSON (optionsJson), with the ranges of their numbers.
extern "C" EMSCRIPTEN_KEEPALIVE const char* ksOptionsJson() {
  static const std::string json = optionsJson({
      {OptionId::From, 0.0, kShowEndSeconds},
      {OptionId::AudioOffset, static_cast<double>(-kAudioOffsetLimitMs), static_cast<double>(kAudioOffsetLimitMs)},
  });
  return json.c_str();
}

// The run's end with its status, said to the page (its ksExit hook).
EM_JS(void, ksReportExit, (int status), {
  if (Module['ksExit']) Module['ksExit'](status);
});

namespace {
int refuse(const std::string& why) {
  std::fprintf(stderr, "kelvo-strand: %s\n", why.c_str());
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  double launched = platformWallSeconds();
  OptionValues values;
  bool offsetGiven = false;
  for (int i = 1; i < argc; ++i) {
    OptionArgument read;
    std::string why;
    if (!optionNext(argc, argv, &i, &read, &why)) return refuse(why);
    const ViewerOption& option = *read.option;
    const char* value = read.value;
    switch (option.id) {
      case OptionId::Windowed:
      case OptionId::Loop:
        break;  // the page's: in the page or full screen, and playing again
      case OptionId::FullResolution:
      case OptionId::Bench:
      case OptionId::From:
      case OptionId::At:
      case OptionId::Size:
        if (!optionRead(read, &values, &why)) return refuse(why);
        break;
      case OptionId::AudioOffset: {
        int ms = 0;
        if (!audioOffsetParse(value, &ms, &why)) return refuse(std::string(option.flag) + " " + value + " " + why);
        audioOffsetSetMs(ms);
        offsetGiven = true;
        break;
      }
      case OptionId::Version:
        std::puts("kelvo-strand " KS_VERSION);
        return 0;
      default:
        return refuse(std::string(option.flag) + " is not offered in the page");
    }
  }
  const bool sharp = values.has(OptionId::FullResolution), bench = values.has(OptionId::Bench);
  const double from = values.from;
  const std::vector<double>& at = values.at;
  const int frameWidth = values.frameWidth, frameHeight = values.frameHeight;
  bool virtualRun = bench || !at.empty();
  std::string why;
  if (bench && !at.empty()) return refuse("--at and --bench do not go together");
  if (values.has(OptionId::From) && virtualRun) return refuse("--from is for live play, not --at or --bench");
  if (sharp && virtualRun) return refuse("--full-resolution is for live play (--size gives --at and --bench their size)");
  if (offsetGiven && virtualRun) return refuse("--audio-offset is for live play");
  if (frameWidth && !virtualRun) return refuse("--size goes with --at or --bench");
  for (double seconds : at)
    if (optionPastEnd("--at", seconds, kShowEndSeconds, &why)) return refuse(why);
  if (optionPastEnd("--from", from, kShowEndSeconds, &why)) return refuse(why);

  CanvasOptions options;
  options.sharp = sharp;
  options.fromSeconds = from;
  options.virtualTime = virtualRun;
  options.atSeconds = at;
  options.bench = bench;
  if (bench) options.benchHooks = {benchRecordRenderer, benchRecordPaint, benchRecordEnd, benchRecordWork};
  options.frameWidth = frameWidth;
  options.frameHeight = frameHeight;
  if (virtualRun) {
    virtualTimeEnable();
    wallClockPinUnlessSet("12:34:56");  // the frames of the Linux captures of the same times
  }
  canvasBackendConfigure(options);
  g_nativeBackend = &g_canvasBackend;

  // The page put the data under /data; the show reads data/ under the working directory.
  int status = WinMain(nullptr, nullptr, argv[0], SW_SHOW);
  if (bench) benchPrintReport(launched);
  // After Asyncify has unwound main once (the first wait for a frame), its return value no
  // longer reaches the runtime, and the runtime's exit would unwind by a throw from the
  // promise callback that woke main: an uncaught rejection, which some browsers report even
  // when the page handles it. So the status goes to the page's hook and main returns.
  std::fflush(stdout);
  std::fflush(stderr);
  ksReportExit(status);
  return status;
}
