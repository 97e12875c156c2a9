// kelvo-content: programs that serve the show's content. Each sub-command is one entry of the
// table below; add a command by adding a line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "content.h"
#include "data_tools.h"

namespace {

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"generate", "generate DIR [--previews PNGDIR]  write DIR/data/ (pictures, models, music, bitmap)", generateCommand},
    {"check", "check DIR  load every file of DIR/data with the show's loaders, one line per file", checkCommand},
    {"icon", "icon FILE.png  write the program's 256x256 icon for desktop menus", iconCommand},
    {"inspect", "inspect FILE.3ds  print the model as the show's reader loads it, as JSON", inspectCommand},
};

int usage() {
  std::fprintf(stderr, "usage: kelvo-content COMMAND ...\n");
  for (const Command& c : kCommands) std::fprintf(stderr, "  %s\n", c.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  for (const Command& c : kCommands)
    if (std::strcmp(argv[1], c.name) == 0) return c.run(std::vector<std::string>(argv + 2, argv + argc));
  return usage();
}
