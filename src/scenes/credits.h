// Credits scroll: five lines of outline-font text rising over the water-ceiling room.
#pragma once

extern float g_creditsScroll;
extern float g_creditsWobblePhase;
extern float g_creditsWobble;

void printCreditPiece(const char* text, float x, float y, float z, bool swaying);
