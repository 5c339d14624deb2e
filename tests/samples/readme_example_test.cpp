// The README's first applet as a newcomer copies it: each block the
// README names as a file is written to that file, and the program plays
// the folder headless without an error line.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "tests/engine/shell/program_folder_fixture.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

// The files of the README's section on writing a first applet: a fenced
// block is the file that the text just before it names (`folder/name.ext`).
std::map<std::string, std::string> ExampleFiles(const std::string& readme) {
  const std::size_t start = readme.find("## Write your first applet");
  if (start == std::string::npos) return {};
  const std::size_t end = readme.find("\n## ", start + 1);
  std::istringstream section(readme.substr(start, end == std::string::npos ? std::string::npos : end - start));
  const std::regex fileName("`([A-Za-z0-9_]+/[A-Za-z0-9_]+\\.[A-Za-z0-9]+)`");
  std::map<std::string, std::string> files;
  std::string prose, named, block, line;
  bool inBlock = false;
  while (std::getline(section, line)) {
    if (line.rfind("```", 0) == 0) {
      if (inBlock && !named.empty()) files[named] = block;
      if (!inBlock) {
        named.clear();
        for (std::sregex_iterator it(prose.begin(), prose.end(), fileName), none; it != none; ++it)
          named = (*it)[1];
      }
      inBlock = !inBlock;
      prose.clear();
      block.clear();
    } else if (inBlock) {
      block += line + "\n";
    } else {
      prose += line + "\n";
    }
  }
  return files;
}

class ReadmeExampleTest : public test::TProgramFolderTest {};

TEST_F(ReadmeExampleTest, TheFirstAppletPlaysAsPrinted) {
  std::ifstream in(CORVANE_README, std::ios::binary);
  ASSERT_TRUE(in) << CORVANE_README;
  const std::string readme((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::map<std::string, std::string> files = ExampleFiles(readme);
  ASSERT_EQ(files.size(), 2u);
  ASSERT_TRUE(files.contains("hello/main.object"));
  ASSERT_TRUE(files.contains("hello/main.js"));
  for (const auto& [name, text] : files) Put(name, text);

#ifdef CORVANE_SAMPLE_SCRIPTED
  const std::string playing = "(i) hello, Hello";
#else
  const std::string playing = "(i) End of the root object creation";
#endif
  const test::TProgramRun run = RunHeadless({"hello/main.object"}, playing);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, playing), 1) << run.output;
  EXPECT_EQ(Count(run.output, " (e) "), 0) << run.output;
}

}  // namespace
}  // namespace corvane
