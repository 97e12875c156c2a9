// GDI object handling common to every backend: memory DCs and object selection.
// Supports: bitmaps and fonts selected into a DC, one of each at a time.
// Does not support: pens, brushes, regions, palettes (the show uses none).
#include "platform/winapi/gdi_objects.h"

HDC CreateCompatibleDC(HDC) { return toHdc(new GdiDc()); }

BOOL DeleteDC(HDC hdc) {
  GdiDc* dc = toDc(hdc);
  if (!dc || dc->window) return FALSE;
  delete dc;
  return TRUE;
}

// Returns the object of the same kind that was selected before, or null.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  GdiDc* dc = toDc(hdc);
  GdiObject* gdi = toObject(object);
  if (!dc || !gdi) return nullptr;
  if (gdi->kind == GdiObject::kBitmap) {
    GdiBitmap* previous = dc->bitmap;
    dc->bitmap = static_cast<GdiBitmap*>(gdi);
    return toHandle(previous);
  }
  GdiFont* previous = dc->font;
  dc->font = static_cast<GdiFont*>(gdi);
  return toHandle(previous);
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!object) return FALSE;
  delete toObject(object);
  return TRUE;
}
