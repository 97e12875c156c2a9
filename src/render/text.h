// Extruded outline-font text: one display list per character code.
#pragma once

#include <cstdint>

#include "platform/win32.h"

extern uint32_t g_fontBase;
extern GLYPHMETRICSFLOAT g_glyphMetrics[256];

void createOutlineFont();
void deleteOutlineFont();
void printText(const char* format, ...) __attribute__((format(printf, 1, 2)));
