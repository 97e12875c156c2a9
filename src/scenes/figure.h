// Walking figure of the clock hall: a blocky figure of 34 primitives with swinging limbs.
#pragma once

// Swing phase, advanced by 0.05 for every figure drawn.
extern float g_figurePhase;
