// Font files on Linux: fontconfig matches the logical font to an installed scalable face.
// Supports: the face name (empty: "serif"), the weight (OpenType scale, as FW_ values), italic;
// fontconfig's own substitutions ("Times New Roman" to a metric-compatible serif) and its advice
// to embolden or slant a face that lacks the weight or slant asked for.
// Does not support: width classes, character sets, pitch and family hints.
// Depends on fontconfig.
#include "platform/winapi/font_file.h"

#include <fontconfig/fontconfig.h>

bool fontFileFor(const GdiFont& font, FontFile* out) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)(font.faceName.empty() ? "serif" : font.faceName.c_str()));
  if (font.weight > 0) FcPatternAddDouble(pattern, FC_WEIGHT, FcWeightFromOpenTypeDouble(font.weight));
  FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;

  FcChar8* file = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (found) {
    out->path = (const char*)file;
    FcPatternGetInteger(match, FC_INDEX, 0, &out->index);
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) out->embolden = embolden;
    FcMatrix* matrix = nullptr;
    if (FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix) {
      out->hasMatrix = true;
      out->xx = matrix->xx;
      out->xy = matrix->xy;
      out->yx = matrix->yx;
      out->yy = matrix->yy;
    }
  }
  FcPatternDestroy(match);
  return found;
}
