// Ring tube flight: the camera wobbles and bounces along a tube of rods and rings.
#pragma once

extern double g_tubePhase;
extern double g_tubeCameraZ;
extern double g_tubeCameraStep;

void drawRingTube(float length, double radius);
