// Funnel burst: 57 additive open cones fanned from one point, tumbling, their narrow ends
// breathing.
#pragma once

extern float g_burstSpin;
extern float g_burstRadius;
extern float g_burstStep;
