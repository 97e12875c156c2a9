// Presentation of the show's frame on a window of any size: the show draws its frame into a
// framebuffer object of ours, and each buffer swap copies that frame, scaled to the largest
// rectangle of the frame's shape that fits the window and centred, onto the window, black
// around it. The show keeps seeing the frame's size (its viewports are unchanged).
#pragma once

#include "platform/gl/picture_fit.h"

// A rectangle in window pixels; presentFitRect (picture_fit.h) places the frame in the window.
using PresentRect = PictureRect;

// Creates the frame's framebuffer (8-bit RGB colour; depth and stencil of the sizes the current
// drawable has) on the current context and binds it, so everything drawn from now on lands in
// it. `getProc` resolves GL entry points. False, with the reason on standard error, where the
// context has no framebuffer objects (drawing then goes to the window as before).
bool presentBegin(int frameWidth, int frameHeight, void* (*getProc)(const char* name));
// Deletes the framebuffer; the context must be current. Safe when nothing was made.
void presentEnd();
bool presentActive();
// Nearest-neighbour scaling by whole factors instead of smooth scaling.
void presentSetIntegerScaling(bool integerScale);
// Copies the frame to the window's back buffer (outWidth x outHeight pixels) with black bars,
// leaving every GL state the show can see as it was; the caller swaps, then calls
// presentRebind so that drawing goes to the frame again.
void presentToWindow(int outWidth, int outHeight);
void presentRebind();
// Where something was drawn outside a frame (the loading picture): shows the framebuffer on the
// window at once through the function the window's backend set (present, swap, rebind).
void presentSetShowNow(void (*showNow)());
void presentShowNow();
