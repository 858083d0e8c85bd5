// The simulator's command line as people run it: what it prints, and how it refuses bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tests/support/test_system.h"

namespace {

struct SimRun {
  int status;          // exit status
  std::string output;  // standard output and error together
};

// Runs the simulator with arguments, with the environment variable `variable` ("NAME=value")
// set for it when given.
SimRun RunSimulator(const std::string& arguments, const std::string& variable = "") {
  const size_t equals = variable.find('=');
  const std::string name = variable.substr(0, equals);
  const char* saved = name.empty() ? nullptr : std::getenv(name.c_str());
  const std::string savedValue = saved != nullptr ? saved : "";
  if (!name.empty()) TestSetEnv(name.c_str(), variable.c_str() + equals + 1);
  const CommandRun run =
      TestRunCommand("\"" + std::string(HOSTSIM_PATH) + "\" " + arguments + " 2>&1");
  if (!name.empty()) TestSetEnv(name.c_str(), saved != nullptr ? savedValue.c_str() : nullptr);
  return {run.status, run.output};
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
  const std::string typo =
      TempFile("typo.json", R"({"documents": [{"name": "x", "marker": [{"type": "Tansel"}]}]})");
  const std::string takesOne = TempFile("takes_one.json", R"({"documents": [{"id": 1}]})");
  const BadRun rows[] = {
      {__LINE__, "", 1, "usage: tansel-hostsim"},
      {__LINE__, "--bogus " + good, 1, "unknown option --bogus"},
      {__LINE__, "--plugin", 1, "--plugin needs a module path"},
      {__LINE__, "--validate", 1, "--validate needs a module path"},
      {__LINE__, "--validate /nonexistent/plugin.so", 1, "/nonexistent/plugin.so: no such file"},
      {__LINE__, "--seed 3 " + good, 1, "--seed goes with --validate"},
      {__LINE__, "--validate " + notAModule + " " + good, 1, "takes no document files"},
      {__LINE__, "--validate " + notAModule + " --seed -1", 1, "--seed needs a number"},
      {__LINE__, "--validate " + notAModule, 1, "cannot be loaded"},
      {__LINE__, "/nonexistent/docs.json", 1, "/nonexistent/docs.json: cannot be read"},
      {__LINE__, malformed, 1, "malformed.json: not valid JSON"},
      {__LINE__, overflow, 1, "overflow.json: not valid JSON"},
      {__LINE__, loop, 1, "loops back to marker 5"},
      {__LINE__, typo, 1, "typo.json: documents[0]: unknown key \"marker\""},
      {__LINE__, good + " " + takesOne, 1,
       "takes_one.json: documents[0].id: object id 1 is used by an earlier document file"},
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

// The files of one command line fill one host: each document keeps its own id and markers.
TEST(HostSimulator, SeveralDocumentFilesKeepTheirOwnIds) {
  const std::string report = std::string(EXAMPLES_DIR) + "/report.json";
  const std::string cases = std::string(EXAMPLES_DIR) + "/cases.json";
  for (const std::string& arguments : {report + " " + cases, cases + " " + report}) {
    SCOPED_TRACE(arguments);
    SimRun run = RunSimulator(arguments);
    EXPECT_EQ(run.status, 0) << run.output;
    const size_t quarterly = run.output.find("\"Quarterly report\"");
    ASSERT_NE(quarterly, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Check the Q3 figures before printing.", quarterly),
              run.output.find("[message box", quarterly) + strlen("[message box, type 2] "))
        << run.output;
    for (int id = 1; id <= 6; ++id) {
      const std::string label = "(document " + std::to_string(id) + ")";
      const size_t first = run.output.find(label);
      EXPECT_NE(first, std::string::npos) << label << run.output;
      EXPECT_EQ(run.output.find(label, first + 1), std::string::npos) << label << run.output;
    }
  }
}

// A module the host would register without a description or a name is run, with a warning.
TEST(HostSimulator, WarnsOfAModuleWithoutAVersionResourceOrName) {
  struct Row {
    int line;
    const char* plugin;   // null: the Tansel plug-in
    const char* warning;  // null: none
  };
  const Row rows[] = {
      {__LINE__, nullptr, nullptr},
      {__LINE__, LOCALE_PLUGIN, "has no version resource"},
      {__LINE__, NAMELESS_PLUGIN, "has no \"ClientName\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    SimRun run = RunSimulator((row.plugin ? std::string("--plugin ") + row.plugin : "") + " " +
                              EXAMPLES_DIR + "/report.json");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find("warning:") != std::string::npos, row.warning != nullptr)
        << run.output;
    if (row.warning) EXPECT_NE(run.output.find(row.warning), std::string::npos) << run.output;
  }
}

// The validation battery passes the Tansel plug-in, with any seed, and catches each faulty one
// with the finding that names its fault.
TEST(HostSimulator, ValidateCatchesEachFaultyPlugin) {
  struct Row {
    int line;
    std::string module;
    int status;
    const char* finding;  // on a FAIL line; null: every check passes
  };
  const auto faulty = [](const char* fault) {
    return std::string(FAULTY_PLUGIN_PREFIX) + fault + FAULTY_PLUGIN_SUFFIX;
  };
  const Row rows[] = {
      {__LINE__, TANSEL_PLUGIN, 0, nullptr},
      {__LINE__, faulty("leaks_reference"), 2, "kept 1 host reference(s) after shut-down"},
      {__LINE__, faulty("raises"), 2, "the fatal error (code 1) escaped \"Notify\""},
      {__LINE__, faulty("calls_late"), 2, "after that host had shut down"},
      {__LINE__, faulty("never_stops"), 2, "left ClientStopped at 0"},
  };
  for (const Row& row : rows) {
    for (const char* seed : {"1", "2"}) {
      SCOPED_TRACE(row.line);
      SimRun run = RunSimulator("--validate " + row.module + " --seed " + seed);
      EXPECT_EQ(run.status, row.status) << run.output;
      EXPECT_NE(run.output.find(std::string("(seed ") + seed + ")"), std::string::npos);
      EXPECT_NE(run.output.find(" checks passed\n"), std::string::npos) << run.output;
      if (row.finding == nullptr) {
        EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << run.output;
        continue;
      }
      const size_t fail = run.output.find("FAIL  ");
      ASSERT_NE(fail, std::string::npos) << run.output;
      EXPECT_NE(run.output.find(row.finding, fail), std::string::npos) << run.output;
    }
  }
  // The same seed gives the same run.
  EXPECT_EQ(RunSimulator("--validate " + std::string(TANSEL_PLUGIN) + " --seed 7").output,
            RunSimulator("--validate " + std::string(TANSEL_PLUGIN) + " --seed 7").output);
  EXPECT_EQ(RunSimulator("--validate " + std::string(TANSEL_PLUGIN) + " --seed x").status, 1);
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
