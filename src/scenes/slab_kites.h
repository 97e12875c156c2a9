// Flipping slab and kite star: a textured slab flips away at 70 s and gives way to two
// counter-rotating cubes and a twelve-armed star of additive kite flowers.
#pragma once

extern double g_slabAngle;
extern double g_slabFlipStep;
extern double g_cubeSpin;
extern float g_flowerSpin;
extern float g_kiteReach;
extern float g_kiteHalfBase;
extern float g_kiteHeight;
extern float g_kiteReachStep;
extern float g_kiteHeightStep;

void drawKiteSwarm();
void drawKiteFlower();
