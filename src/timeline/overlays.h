// Screen overlays: the opening white fade and the additive rosette.
#pragma once

extern double g_fadeFrame;

extern float g_rosetteOrbit;
extern float g_rosetteEyeX, g_rosetteEyeZ;
extern float g_rosetteSpin;
extern float g_rosetteSpinStep;
extern double g_rosetteP;
extern double g_rosetteStepP;
extern double g_rosetteQ;
extern float g_rosetteStepQ;
extern float g_rosetteR;
extern float g_rosetteStepR;

void drawWhiteFade(double rate);
void drawRosetteOverlay(int slot);
