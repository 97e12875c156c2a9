// Clock hall: a long textured hall inside a sky sphere, with a clock board showing the local
// time, walking figures, carts, lifts, sliding cubes, a beam, pipes and two paddle crosses.
#pragma once

extern float g_liftY;
extern float g_liftStep;
extern float g_conveyorZ;
extern float g_cubeSlideOffset;
extern float g_cubeSlideStep;
extern float g_beamX;
extern float g_wheelAngle;
extern int g_panelSlot;

// The local time of day, re-read on every call.
void readLocalTime(int* hours, int* minutes, int* seconds);
// One wedge-nosed cart: length along local x from a - 0.6d to a + 0.7d, height from b - f to b,
// width from c - e/2 to c + e/2.
void drawCart(float a, float b, float c, float d, float e, float f);
