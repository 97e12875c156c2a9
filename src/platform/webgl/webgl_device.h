// The WebGL 2 side of the OpenGL 1.1 stand-in: the only code that talks to WebGL. The GL 1.1
// files hand it batches of vertices already transformed to clip space, with the state they
// draw with, and display lists' vertices to keep (drawn later under the transform of the
// moment); it keeps WebGL's own state cached and changes only what differs. Used by the
// files of this folder only. Enum values are OpenGL's (the same numbers in WebGL for every
// value passed here), so this header needs no GL header and mixes with either.
#pragma once

#include <cstdint>
#include <string>

namespace webgl {

// One vertex as the device draws it: clip-space position, colour (clamped), texture coordinate.
struct Vertex {
  float x, y, z, w;
  float r, g, b, a;
  float s, t;
};

// Everything a batch draws with. Triangles always arrive counter-clockwise for their front
// side (the GL layer reverses clockwise-front primitives), so there is no front-face state.
struct DrawState {
  uint32_t texture = 0;  // device texture, 0 for untextured
  bool blend = false;
  uint32_t blendSrc = 1, blendDst = 0;
  bool depthTest = false;
  uint32_t depthFunc = 0x0201;  // GL_LESS
  bool depthMask = true;
  bool cull = false;
  uint32_t cullFace = 0x0405;  // GL_BACK
  int viewport[4] = {0, 0, 640, 480};  // framebuffer pixels
  bool scissor = false;
  int scissorBox[4] = {0, 0, 640, 480};
  bool colorMask[4] = {true, true, true, true};
  bool operator==(const DrawState& o) const;
  bool operator!=(const DrawState& o) const { return !(*this == o); }
};

// One vertex of a display list as the device keeps it: object-space position, colour,
// normal, texture coordinate (s, t, r, q).
struct ListVertex {
  float position[4];
  float colour[4];
  float normal[3];
  float texCoord[4];
};

// What a list's vertices are drawn with, worked out by OpenGL 1.1's rules in the vertex
// shader: the transform to clip space, the sphere map for S and/or T (the eye position through
// `modelview`, the normal through `normalMatrix`, the inverse transpose, row-major, normalised
// only with `normalize`), the texture matrix (divided by q), and the current value of each
// attribute that the list's copy does not hold per vertex.
struct ListTransform {
  float combined[16];  // projection x modelview, column-major
  float modelview[16];
  float normalMatrix[9];
  bool normalize = false;
  bool sphereS = false, sphereT = false;
  bool textureMatrix = false;
  float texture[16];
  bool hasColour = false, hasNormal = false, hasTexCoord = false;
  float colour[4], normal[3], texCoord[4];
};

// The device's work since the last call: draw calls, and bytes handed to WebGL (vertices,
// indices, texture images).
void deviceWork(uint32_t* draws, double* bytes);

bool deviceInit(std::string* why);
// (Re)makes the picture framebuffer: RGB8 colour, 24-bit depth, 8-bit stencil, cleared black.
bool devicePictureSize(int width, int height, std::string* why);
int deviceMaxTextureSize();
int deviceMaxRenderbufferSize();

void deviceDraw(const DrawState& state, const Vertex* vertices, uint32_t vertexCount, const uint32_t* indices,
                uint32_t indexCount);
// Clears the picture with the given values inside `scissorBox` when `scissor` (else all of it).
void deviceClear(bool color, bool depth, bool stencil, const float rgba[4], float depthValue, int stencilValue,
                 bool scissor, const int scissorBox[4], const bool colorMask[4], bool depthMask);

uint32_t deviceTextureCreate();
void deviceTextureDelete(uint32_t texture);
// Uploads one level, `pixels` tightly packed, 3 (alpha false) or 4 bytes a pixel.
void deviceTextureImage(uint32_t texture, int level, bool alpha, int width, int height, const unsigned char* pixels);
void deviceTextureParameters(uint32_t texture, uint32_t minFilter, uint32_t magFilter, uint32_t wrapS, uint32_t wrapT);

// The picture onto the canvas: its part `picture` (x, y, width, height in framebuffer pixels)
// into `to` on the default framebuffer of canvasWidth x canvasHeight, black around it.
void devicePresent(int canvasWidth, int canvasHeight, const int picture[4], const int to[4]);
// The picture's framebuffer as RGBA rows, bottom row first (GL order).
void deviceRead(unsigned char* rgba);
// `rgb` (w x h, rows rowPixels apart, top row first) drawn nearest-filtered onto the rectangle
// x0, y0 (bottom left) to x1, y1 of the picture, in framebuffer pixels.
void deviceDrawPixels(const float to[4], int width, int height, const unsigned char* rgb, int rowPixels);
void deviceFinish();
// Waits until the picture is drawn, by reading one of its pixels back (a wait that every
// browser honours, as against finish()).
void deviceSync();

// A list's vertices and triangle indices, kept on the device until deleted; 0 where the
// device cannot keep them.
uint32_t deviceListCreate(const ListVertex* vertices, uint32_t vertexCount, const uint32_t* indices,
                          uint32_t indexCount);
void deviceListDelete(uint32_t list);
// Whether the device still keeps the list (not when its context was made anew).
bool deviceListKept(uint32_t list);
// Draws `indexCount` indices from `firstIndex` of the list's triangles.
void deviceListDraw(const DrawState& state, uint32_t list, uint32_t firstIndex, uint32_t indexCount,
                    const ListTransform& transform);

}  // namespace webgl
