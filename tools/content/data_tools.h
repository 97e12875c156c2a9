// kelvo-content commands that read content with the show's own loaders.
#pragma once

#include <string>
#include <vector>

// check DIR: loads every file of the manifest from DIR/data; one line per file; 0 when all load.
int checkCommand(const std::vector<std::string>& args);
// inspect FILE.3ds: the model as the reader loaded it, as JSON on standard output.
int inspectCommand(const std::vector<std::string>& args);
