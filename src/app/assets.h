// Asset manifest and the one user-visible error path.
#pragma once

enum TextureSlot {
  TEX_GOLEM,
  TEX_WALL,
  TEX_TEREN,
  TEX_FLARA,
  TEX_DEATH,
  TEX_QUENTA,
  TEX_TWARZ,
  TEX_REKA,
  TEX_NOGA,
  TEX_BRZUCH,
  TEX_PLECY,
  TEX_SCIANA,
  TEX_TLO,
  TEX_BOARD,
  TEX_CREDIT,
  TEX_BUILD,
  TEX_STEP,
  TEX_ASLI,
  TEX_KVT,
  TEX_REL,
  TEX_ZEGAR,
  TEX_WATER,
  TEX_TITLE,
  TEXTURE_SLOT_COUNT
};

// The manifest's files: the picture of each texture slot, then the models in load order.
extern const char* const g_textureFiles[TEXTURE_SLOT_COUNT];
extern const char* const g_modelFiles[2];

bool loadAssets();
// Shows the data-error box and ends the process; `file` names what failed (standard error only).
[[noreturn]] void fatalDataError(const char* file = nullptr);
