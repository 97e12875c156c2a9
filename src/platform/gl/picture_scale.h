// Drawing the show's 640x480 picture into a framebuffer of another size. The show always sees a
// 640x480 window and sets its viewports in those pixels; the platform maps every viewport it sets
// onto the picture's rectangle in the framebuffer (the largest 4:3 rectangle that fits, centred),
// and widens the lines it draws by the same factor, so the picture is the same composition at
// more pixels. A backend sets the target size once, when the framebuffer is made (a capture's
// --size, or a live framebuffer at the size the picture fills on the screen), and applies it with
// that framebuffer's context current. At 640x480 every call passes through unchanged.
//
// The mechanism is the linker's symbol wrapping (-Wl,--wrap=glViewport,--wrap=glLineWidth on
// every program that links the platform layer): the show's own calls reach the wrappers below,
// which call the GL entry points with the scaled values.
#pragma once

#include "platform/gl/picture_fit.h"

// Chooses the framebuffer size the picture is drawn into; 640x480 (or 0x0) is the identity.
// Returns false for sizes that cannot hold a picture (either side under 16 or over 16384).
bool pictureScaleSetTarget(int framebufferWidth, int framebufferHeight);
// The picture's rectangle in the framebuffer, in framebuffer pixels, bottom-left origin as GL has it.
PictureRect pictureRect();
int pictureFramebufferWidth();
int pictureFramebufferHeight();
// Framebuffer pixels per window pixel (the picture's width over 640).
float pictureScale();
// True when the framebuffer is anything but a plain 640x480 picture.
bool pictureScaled();
// With the framebuffer's context current and its state at GL's defaults: clears the whole
// framebuffer to black, sets the default line width to the scale and, when the picture does not
// fill the framebuffer, keeps drawing (and the show's clears) inside the picture with the
// scissor box, so the bars stay black. Does nothing at 640x480.
void pictureScaleApply();
// Puts the scissor state back to what pictureScaleApply set (used after a backend changed it).
void pictureScaleRestoreScissor();
// Rasterisation off (an empty scissor box, which the show never sets: every fragment is
// discarded and all other state advances as in a drawn frame) or back on. Used by the
// fast-forward of captures and of a live start part-way.
void pictureScaleDiscard(bool discard);
// Maps a rectangle in window pixels (x, y from the bottom left) to framebuffer pixels: edges are
// scaled and rounded, so viewports that abut in the window abut in the framebuffer.
PictureRect pictureMapWindowRect(int x, int y, int width, int height);
