// Outline fonts: CreateFontA and wglUseFontOutlinesA.
//
// Supports: a logical font described by height, width, weight, italic and face name, served by
// a font file (font_file.h: on Linux the installed face fontconfig matches, a "Times New Roman"
// request finding a metric-compatible serif; in the browser the page's copy of such a serif
// family); one display list per character code of the Windows-1252 code
// page, made of the glyph's filled front face (z 0, normal +z), its back face (z -extrusion,
// normal -z) and the side walls between them (flat outward normals), every polygon wound
// clockwise seen from outside the glyph, in em units: the em
// square is 1 unit high, the base line at y 0. Curves are flattened to line segments that
// stay within the chordal deviation. Each list ends with glTranslatef by the glyph's advance.
// GLYPHMETRICSFLOAT records are filled when a buffer is given. WGL_FONT_LINES draws each
// glyph's contours as line loops at z 0.
//
// Width: a non-zero width is the average character width the caller wants, in the same
// units as the height. Glyphs are stretched horizontally (outlines and advances) by the
// ratio of that width to the face's own average width at the requested size, as a logical
// font with an explicit width is drawn; a width of 0 keeps the face's proportions.
// A weight or slant that the matched face lacks is synthesised as the match advises
// (embolden, oblique matrix).
//
// Does not support: escapement and orientation, underline and strike-out, character sets
// other than Windows-1252, bitmap fonts, hinting; a code with no glyph in the face draws the
// face's missing-glyph shape.
//
// Depends on: font_file.h (face matching), FreeType (outlines, metrics), the GLU tessellator
// (filling the front and back faces) and a current OpenGL context (display lists). The
// font record is GdiFont (gdi_objects.h); SelectObject stores it in the DC, from which
// wglUseFontOutlinesA reads it.
#ifndef _WIN32

#include "platform/winapi/font_file.h"
#include "platform/winapi/gdi_objects.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <string>
#include <vector>

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  GdiFont* font = new GdiFont();
  font->height = height;
  font->width = width;
  font->weight = weight;
  font->italic = italic != 0;
  font->faceName = faceName ? faceName : "";
  return toHandle(font);
}

namespace {

// Unicode of the Windows-1252 codes 0x80..0x9F; the five unassigned ones keep their code.
const uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned long unicodeOf(unsigned code) {
  if (code >= 0x80 && code < 0xA0) return kCp1252High[code - 0x80];
  return code;
}

struct Point {
  double x, y;
};

// Walks a FreeType outline (in font units), maps every point to em units and flattens the
// curves within the chordal deviation.
struct OutlineWalk {
  double scaleX, scaleY;  // font units -> em units
  double xx = 1, xy = 0, yx = 0, yy = 1;  // synthetic slant, in font units
  double deviation;
  std::vector<std::vector<Point>> contours;
  Point last{0, 0};

  Point map(const FT_Vector* v) const {
    double fx = v->x, fy = v->y;
    return {(xx * fx + xy * fy) * scaleX, (yx * fx + yy * fy) * scaleY};
  }
  void add(Point p) {
    std::vector<Point>& contour = contours.back();
    if (contour.empty() || contour.back().x != p.x || contour.back().y != p.y) contour.push_back(p);
    last = p;
  }
  // Segments needed so that a curve whose second derivative is bounded by `bend` stays
  // within the deviation of its chords (error <= bend / (8 n^2)).
  int segmentsFor(double bend) const {
    int n = (int)std::ceil(std::sqrt(bend / (8.0 * deviation)));
    return std::min(std::max(n, 1), 256);
  }
};

int moveTo(const FT_Vector* to, void* user) {
  OutlineWalk* walk = static_cast<OutlineWalk*>(user);
  walk->contours.emplace_back();
  walk->add(walk->map(to));
  return 0;
}

int lineTo(const FT_Vector* to, void* user) {
  OutlineWalk* walk = static_cast<OutlineWalk*>(user);
  walk->add(walk->map(to));
  return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  OutlineWalk* walk = static_cast<OutlineWalk*>(user);
  Point p0 = walk->last, p1 = walk->map(control), p2 = walk->map(to);
  // B'' = 2 (p0 - 2 p1 + p2)
  double bend = 2.0 * std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
  int n = walk->segmentsFor(bend);
  for (int i = 1; i <= n; i++) {
    double t = (double)i / n, u = 1 - t;
    walk->add({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
  }
  return 0;
}

int cubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
  OutlineWalk* walk = static_cast<OutlineWalk*>(user);
  Point p0 = walk->last, p1 = walk->map(control1), p2 = walk->map(control2), p3 = walk->map(to);
  // |B''| <= 6 max(|p0 - 2 p1 + p2|, |p1 - 2 p2 + p3|)
  double bend = 6.0 * std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                               std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
  int n = walk->segmentsFor(bend);
  for (int i = 1; i <= n; i++) {
    double t = (double)i / n, u = 1 - t;
    double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    walk->add({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
  return 0;
}

// Triangles of a glyph's filled area, collected from the GLU tessellator.
struct Tessellation {
  std::deque<std::array<double, 3>> extra;  // points made where contours cross
  std::vector<Point> triangles;              // three points per triangle
  bool failed = false;
};

void APIENTRY tessBegin(GLenum, void*) {}
void APIENTRY tessEdgeFlag(GLboolean, void*) {}  // its presence makes GLU emit plain triangles
void APIENTRY tessVertex(void* vertex, void* user) {
  const double* v = static_cast<const double*>(vertex);
  static_cast<Tessellation*>(user)->triangles.push_back({v[0], v[1]});
}
void APIENTRY tessCombine(GLdouble coords[3], void*[4], GLfloat[4], void** out, void* user) {
  Tessellation* tess = static_cast<Tessellation*>(user);
  tess->extra.push_back({coords[0], coords[1], coords[2]});
  *out = tess->extra.back().data();
}
void APIENTRY tessError(GLenum, void* user) { static_cast<Tessellation*>(user)->failed = true; }

// Fills the contours by the non-zero rule (TrueType and CFF outlines alike) and returns the
// triangles, each clockwise seen from +z.
bool tessellate(const std::vector<std::vector<Point>>& contours, std::vector<Point>* triangles) {
  Tessellation result;
  std::deque<std::array<double, 3>> points;
  GLUtesselator* tess = gluNewTess();
  if (!tess) return false;
  gluTessCallback(tess, GLU_TESS_BEGIN_DATA, (_GLUfuncptr)tessBegin);
  gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, (_GLUfuncptr)tessEdgeFlag);
  gluTessCallback(tess, GLU_TESS_VERTEX_DATA, (_GLUfuncptr)tessVertex);
  gluTessCallback(tess, GLU_TESS_COMBINE_DATA, (_GLUfuncptr)tessCombine);
  gluTessCallback(tess, GLU_TESS_ERROR_DATA, (_GLUfuncptr)tessError);
  gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
  gluTessNormal(tess, 0, 0, 1);
  gluTessBeginPolygon(tess, &result);
  for (const std::vector<Point>& contour : contours) {
    gluTessBeginContour(tess);
    for (const Point& p : contour) {
      points.push_back({p.x, p.y, 0.0});
      gluTessVertex(tess, points.back().data(), points.back().data());
    }
    gluTessEndContour(tess);
  }
  gluTessEndPolygon(tess);
  gluDeleteTess(tess);
  if (result.failed) return false;

  for (size_t i = 0; i + 2 < result.triangles.size(); i += 3) {
    Point& a = result.triangles[i];
    Point& b = result.triangles[i + 1];
    Point& c = result.triangles[i + 2];
    double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area > 0) std::swap(b, c);
  }
  *triangles = std::move(result.triangles);
  return true;
}

// Compiles one glyph: front face, back face, side walls, then the advance.
// Every polygon is wound clockwise seen from outside the glyph. The clock hall prints its text
// with face culling on while the boxes drawn before it have left glFrontFace(GL_CW); with that
// winding the front face, towards the viewer, is the one kept, and the back face, which lies
// on the clock board's surface, is the one culled. Normals point outwards all the same.
void compileGlyph(GLuint list, const std::vector<std::vector<Point>>& contours,
                  const std::vector<Point>& triangles, bool fillRight, double advance, float extrusion,
                  int format) {
  glNewList(list, GL_COMPILE);
  if (format == WGL_FONT_LINES) {
    for (const std::vector<Point>& contour : contours) {
      glBegin(GL_LINE_LOOP);
        for (const Point& p : contour) glVertex3f(p.x, p.y, 0.0f);
      glEnd();
    }
  } else if (!triangles.empty()) {
    // Front face, clockwise seen from +z
    glBegin(GL_TRIANGLES);
      glNormal3f(0.0f, 0.0f, 1.0f);
      for (const Point& p : triangles) glVertex3f(p.x, p.y, 0.0f);
    glEnd();

    // Back face, each triangle reversed so that it is clockwise seen from -z
    glBegin(GL_TRIANGLES);
      glNormal3f(0.0f, 0.0f, -1.0f);
      for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
        glVertex3f(triangles[i].x, triangles[i].y, -extrusion);
        glVertex3f(triangles[i + 2].x, triangles[i + 2].y, -extrusion);
        glVertex3f(triangles[i + 1].x, triangles[i + 1].y, -extrusion);
      }
    glEnd();

    // Side walls: the filled area lies to one side of every edge, the wall faces the other
    glBegin(GL_QUADS);
      for (const std::vector<Point>& contour : contours) {
        size_t count = contour.size();
        for (size_t i = 0; i < count; i++) {
          Point p0 = contour[i], p1 = contour[(i + 1) % count];
          double dx = p1.x - p0.x, dy = p1.y - p0.y;
          double length = std::hypot(dx, dy);
          if (length == 0) continue;
          if (!fillRight) {
            std::swap(p0, p1);
            dx = -dx;
            dy = -dy;
          }
          // Outward is the left of the edge p0 -> p1; this vertex order is clockwise seen
          // from there.
          glNormal3f(-dy / length, dx / length, 0.0f);
          glVertex3f(p0.x, p0.y, 0.0f);
          glVertex3f(p0.x, p0.y, -extrusion);
          glVertex3f(p1.x, p1.y, -extrusion);
          glVertex3f(p1.x, p1.y, 0.0f);
        }
      }
    glEnd();
  }
  glTranslatef(advance, 0.0f, 0.0f);
  glEndList();
}

}  // namespace

BOOL wglUseFontOutlinesA(HDC hdc, DWORD first, DWORD count, DWORD listBase, FLOAT deviation,
                         FLOAT extrusion, int format, GLYPHMETRICSFLOAT* metrics) {
  GdiDc* dc = toDc(hdc);
  if (!dc || !dc->font) return FALSE;
  const GdiFont& font = *dc->font;

  FontFile file;
  if (!fontFileFor(font, &file)) return FALSE;
  FT_Library library;
  if (FT_Init_FreeType(&library)) return FALSE;
  FT_Face face;
  if (FT_New_Face(library, file.path.c_str(), file.index, &face) || !FT_IS_SCALABLE(face)) {
    FT_Done_FreeType(library);
    return FALSE;
  }
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);

  double unitsPerEm = face->units_per_EM;
  double stretch = 1.0;
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (font.width > 0 && font.height != 0 && os2 && os2->xAvgCharWidth > 0) {
    // The em size in the caller's units: a negative height is the character (em) height,
    // a positive one the cell height, ascent plus descent.
    double em = -font.height;
    if (font.height > 0) {
      double cell = os2->usWinAscent + os2->usWinDescent;
      em = cell > 0 ? font.height * unitsPerEm / cell : font.height;
    }
    stretch = font.width / (os2->xAvgCharWidth * em / unitsPerEm);
  }
  double boldStrength = file.embolden ? unitsPerEm / 24.0 : 0.0;
  double minDeviation = 1.0 / unitsPerEm;

  BOOL ok = TRUE;
  for (DWORD i = 0; i < count; i++) {
    unsigned code = first + i;
    FT_UInt glyphIndex = FT_Get_Char_Index(face, unicodeOf(code & 0xFF));
    OutlineWalk walk;
    walk.scaleX = stretch / unitsPerEm;
    walk.scaleY = 1.0 / unitsPerEm;
    walk.deviation = std::max((double)deviation, minDeviation);
    if (file.hasMatrix) {
      walk.xx = file.xx;
      walk.xy = file.xy;
      walk.yx = file.yx;
      walk.yy = file.yy;
    }
    double advance = 0.0;
    bool fillRight = true;
    std::vector<Point> triangles;

    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
      ok = FALSE;
    } else {
      FT_Outline* outline = &face->glyph->outline;
      if (boldStrength > 0) FT_Outline_EmboldenXY(outline, (FT_Pos)boldStrength, (FT_Pos)boldStrength);
      fillRight = FT_Outline_Get_Orientation(outline) != FT_ORIENTATION_POSTSCRIPT;
      FT_Outline_Funcs funcs = {moveTo, lineTo, conicTo, cubicTo, 0, 0};
      FT_Outline_Decompose(outline, &funcs, &walk);
      for (std::vector<Point>& contour : walk.contours) {
        if (contour.size() > 1 && contour.front().x == contour.back().x && contour.front().y == contour.back().y)
          contour.pop_back();
      }
      walk.contours.erase(std::remove_if(walk.contours.begin(), walk.contours.end(),
                                         [](const std::vector<Point>& c) { return c.size() < 3; }),
                          walk.contours.end());
      advance = (face->glyph->advance.x + boldStrength) * walk.scaleX;
      if (format != WGL_FONT_LINES && !walk.contours.empty() && !tessellate(walk.contours, &triangles)) ok = FALSE;
    }

    compileGlyph(listBase + i, walk.contours, triangles, fillRight, advance, extrusion, format);

    if (metrics) {
      GLYPHMETRICSFLOAT& m = metrics[i];
      double minX = 0, maxX = 0, minY = 0, maxY = 0;
      bool any = false;
      for (const std::vector<Point>& contour : walk.contours) {
        for (const Point& p : contour) {
          if (!any) {
            minX = maxX = p.x;
            minY = maxY = p.y;
            any = true;
          }
          minX = std::min(minX, p.x);
          maxX = std::max(maxX, p.x);
          minY = std::min(minY, p.y);
          maxY = std::max(maxY, p.y);
        }
      }
      m.gmfBlackBoxX = maxX - minX;
      m.gmfBlackBoxY = maxY - minY;
      m.gmfptGlyphOrigin.x = minX;
      m.gmfptGlyphOrigin.y = maxY;
      m.gmfCellIncX = advance;
      m.gmfCellIncY = 0.0f;
    }
  }

  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return ok;
}

#endif
