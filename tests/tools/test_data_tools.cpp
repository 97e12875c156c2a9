// kelvo-content check and inspect on the generated data and on damaged copies of it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status;  // exit status, or -1 when the program did not exit normally
  std::string out, err;
};

Outcome runIn(const std::string& command, const std::string& dir) {
  std::string out = dir + "/.stdout", err = dir + "/.stderr";
  int raw = std::system(("cd '" + dir + "' && " + command + " >'" + out + "' 2>'" + err + "'").c_str());
  Outcome result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out), readFile(err)};
  fs::remove(out);
  fs::remove(err);
  return result;
}

std::string buildDir() {
  // The tests run in the build directory.
  const char* dir = std::getenv("KS_BUILD_DIR");
  return dir ? std::string(dir) : fs::current_path().string();
}

std::string tool() {
  const char* path = std::getenv("KS_CONTENT_TOOL");
  return path ? path : "";
}

// A fresh copy of the generated data directory, under a working directory of its own.
class DataCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    if (tool().empty() || !fs::exists(buildDir() + "/data/kratka.3ds"))
      GTEST_SKIP() << "no generated data (build the content target)";
    dir = scratchDir("datacopy");
    ASSERT_FALSE(dir.empty());
    fs::copy(buildDir() + "/data", dir + "/data", fs::copy_options::recursive);
  }
  void TearDown() override {
    if (!dir.empty()) fs::remove_all(dir);
  }
  void cut(const std::string& name, size_t size) { fs::resize_file(dir + "/data/" + name, size); }
  std::string dir;
};

int countLines(const std::string& text, const std::string& start) {
  int n = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (text.compare(at, start.size(), start) == 0) n++;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return n;
}

}  // namespace

TEST_F(DataCopy, CheckPassesTheGeneratedData) {
  Outcome r = runIn("'" + tool() + "' check .", dir);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(countLines(r.out, "OK    data/"), 26) << r.out;
  EXPECT_NE(r.out.find("25 of 25 files load; music OK"), std::string::npos) << r.out;
}

TEST_F(DataCopy, CheckNamesEachBadFileAndGoesOn) {
  fs::remove(dir + "/data/title.jpg");
  cut("wall.jpg", 0);
  cut("grid.3ds", 500);
  cut("compilation.mp3", 200000);
  // A picture whose frame header claims 60000 x 60000 pixels.
  std::string golem = readFile(dir + "/data/golem.jpg");
  size_t frame = golem.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  golem.replace(frame + 5, 4, "\xEA\x60\xEA\x60");
  ASSERT_TRUE(writeFile(dir + "/data/golem.jpg", golem));
  Outcome r = runIn("'" + tool() + "' check .", dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("FAIL  data/title.jpg: missing or unreadable\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("FAIL  data/wall.jpg: decoder ended the process (status 1): Empty input file\n"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("FAIL  data/grid.3ds: file ends inside chunk 0x[0-9A-F]{4}\n")))
      << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("FAIL  data/compilation.mp3: [0-9.]+ s, not more than 233 s")))
      << r.out;
  EXPECT_TRUE(std::regex_search(
      r.out, std::regex("FAIL  data/golem.jpg: 60000 x 60000 pixels, more than this OpenGL's largest texture \\([0-9]+\\)\n")))
      << r.out;
  EXPECT_EQ(countLines(r.out, "OK    data/"), 21) << r.out;
  EXPECT_NE(r.out.find("21 of 25 files load; music FAILED"), std::string::npos) << r.out;
}

TEST_F(DataCopy, InspectPrintsTheModelAsJsonOrTheReadersReason) {
  Outcome r = runIn("'" + tool() + "' inspect data/kratka.3ds", dir);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string object =
      "\\{\"name\":\"[^\"]*\",\"vertexCount\":[0-9]+,\"faceCount\":[0-9]+,\"texCoordCount\":[0-9]+,"
      "\"materialId\":-?[0-9]+,\"hasTexture\":(true|false)\\}";
  std::string material = "\\{\"name\":\"[^\"]*\",\"textureFile\":\"[^\"]*\",\"color\":\\[[0-9]+,[0-9]+,[0-9]+\\]\\}";
  std::regex shape("^\\{\"materials\":\\[(" + material + "(," + material + ")*)?\\],\"objects\":\\[" + object +
                   "(," + object + ")*\\]\\}\n$");
  EXPECT_TRUE(std::regex_match(r.out, shape)) << r.out;

  cut("kratka.3ds", 200);
  r = runIn("'" + tool() + "' inspect data/kratka.3ds", dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Error: data/kratka.3ds: "), std::string::npos) << r.err;
}
