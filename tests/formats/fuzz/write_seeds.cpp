// Writes the fuzzer's seed corpus: valid models in the shapes modelling tools write, and
// damaged ones, built with the same byte builders as the reader's tests.
#include <string>
#include <vector>

#include "../file3ds.h"

using namespace file3ds;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string dir = argv[1];
  std::string tri = vertices({0, 0, 0, 1, 0, 0, 0, 1, 0});
  std::string square = squareModel();
  std::string tools =
      chunk(0x4D4D, version(3) +
                        chunk(0x3D3D, chunk(0x3D3E, u32(3)) + chunk(0x0100, f32(1)) +
                                          material("m", 1, 2, 3, "m.jpg") +
                                          chunk(0x4000, text("lamp") + chunk(0x4600, std::string(12, '\0'))) +
                                          object("tri", tri + faces({0, 1, 2}, materialGroup("m", {0})) +
                                                            texCoords({0, 0, 1, 0, 0, 1}))) +
                        chunk(0xB000, chunk(0xB002, std::string(20, '\0'))));
  std::vector<std::string> seeds = {
      square,
      tools,
      file(object("o", tri + faces({0, 1, 2}) + chunk(0x4160, std::string(48, '\0')))),
      file(material("a", 0, 0, 0) + material("b", 9, 9, 9, "b.jpg") +
           object("x", tri + faces({0, 1, 2}, materialGroup("b", {0}) + materialGroup("a", {0}))),
           version(4)),
      square.substr(0, square.size() - 7),
      file(object("o", tri + faces({0, 1, 2, 0, 1, 3}))),
      file(object("o", chunk(0x4110, u16(9) + std::string(12, '\0')))),
      file(chunk(0xAFFF, chunk(0xA020, chunk(0x0010, f32(1) + f32(0) + f32(0.5f))))),
  };
  for (size_t i = 0; i < seeds.size(); i++)
    if (!write(dir + "/seed" + std::to_string(i) + ".3ds", seeds[i])) return 1;
  return 0;
}
