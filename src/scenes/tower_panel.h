// Tower side panel: the rising, then orbiting camera around the tower with its hovering cube.
#pragma once

extern float g_towerPhase;
extern float g_towerSpin;
extern float g_towerEyeY;
extern float g_towerRise;
extern float g_towerOrbitRadius;
extern float g_towerOrbitShrink;
