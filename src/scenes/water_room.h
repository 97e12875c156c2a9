// Water-ceiling room: a furnished room under a water sheet with a twisting cone stack.
#pragma once

extern float g_waterRoomPhase;
extern float g_coneStackSpin;

void drawConeStack(int slot);
