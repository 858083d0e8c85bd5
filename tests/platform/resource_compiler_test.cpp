// The resource compiler refuses scripts it cannot compile faithfully, rather than guessing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Compiled {
  int status;          // the tool's exit status (0 on success)
  std::string output;  // the generated source
};

Compiled Compile(const std::string& script) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  // Named after the test, as test cases may run side by side.
  const std::string name =
      std::string("tansel_rc_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::filesystem::path input = dir / (name + ".rc");
  const std::filesystem::path output = dir / (name + ".cpp");
  std::filesystem::remove(output);
  std::ofstream(input, std::ios::binary) << script;
  const std::string command = std::string(RESOURCE_COMPILER_PATH) + " " + input.string() + " " +
                              output.string() + " 2>/dev/null";
  Compiled result{std::system(command.c_str()), ""};
  std::ifstream in(output);
  std::stringstream text;
  text << in.rdbuf();
  result.output = text.str();
  std::filesystem::remove(input);
  std::filesystem::remove(output);
  return result;
}

}  // namespace

TEST(ResourceCompiler, RefusesWhatItCannotCompile) {
  struct Row {
    int line;
    const char* script;
  } rows[] = {
      {__LINE__, "1 RCDATA { \"unterminated }"},
      {__LINE__, "1 RCDATA { \"a\" \n"},
      {__LINE__, "1 RCDATA { \"bad escape \\q\" }"},
      {__LINE__, "#include \"other.rc\"\n1 RCDATA { 1 }"},
      {__LINE__, "0 RCDATA { 1 }"},
      {__LINE__, "65536 RCDATA { 1 }"},
      {__LINE__, "1 RCDATA { 65536 }"},
      {__LINE__, "1 RCDATA { 1 }\n1 RCDATA { 2 }"},
      {__LINE__, "one RCDATA { 1 }\nONE 10 { 2 }"},
      {__LINE__, "1 RCDATA \"no/such/file.bin\""},
      {__LINE__, "1 RCDATA { 1 + 2 }"},
      {__LINE__, "1 RCDATA"},
      {__LINE__, "1 VERSIONINFO FILEDATE 1 BEGIN END"},
      {__LINE__, "1 VERSIONINFO BEGIN VALUE \"A\" \"b\" END"},
      {__LINE__, "1 VERSIONINFO BEGIN BLOCK \"a\\\\b\" BEGIN END END"},
      {__LINE__, "1 VERSIONINFO BEGIN BLOCK \"x\" BEGIN VALUE \"k\", \"v\" END"},
      {__LINE__, "/* unterminated comment"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_NE(Compile(row.script).status, 0);
  }
}

TEST(ResourceCompiler, WritesTheNoteForAGoodScript) {
  const Compiled good = Compile("// a comment\n1 RCDATA BEGIN \"A\", 2 END /* another */\n");
  EXPECT_EQ(good.status, 0);
  EXPECT_NE(good.output.find("section(\".note.tansel\")"), std::string::npos);
  // The note header: the owner's size (12), the directory's size, the note type (1).
  EXPECT_NE(good.output.find("12, 0, 0, 0,"), std::string::npos);
}
