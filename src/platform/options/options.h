// The viewer's options: one table that both programs read, so the command line (Linux,
// main/linux/main.cpp) and the page (main/web/) cannot drift. Each row holds the flag, its
// argument, its --help text, the message for a value that is missing or does not read, and for
// the options the page offers, the key of its form field and URL parameter, its label and its
// explanation.
// Use: an entry walks argv with optionNext and optionRead, which notes what was given and reads
// the values both programs share, and acts on the rest by the options' ids (what an option means
// to a program and most checks of how options combine are the entry's; the show's end is
// checked by optionPastEnd); the --help text's option block is optionsHelp(); the page gets the
// rows with a page key as optionsJson().
#pragma once

#include <string>
#include <vector>

enum class OptionId {
  NoOption,  // the help's "(no option)" entry: what a run without options does
  Windowed,
  ModeSwitch,
  FullResolution,
  IntegerScaling,
  Loop,
  AudioOffset,
  Capture,
  CaptureVideo,  // a second help entry of --capture: the video files
  Bench,
  From,
  To,
  At,
  NoFastForward,
  Size,
  Scale,
  Lossless,
  Help,
  Version,
};

struct ViewerOption {
  OptionId id;
  const char* flag;      // "--from"; null for an entry of the help alone
  const char* alias;     // another spelling ("-h"), or null
  const char* argument;  // the value's name in the help ("S"); null for a switch
  const char* label;     // the help's left column where it is not the flag and its argument
  const char* help;      // the help text, its lines as printed, '\n' between them
  const char* needs;     // after the flag, the message for a missing or unreadable value
  // The page: the form field's and the URL parameter's key (null: not in the page), the
  // start screen's label and explanation (null label: a URL parameter only, for checks),
  // whether the page's choice is the flag's absence (the page's "fullscreen" is no --windowed),
  // and its place among the page's choices (the start screen's order, not the help's).
  const char* pageKey;
  const char* pageLabel;
  const char* pageHelp;
  bool pageInverted;
  int pageOrder;
};

// The rows, in the order of the help.
const std::vector<ViewerOption>& viewerOptions();
// The row of a flag or its alias; null for an unknown one.
const ViewerOption* optionFind(const std::string& flag);

// One option read from argv at *index: its row and its value (null for a switch); *index is
// left on the last word it used. False with the message ("unknown option --x", "--from needs a
// number of seconds") when the flag is unknown or its value is missing.
struct OptionArgument {
  const ViewerOption* option = nullptr;
  const char* value = nullptr;
};
bool optionNext(int argc, char** argv, int* index, OptionArgument* out, std::string* why);
// The message for a value of `option` that does not read: "--from needs a number of seconds".
std::string optionNeeds(const ViewerOption& option);

// Values. Seconds: a number not below 0. Times: seconds separated by commas. Size: WxH from
// 16x16 to 3840x2880 (what the frame buffers and writers hold). Whole: an integer in [low, high].
bool optionSeconds(const char* text, double* seconds);
bool optionTimes(const char* text, std::vector<double>* times);
bool optionSize(const char* text, int* width, int* height);
bool optionWhole(const char* text, long low, long high, long* value);

// What optionRead has read: which options were given, and the values of --from, --to, --at,
// --size and --scale.
struct OptionValues {
  unsigned long long given = 0;  // a bit an OptionId
  bool has(OptionId id) const { return (given >> static_cast<int>(id)) & 1; }
  double from = 0.0, to = 1e30;
  std::vector<double> at;
  int frameWidth = 0, frameHeight = 0;  // 0: the program's own size
  int scale = 0;                        // 0: not given
};
// Notes the option as given and reads the value of the five above into `values`; false with
// the option's message ("--from needs a number of seconds") where it does not read. The other
// values (--capture, --audio-offset) are the entry's.
bool optionRead(const OptionArgument& read, OptionValues* values, std::string* why);
// True, with the message "FLAG names a time after the end of the show (E s)", where `seconds`
// (the value of FLAG) lies after the show's end at `endSeconds`.
bool optionPastEnd(const char* flag, double seconds, double endSeconds, std::string* why);

// The option block of --help: every row's label and text in two columns, text from column 18.
std::string optionsHelp();

// The rows the page offers, in the page's order, as a JSON array of objects: flag, argument
// (null for a switch),
// key, label (null: URL only), help (the page's explanation), inverted, and min and max where
// the entry gives a range for the value (numbers of the rows of `ranges`).
struct OptionRange {
  OptionId id;
  double min, max;
};
std::string optionsJson(const std::vector<OptionRange>& ranges);
