// The table of the viewer's options and what reads it: argv, the --help block, the page's JSON.
#include "platform/options/options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
using Id = OptionId;

const std::vector<ViewerOption> kOptions = {
    {Id::NoOption, nullptr, nullptr, nullptr, "(no option)",
     "play the show full screen: its 640x480 picture scaled to the screen, 4:3\n"
     "with black bars, the display's own mode untouched; Escape ends it",
     nullptr, nullptr, nullptr, nullptr, false, 0},
    {Id::Windowed, "--windowed", nullptr, nullptr, nullptr,
     "play it in a normal window (640x480, or a whole multiple on a large\n"
     "screen) that can be moved and resized; the picture follows its size;\n"
     "Escape or the window's close button ends it",
     nullptr, "fullscreen", "Full screen", "the whole screen, or else in the page", true, 1},
    {Id::ModeSwitch, "--mode-switch", nullptr, nullptr, nullptr,
     "full screen by switching the display to the mode closest to 640x480, as\n"
     "the show was made for; the desktop's mode comes back however it ends",
     nullptr, nullptr, nullptr, nullptr, false, 0},
    {Id::FullResolution, "--full-resolution", nullptr, nullptr, nullptr,
     "draw the picture at the size it fills on the screen instead of 640x480:\n"
     "sharp, for a machine with a GPU (slow with software rendering)",
     nullptr, "sharp", "Sharp", "drawn at the size it fills instead of 640x480 (for a GPU)", false, 2},
    {Id::IntegerScaling, "--integer-scaling", nullptr, nullptr, nullptr,
     "scale the picture by whole factors with sharp pixels instead of smoothly",
     nullptr, nullptr, nullptr, nullptr, false, 0},
    {Id::Loop, "--loop", nullptr, nullptr, nullptr,
     "play the show again from its beginning after its end (a fresh start;\n"
     "with --from, only the first pass starts there), until Escape",
     nullptr, "loop", "Loop", "play it again from its beginning after its end, until Escape", false, 4},
    {Id::AudioOffset, "--audio-offset", nullptr, "MS", nullptr,
     "the sound reaches your ears MS milliseconds later than the system says\n"
     "(Bluetooth headphones: about 150 to 250; negative if it comes earlier):\n"
     "the picture waits for it. Overrides KS_AUDIO_OFFSET_MS; -5000 to 5000",
     "needs a number of milliseconds", "offset", "Audio offset (ms)",
     "the sound reaches your ears this much later (Bluetooth: about 150 to 250)", false, 5},
    {Id::Capture, "--capture", nullptr, "DIR", nullptr,
     "draw every frame offscreen against virtual time (frame N at N x 0.040 s)\n"
     "and write it as DIR/frame-NNNNN.png",
     "needs a directory or a video file", nullptr, nullptr, nullptr, false, 0},
    {Id::CaptureVideo, nullptr, nullptr, nullptr, "--capture FILE.mp4, --capture FILE.mkv",
     "the same frames encoded by ffmpeg at 25 fps with the show's music as the\n"
     "sound track, frame N at N x 0.040 s: H.264 (BT.709 colour, tagged) with the\n"
     "MP3 as it is for .mp4, with the music as FLAC for .mkv",
     nullptr, nullptr, nullptr, nullptr, false, 0},
    {Id::Bench, "--bench", nullptr, nullptr, nullptr,
     "the same virtual-time run without output; prints the cost of the frames\n"
     "per schedule window and a summary line",
     nullptr, "bench", nullptr, nullptr, false, 8},
    {Id::From, "--from", nullptr, "S", nullptr,
     "live: start the music at second S; capture: the first second to write.\n"
     "The frames before it still run, so every motion is where it would be,\n"
     "but with nothing rasterised (live, the loading picture stays meanwhile)",
     "needs a number of seconds", "from", "Start at (s)", "the second of the music to start at", false, 3},
    {Id::To, "--to", nullptr, "S", nullptr, "last music second to write (--capture)",
     "needs a number of seconds", nullptr, nullptr, nullptr, false, 0},
    {Id::At, "--at", nullptr, "S[,S...]", nullptr,
     "write only the first frame at or after each of these music seconds, the\n"
     "frames between them fast-forwarded (--capture DIR)",
     "needs music seconds, separated by commas", "at", nullptr, nullptr, false, 6},
    {Id::NoFastForward, "--no-fast-forward", nullptr, nullptr, nullptr,
     "draw the frames before --from in full too (slow; the frames written are\n"
     "the same, which this lets one check)",
     nullptr, nullptr, nullptr, nullptr, false, 0},
    {Id::Size, "--size", nullptr, "WxH", nullptr,
     "draw the frames at W x H pixels instead of 640x480 (--capture, --bench):\n"
     "the same picture, drawn sharp at that size; a size that is not 4:3 gets\n"
     "the largest 4:3 picture that fits, centred, with black bars (1920x1440,\n"
     "or 1920x1080 for a 16:9 video; even numbers for a video)",
     "needs WIDTHxHEIGHT, from 16x16 to 3840x2880 (for example 1920x1440)", "size", nullptr, nullptr, false, 7},
    {Id::Scale, "--scale", nullptr, "N", nullptr,
     "enlarge the 640x480 frames N times (2 to 8) in the video, each pixel a\n"
     "block of N x N (--capture FILE.mp4 or FILE.mkv)",
     "needs a whole factor from 2 to 8", nullptr, nullptr, nullptr, false, 0},
    {Id::Lossless, "--lossless", nullptr, nullptr, nullptr,
     "encode the video without loss: FFV1 (RGB) and FLAC (--capture FILE.mkv)",
     nullptr, nullptr, nullptr, nullptr, false, 0},
    {Id::Help, "--help", "-h", nullptr, nullptr, "this text", nullptr, nullptr, nullptr, nullptr, false, 0},
    {Id::Version, "--version", nullptr, nullptr, nullptr, "the release", nullptr, nullptr, nullptr, nullptr, false, 0},
};

// The help's columns: two spaces, the label, the text from this column on; a longer label
// has a line of its own.
const size_t kTextColumn = 17;

void appendJsonString(std::string* out, const char* text) {
  if (!text) {
    *out += "null";
    return;
  }
  *out += '"';
  for (const char* c = text; *c; ++c) {
    unsigned char byte = static_cast<unsigned char>(*c);
    if (byte == '"' || byte == '\\') {
      *out += '\\';
      *out += *c;
    } else if (byte == '\n') {
      *out += "\\n";
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
      *out += escaped;
    } else {
      *out += *c;
    }
  }
  *out += '"';
}

void appendJsonNumber(std::string* out, double value) {
  char number[32];
  std::snprintf(number, sizeof(number), "%.17g", value);
  *out += number;
}
}  // namespace

const std::vector<ViewerOption>& viewerOptions() { return kOptions; }

const ViewerOption* optionFind(const std::string& flag) {
  for (const ViewerOption& option : kOptions) {
    if (option.flag && flag == option.flag) return &option;
    if (option.alias && flag == option.alias) return &option;
  }
  return nullptr;
}

std::string optionNeeds(const ViewerOption& option) {
  return std::string(option.flag) + " " + (option.needs ? option.needs : "needs a value");
}

bool optionNext(int argc, char** argv, int* index, OptionArgument* out, std::string* why) {
  const char* word = argv[*index];
  const ViewerOption* option = optionFind(word);
  if (!option) {
    *why = std::string("unknown option ") + word;
    return false;
  }
  out->option = option;
  out->value = nullptr;
  if (option->argument) {
    if (*index + 1 >= argc) {
      *why = optionNeeds(*option);
      return false;
    }
    out->value = argv[++*index];
  }
  return true;
}

bool optionSeconds(const char* text, double* seconds) {
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(text, &end);
  // "nan" and "inf" parse as numbers but name no moment of the show.
  if (errno || end == text || *end || !std::isfinite(value) || value < 0.0) return false;
  *seconds = value;
  return true;
}

bool optionTimes(const char* text, std::vector<double>* times) {
  std::string list = text;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    double seconds;
    if (!optionSeconds(item.c_str(), &seconds)) return false;
    times->push_back(seconds);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

bool optionSize(const char* text, int* width, int* height) {
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

bool optionWhole(const char* text, long low, long high, long* value) {
  char* end = nullptr;
  errno = 0;
  long number = std::strtol(text, &end, 10);
  if (errno || end == text || *end || number < low || number > high) return false;
  *value = number;
  return true;
}

bool optionRead(const OptionArgument& read, OptionValues* values, std::string* why) {
  const ViewerOption& option = *read.option;
  static_assert(static_cast<int>(Id::Version) < 64, "OptionValues::given holds a bit an option (Version is the last)");
  values->given |= 1ULL << static_cast<int>(option.id);
  bool ok = true;
  switch (option.id) {
    case Id::From:
      ok = optionSeconds(read.value, &values->from);
      break;
    case Id::To:
      ok = optionSeconds(read.value, &values->to);
      break;
    case Id::At:
      ok = optionTimes(read.value, &values->at);
      break;
    case Id::Size:
      ok = optionSize(read.value, &values->frameWidth, &values->frameHeight);
      break;
    case Id::Scale: {
      long factor = 0;
      ok = optionWhole(read.value, 2, 8, &factor);
      values->scale = static_cast<int>(factor);
      break;
    }
    default:
      break;
  }
  if (!ok) *why = optionNeeds(option);
  return ok;
}

bool optionPastEnd(const char* flag, double seconds, double endSeconds, std::string* why) {
  if (!(seconds > endSeconds)) return false;
  char message[128];
  std::snprintf(message, sizeof(message), "%s names a time after the end of the show (%g s)", flag, endSeconds);
  *why = message;
  return true;
}

std::string optionsHelp() {
  std::string out;
  for (const ViewerOption& option : kOptions) {
    std::string label = option.label ? option.label : option.flag;
    if (!option.label && option.argument) label += std::string(" ") + option.argument;
    out += "  " + label;
    if (2 + label.size() + 2 <= kTextColumn) {
      out.append(kTextColumn - 2 - label.size(), ' ');
    } else {
      out += '\n';
      out.append(kTextColumn, ' ');
    }
    for (const char* c = option.help; *c; ++c) {
      out += *c;
      if (*c == '\n') out.append(kTextColumn, ' ');
    }
    out += '\n';
  }
  return out;
}

std::string optionsJson(const std::vector<OptionRange>& ranges) {
  std::vector<const ViewerOption*> offered;
  for (const ViewerOption& option : kOptions)
    if (option.flag && option.pageKey) offered.push_back(&option);
  std::stable_sort(offered.begin(), offered.end(),
                   [](const ViewerOption* a, const ViewerOption* b) { return a->pageOrder < b->pageOrder; });
  std::string out = "[";
  for (const ViewerOption* row : offered) {
    const ViewerOption& option = *row;
    if (out.size() > 1) out += ',';
    out += "{\"flag\":";
    appendJsonString(&out, option.flag);
    out += ",\"argument\":";
    appendJsonString(&out, option.argument);
    out += ",\"key\":";
    appendJsonString(&out, option.pageKey);
    out += ",\"label\":";
    appendJsonString(&out, option.pageLabel);
    out += ",\"help\":";
    appendJsonString(&out, option.pageHelp);
    out += ",\"inverted\":";
    out += option.pageInverted ? "true" : "false";
    for (const OptionRange& range : ranges) {
      if (range.id != option.id) continue;
      out += ",\"min\":";
      appendJsonNumber(&out, range.min);
      out += ",\"max\":";
      appendJsonNumber(&out, range.max);
    }
    out += '}';
  }
  out += ']';
  return out;
}
