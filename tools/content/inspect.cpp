// kelvo-content inspect FILE.3ds: loads one model with the show's reader and prints what it
// kept as JSON. A rejected file: the reader's message on standard error, exit status 1.
#include <cstdio>
#include <string>

#include "data_tools.h"
#include "formats/model3ds.h"

namespace {

// A JSON string; bytes outside ASCII are taken as Latin-1, as the show's names are plain bytes.
std::string jsonText(const char* text) {
  std::string out = "\"";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; p++) {
    char escaped[8];
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += char(*p);
    } else if (*p < 0x20 || *p >= 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", *p);
      out += escaped;
    } else {
      out += char(*p);
    }
  }
  return out + "\"";
}

}  // namespace

int inspectCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: kelvo-content inspect FILE.3ds\n");
    return 2;
  }
  Model model;
  ModelLoader loader;
  if (!loader.loadModel(model, args[0].c_str())) return 1;

  std::string json = "{\"materials\":[";
  for (size_t i = 0; i < model.materials.size(); i++) {
    const Material& m = model.materials[i];
    if (i) json += ",";
    json += "{\"name\":" + jsonText(m.name) + ",\"textureFile\":" + jsonText(m.textureFile) +
            ",\"color\":[" + std::to_string(m.color[0]) + "," + std::to_string(m.color[1]) + "," +
            std::to_string(m.color[2]) + "]}";
  }
  json += "],\"objects\":[";
  for (size_t i = 0; i < model.objects.size(); i++) {
    const ModelObject& o = model.objects[i];
    if (i) json += ",";
    json += "{\"name\":" + jsonText(o.name) + ",\"vertexCount\":" + std::to_string(o.vertexCount) +
            ",\"faceCount\":" + std::to_string(o.faceCount) +
            ",\"texCoordCount\":" + std::to_string(o.texCoordCount) +
            ",\"materialId\":" + std::to_string(o.materialId) +
            ",\"hasTexture\":" + (o.hasTexture ? "true" : "false") + "}";
  }
  json += "]}\n";
  std::fputs(json.c_str(), stdout);
  releaseModel(model);
  return 0;
}
