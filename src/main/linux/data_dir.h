// Finding the show's data wherever the program is started from. The show reads "data/..." under
// the working directory; before it starts, the process entry looks for a data directory and makes
// the directory that holds it the working directory.
#pragma once

#include <string>
#include <vector>

// The directories that may hold data/, in the order they are tried: the working directory, the
// program's own directory, the installed data directory relative to the program (an unpacked or
// moved install tree), then the one of the install prefix the program was built for.
std::vector<std::string> dataDirCandidates();

// True when dir/data holds the show's content (a data/ of one's own, say in a home directory,
// is not taken for it).
bool dataDirHoldsShow(const std::string& dir);

// Makes the first candidate that holds the show's data the working directory. When none does,
// says on standard error where it looked and returns false.
bool dataDirEnter();

// `path` made absolute against the current working directory (unchanged when already absolute),
// so that a path given on the command line keeps its meaning after dataDirEnter.
std::string dataDirAbsolute(const std::string& path);
