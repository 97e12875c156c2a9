// The show's content, made from code: pictures, models, the music track and the loading bitmap.
#pragma once

#include <string>
#include <vector>

#include "image.h"

struct Picture {
  const char* name;  // file name under data/, without ".jpg"
  Image (*make)();
};

// The 23 pictures in the manifest's slot order.
const std::vector<Picture>& pictures();
Image makeLoadingBitmap();

// Writes dir/data/kratka.3ds and dir/data/grid.3ds; false with a reason on failure.
bool writeModels(const std::string& dataDir, std::string& error);

// Synthesises the track and encodes it to MP3; false with a reason on failure.
bool writeMusic(const std::string& path, std::string& error);
// The track's length in seconds and the moments that carry a strong hit.
double musicLength();
const std::vector<double>& musicHitTimes();

// Sub-commands of kelvo-content: argument list after the command name, exit status.
int generateCommand(const std::vector<std::string>& args);
int iconCommand(const std::vector<std::string>& args);

// The program's icon for desktop menus, 256 x 256, with its opacity a pixel in `alpha`.
Image makeIcon(std::vector<float>* alpha);
