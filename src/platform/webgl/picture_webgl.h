// The picture the show draws into on the web, and its presentation on the page's canvas.
// The OpenGL 1.1 calls of the show (and of GLU and the platform's font) are served by this
// folder over WebGL 2; they draw into a framebuffer of ours, the picture, never straight onto
// the canvas. The canvas backend makes a WebGL 2 context current on the canvas, calls
// webglPictureInit once, sets the picture's size, and at every buffer swap presents the picture.
// The show keeps seeing a 640x480 window: at any other picture size its viewports and line
// widths are scaled by the picture's width over 640 (with the rounding of the native picture
// scaling, so sharp frames match the native --size frames).
#pragma once

#include <string>

// Compiles the stand-in's programs and makes its buffers; the WebGL 2 context must be current.
// False with the reason in *why when WebGL 2 cannot serve it.
bool webglPictureInit(std::string* why);
// The picture's size in pixels: 640x480, or the size it fills on the screen when drawn sharp.
// A size that is not 4:3 holds the largest centred 4:3 picture, black around it. Everything
// drawn so far is kept as state only (the new picture starts black). False, with a line on
// standard error, for sizes under 16 or over the context's limits (the size stays as it was).
bool webglPictureSize(int width, int height);
int webglPictureWidth();
int webglPictureHeight();
// Fast-forward: while true every call keeps its state (matrices, enables, textures, lists, the
// show's own animation sees no difference) but nothing is drawn or cleared.
void webglPictureDiscard(bool discard);
// Copies the picture onto the canvas's own framebuffer (canvasWidth x canvasHeight pixels):
// with fill false, into the largest centred 4:3 rectangle with black bars, smoothly filtered;
// with fill true, stretched over the whole canvas. Leaves every state the show sees unchanged.
void webglPicturePresent(int canvasWidth, int canvasHeight, bool fill);
// The picture's pixels, width x height x 4 bytes (R, G, B, 255), top row first.
void webglPictureRead(unsigned char* rgba);
// Returns once everything drawn so far is in the picture (one pixel read back): a frame's
// time then includes the GPU's work.
void webglPictureSync();
// The work handed to WebGL since the last call: draw calls and bytes uploaded (vertices,
// indices, texture images).
void webglPictureWork(int* draws, double* bytes);
// Copies a bitmap onto the picture at (x, y) of the 640x480 window (top-left origin, as
// BitBlt counts), its pixels at the picture's scale: width x height pixels of `rgb` (3 bytes
// each, top row first, rows `rowPixels` pixels apart). The loading bitmap uses it; the show's
// state is untouched. Presenting it is the caller's (webglPicturePresent).
void webglPictureDrawPixels(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels);
