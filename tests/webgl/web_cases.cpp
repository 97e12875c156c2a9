// The drawing cases over the OpenGL 1.1 stand-in in the browser: one module instance per
// case (page.html makes a fresh canvas for each), the picture read back and then presented
// onto the canvas with bars, both handed to the page as Module.caseResult.
//   main(CASE_NAME, CANVAS_WIDTH, CANVAS_HEIGHT)
#include <emscripten.h>
#include <emscripten/html5.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gl_cases.h"
#include "platform/webgl/picture_webgl.h"

EM_JS(void, handResult, (const unsigned char* pixels, int width, int height), {
  Module.caseResult = {width: width, height: height, picture: HEAPU8.slice(pixels, pixels + width * height * 4)};
});

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: CASE CANVAS_WIDTH CANVAS_HEIGHT\n");
    return 2;
  }
  const GlCase* c = nullptr;
  for (int i = 0; i < kGlCaseCount; ++i)
    if (std::strcmp(kGlCases[i].name, argv[1]) == 0) c = &kGlCases[i];
  if (!c) {
    std::fprintf(stderr, "no case %s\n", argv[1]);
    return 2;
  }
  const int canvasWidth = std::atoi(argv[2]), canvasHeight = std::atoi(argv[3]);
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = true;  // the presentation must be opaque whatever the canvas has
  attributes.antialias = true;
  attributes.preserveDrawingBuffer = true;
  emscripten_set_canvas_element_size("#canvas", canvasWidth, canvasHeight);
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
  if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
    std::fprintf(stderr, "no WebGL 2 context\n");
    return 1;
  }
  std::string why;
  if (!webglPictureInit(&why) || !webglPictureSize(c->width, c->height)) {
    std::fprintf(stderr, "picture: %s\n", why.c_str());
    return 1;
  }
  g_caseDiscard = webglPictureDiscard;
  g_caseDrawPixels = webglPictureDrawPixels;  // what the web platform's loading bitmap copy calls
  c->draw();
  if (GLenum error = glGetError()) std::fprintf(stderr, "%s: GL error 0x%x in the stand-in\n", c->name, error);
  std::vector<unsigned char> pixels(size_t(c->width) * c->height * 4);
  webglPictureRead(pixels.data());
  webglPicturePresent(canvasWidth, canvasHeight, false);
  handResult(pixels.data(), c->width, c->height);
  return 0;
}
