// The simulator's command line as people run it: what it prints, and how it refuses bad input.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct SimRun {
  int status;          // exit status
  std::string output;  // standard output and error together
};

SimRun RunSimulator(const std::string& arguments, const std::string& environment = "") {
  std::string command = environment + " " + std::string(HOSTSIM_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  SimRun run{-1, {}};
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string TempFile(const std::string& name, const std::string& text) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

struct BadRun {
  int line;
  std::string arguments;
  int status;
  const char* message;  // a part of what it prints
};

}  // namespace

TEST(HostSimulator, RunsThePluginOnTheExamples) {
  SimRun run = RunSimulator(std::string(EXAMPLES_DIR) + "/report.json");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Loaded \"Tansel Tool (Host 2022 64-bit)\""), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("[message box, type 2] Check the Q3 figures before printing."),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("never shown"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("gave back every host reference"), std::string::npos) << run.output;

  run = RunSimulator(std::string(EXAMPLES_DIR) + "/cases.json");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("The first real Tansel marker."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("First in the chain."), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Second in the chain."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Caf\xC3\xA9 cr\xC3\xA8me"), std::string::npos) << run.output;
}

TEST(HostSimulator, BadInputIsNamedWithANonZeroExit) {
  const std::string good = std::string(EXAMPLES_DIR) + "/report.json";
  const std::string malformed = TempFile("malformed.json", "{\"documents\": [");
  const std::string overflow =
      TempFile("overflow.json", R"({"documents":[{"ints":{"110":1e999}}]})");
  const std::string loop = TempFile(
      "loop.json", R"({"documents": [{"markers": [{"id": 5, "next": 6}, {"id": 6, "next": 5}]}]})");
  const std::string notAModule = TempFile("not_a_module.so", "plain text");
  const BadRun rows[] = {
      {__LINE__, "", 1, "usage: tansel-hostsim"},
      {__LINE__, "--bogus " + good, 1, "unknown option --bogus"},
      {__LINE__, "--plugin", 1, "--plugin needs a module path"},
      {__LINE__, "/nonexistent/docs.json", 1, "/nonexistent/docs.json: cannot be read"},
      {__LINE__, malformed, 1, "malformed.json: not valid JSON"},
      {__LINE__, overflow, 1, "overflow.json: not valid JSON"},
      {__LINE__, loop, 1, "loops back to marker 5"},
      {__LINE__, "--plugin /nonexistent/plugin.so " + good, 1,
       "/nonexistent/plugin.so: no such file"},
      {__LINE__, "--plugin " + notAModule + " " + good, 1, "cannot be loaded"},
      {__LINE__, "--plugin " + std::string(NO_ENTRY_MODULE) + " " + good, 1,
       "has no F_ApiClientInit entry"},
      {__LINE__, "--plugin " + std::string(RAISING_PLUGIN) + " " + good, 2,
       "the plug-in raised a fatal error (code 1) in Initialize"},
  };
  for (const BadRun& row : rows) {
    SCOPED_TRACE(row.line);
    SimRun run = RunSimulator(row.arguments);
    EXPECT_EQ(run.status, row.status) << run.output;
    EXPECT_NE(run.output.find(row.message), std::string::npos) << run.output;
  }
}

TEST(HostSimulator, RunsPluginsInAUserLocaleEvenFromAPosixShell) {
  // Under en_US_POSIX every capital sorts before every small letter, even at secondary strength.
  for (const char* locale : {"LC_ALL=C", "LC_ALL=en_US.UTF-8"}) {
    SCOPED_TRACE(locale);
    SimRun run = RunSimulator(
        std::string("--plugin ") + LOCALE_PLUGIN + " " + EXAMPLES_DIR + "/report.json", locale);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("[console] a = A"), std::string::npos) << run.output;
  }
}
