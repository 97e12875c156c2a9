// Asset manifest: every texture file with the slot it fills, then both models, loaded in this
// fixed order. The first failure ends the process through the data-error box.
#include "app/assets.h"

#include "formats/model3ds.h"
#include "formats/texture.h"

static const char* const TEXTURE_FILES[TEXTURE_SLOT_COUNT] = {
    "data/golem.jpg",  "data/wall.jpg",   "data/teren.jpg",  "data/flara.jpg",
    "data/death.jpg",  "data/quenta.jpg", "data/twarz.jpg",  "data/reka.jpg",
    "data/noga.jpg",   "data/brzuch.jpg", "data/plecy.jpg",  "data/sciana.jpg",
    "data/tlo.jpg",    "data/board.jpg",  "data/credit.jpg", "data/build.jpg",
    "data/step.jpg",   "data/asli.jpg",   "data/kvt.jpg",    "data/rel.jpg",
    "data/zegar.jpg",  "data/water.jpg",  "data/title.jpg",
};

bool loadAssets() {
  for (int slot = TEX_GOLEM; slot <= TEX_TITLE; slot++) {
    if (loadTexture(TEXTURE_FILES[slot], slot)) fatalDataError(TEXTURE_FILES[slot]);
  }
  if (!g_kratkaLoader.loadModel(g_kratkaModel, "data/kratka.3ds")) fatalDataError("data/kratka.3ds");
  if (!g_gridLoader.loadModel(g_gridModel, "data/grid.3ds")) fatalDataError("data/grid.3ds");
  return true;
}
