// GlTest with the window's start state, as the window procedure leaves it before the first
// frame: the initial GL state and the default 45-degree projection of the 640x480 window.
// For tests of the show's code that links the app folder.
#pragma once

#include "app/app.h"
#include "support/gl_fixture.h"

class WindowStartTest : public GlTest {
 protected:
  void prepare() override {
    initGLState();
    resizeView(640, 480);
  }
};
