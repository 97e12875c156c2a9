// Stage constants of the clock hall, shared with the camera path and the start-up tables.
#pragma once

extern const float g_stageX;
extern const float g_stageY;
extern const float g_stageZ;
extern const double g_stageWidth;
extern const double g_stageHeight;
extern const double g_stageDepth;
