// Headless OpenGL context: an EGL pbuffer on whatever EGL offers without a display
// (Mesa's software rasteriser here, a GPU where one exists). Used by tests, capture and
// the benchmark; the live show never touches it.
#pragma once

// Creates a width x height RGBA pbuffer with a compatibility-profile GL context (depth 16,
// stencil at least 1 where the driver offers it) and makes it current. Returns false and
// prints the reason on standard error when no such context can be had.
bool offscreenCreate(int width, int height);
// Releases the context and the pbuffer; safe to call when nothing was created.
void offscreenDestroy();
// Makes the context current again (or releases the current one when current is false).
bool offscreenMakeCurrent(bool current);
bool offscreenIsCurrent();
// Reads the whole pbuffer as tightly packed RGB rows, top row first.
void offscreenReadRgb(unsigned char* rgb);
// Reads the whole pbuffer as 4-byte pixels (R, G, B, then 255), bottom row first, as GL keeps
// them: the cheapest readback, with no per-pixel conversion or row copy.
void offscreenReadRgbx(unsigned char* pixels);
int offscreenWidth();
int offscreenHeight();
