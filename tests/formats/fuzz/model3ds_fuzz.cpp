// libFuzzer target for the 3DS reader: every input is written to a file and loaded by a fresh
// reader; AddressSanitizer and UndefinedBehaviorSanitizer catch any read or write out of bounds,
// leak or overflow, and libFuzzer's timeouts catch a hang.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "formats/model3ds.h"
#include "platform/win32.h"

// The reader's boxes go nowhere here: only its result matters.
int MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/ks-fuzz-" + std::to_string(getpid()) + ".3ds";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  Model model;
  ModelLoader loader;
  bool loaded = loader.loadModel(model, path.c_str());
  std::remove(path.c_str());
  if (loaded) {
    // A loaded model must be safe to draw: every index inside its arrays.
    for (const ModelObject& object : model.objects) {
      for (int f = 0; f < object.faceCount; f++)
        for (int k = 0; k < 3; k++)
          if (object.faces[f].vertexIndex[k] >= object.vertexCount) __builtin_trap();
      if (object.texCoords && object.texCoordCount < object.vertexCount) __builtin_trap();
      for (int v = 0; v < object.vertexCount * 3; v++) {
        volatile float n = object.normals[v];
        (void)n;
      }
    }
    releaseModel(model);
  } else if (!model.objects.empty() || !model.materials.empty()) {
    __builtin_trap();  // a rejected file leaves no partial model
  }
  return 0;
}
