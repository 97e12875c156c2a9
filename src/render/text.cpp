#include "render/text.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/app.h"

uint32_t g_fontBase = 0;
GLYPHMETRICSFLOAT g_glyphMetrics[256];

// Builds one extruded display list per character code 0..254 from a heavy italic
// "Times New Roman"; list g_fontBase + c draws code c and advances along +x. The font stays
// selected in the window's DC for the whole run.
void createOutlineFont() {
  g_fontBase = glGenLists(256);
  HFONT font = CreateFontA(-14, 9, 0, 0, FW_HEAVY, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
  SelectObject(g_hdc, font);
  wglUseFontOutlinesA(g_hdc, 0, 255, g_fontBase, 0.1f, 0.2f, WGL_FONT_POLYGONS, g_glyphMetrics);
}

void deleteOutlineFont() { glDeleteLists(g_fontBase, 256); }

// Formats printf-style and draws the text at the current modelview position, leaving the
// modelview translated by the summed advances. Longer text is cut at 255 characters.
void printText(const char* format, ...) {
  if (format == nullptr) return;

  char text[256];
  va_list args;
  va_start(args, format);
  int written = vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (written < 0) return;

  glPushAttrib(GL_LIST_BIT);
  glListBase(g_fontBase);
  glCallLists((GLsizei)strlen(text), GL_UNSIGNED_BYTE, text);
  glPopAttrib();
}
