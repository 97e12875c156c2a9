// Asset manifest: every texture file with the slot it fills, then both models, loaded in this
// fixed order. The first failure ends the process through the data-error box.
#include "app/assets.h"

#include "formats/model3ds.h"
#include "formats/texture.h"

const char* const g_textureFiles[TEXTURE_SLOT_COUNT] = {
    "data/golem.jpg",  "data/wall.jpg",   "data/teren.jpg",  "data/flara.jpg",
    "data/death.jpg",  "data/quenta.jpg", "data/twarz.jpg",  "data/reka.jpg",
    "data/noga.jpg",   "data/brzuch.jpg", "data/plecy.jpg",  "data/sciana.jpg",
    "data/tlo.jpg",    "data/board.jpg",  "data/credit.jpg", "data/build.jpg",
    "data/step.jpg",   "data/asli.jpg",   "data/kvt.jpg",    "data/rel.jpg",
    "data/zegar.jpg",  "data/water.jpg",  "data/title.jpg",
};

const char* const g_modelFiles[2] = {"data/kratka.3ds", "data/grid.3ds"};

bool loadAssets() {
  for (int slot = TEX_GOLEM; slot <= TEX_TITLE; slot++) {
    if (loadTexture(g_textureFiles[slot], slot)) fatalDataError(g_textureFiles[slot]);
  }
  if (!g_kratkaLoader.loadModel(g_kratkaModel, g_modelFiles[0])) fatalDataError(g_modelFiles[0]);
  if (!g_gridLoader.loadModel(g_gridModel, g_modelFiles[1])) fatalDataError(g_modelFiles[1]);
  return true;
}
