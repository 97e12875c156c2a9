// Model renderer and sphere-mapped texturing.
#pragma once

#include "formats/model3ds.h"

void enableSphereMap(int slot);
void disableSphereMap();
void drawModel(Model model, int slot);
