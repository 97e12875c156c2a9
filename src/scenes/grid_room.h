// Grid model room: the hall with the two mirrored grid models and the glowing floor sheet.
#pragma once

extern float g_gridRoomPhase;

void drawFloorQuad(double x, double y, double z, double width, double depth, int slot, double repeatS,
                   double repeatT);
