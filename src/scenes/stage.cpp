#include "scenes/stage.h"

const float g_stageX = -15.0f;
const float g_stageY = 100.0f;
const float g_stageZ = 0.0f;
const double g_stageWidth = 30.0;
const double g_stageHeight = 200.0;
const double g_stageDepth = 500.0;
