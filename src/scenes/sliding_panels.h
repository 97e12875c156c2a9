// Sliding panel overlay: three textured bands multiplied over the opening scene.
#pragma once

struct SlidingPanel {
  float x;
  float y;
  float z;
  float offset;
  float speed;
  int slot;
  float width;
  float height;
};

extern SlidingPanel g_topPanel;
extern SlidingPanel g_middlePanel;
extern SlidingPanel g_bottomPanel;

void drawSlidingPanel(const SlidingPanel& panel);
