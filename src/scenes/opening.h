// Opening tile wall and caged box: animation state and the scene's inner drawings.
#pragma once

extern double g_tileSpin;
extern float g_boxAngleX;
extern float g_boxAngleY;
extern float g_boxAngleZ;

void drawCagedBox();
void drawSphereCage();
