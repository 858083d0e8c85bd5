// The simulator's command line as people run it: what it prints, and how it refuses bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/hostsim/xml_reader.h"
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

namespace {

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
      {__LINE__, "--validate", 2, "--validate needs a module path"},
      {__LINE__, "--validate /nonexistent/plugin.so", 2, "/nonexistent/plugin.so: no such file"},
      {__LINE__, "--seed 3 " + good, 1,
       "--seed and the other validation options go with --validate"},
      {__LINE__, "--validate " + notAModule + " --seed 1 --strictness 11", 2,
       "--strictness needs a level from 1 to 10"},
      {__LINE__, "--validate " + notAModule + " --timeout-ms 0", 2, "--timeout-ms needs"},
      {__LINE__, "--validate " + notAModule + " --seed -1", 2, "--seed needs a number"},
      {__LINE__, "--validate " + notAModule, 2, "not_a_module.so cannot be loaded: "},
      {__LINE__,
       "--plugin " + std::string(FAULTY_PLUGIN_PREFIX) + "keeps_blocks" + FAULTY_PLUGIN_SUFFIX +
           " " + good,
       2, "the plug-in gave back 1 of the 2 memory block(s) the host handed out"},
      {__LINE__, "--validate " + std::string(NO_ENTRY_MODULE), 2, "has no F_ApiClientInit entry"},
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
      {__LINE__,
       "--plugin " + std::string(FAULTY_PLUGIN_PREFIX) + "library_frees" + FAULTY_PLUGIN_SUFFIX +
           " " + good,
       2,
       "the plug-in freed 1 memory block(s) the host handed out with the library's allocator "
       "(MemFree) instead of giving them back to the host (CoTaskMemFree)\n"},
      {__LINE__,
       "--plugin " + std::string(FAULTY_PLUGIN_PREFIX) + "gives_back_twice" + FAULTY_PLUGIN_SUFFIX +
           " " + good,
       2, "the plug-in gave 1 memory block(s) back to the host (CoTaskMemFree) a second time\n"},
      {__LINE__,
       "--plugin " + std::string(FAULTY_PLUGIN_PREFIX) + "frees_text" + FAULTY_PLUGIN_SUFFIX + " " +
           good,
       2, "the plug-in gave CoTaskMemFree 1 block(s) the host never handed out (left alone)\n"},
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
    if (row.warning) {
      EXPECT_NE(run.output.find(row.warning), std::string::npos) << run.output;
    }
  }
}

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Faulty(const char* fault) {
  return std::string(FAULTY_PLUGIN_PREFIX) + fault + FAULTY_PLUGIN_SUFFIX;
}

// The line of the run's output that starts with start; empty when there is none.
std::string LineStarting(const std::string& output, const std::string& start) {
  size_t at = output.rfind("\n" + start);
  if (output.compare(0, start.size(), start) == 0)
    at = 0;
  else if (at != std::string::npos)
    ++at;
  else
    return {};
  return output.substr(at, output.find('\n', at) - at);
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A validation run with its JUnit report read back; the report's counts are checked against its
// test cases, and its suites against the modules given.
struct ValidateRun {
  SimRun run;
  std::unique_ptr<XmlElement> junit;
  std::vector<const XmlElement*> suites;
};

ValidateRun RunValidation(const std::vector<std::string>& modules, const std::string& options) {
  // Tests run side by side: each run has a folder of its own.
  const std::string report = TestScratchDir("validate_run") + "junit.xml";
  std::string arguments = "--validate";
  for (const std::string& m : modules) arguments += " " + m;
  ValidateRun v;
  v.run = RunSimulator(arguments + " --junit " + report + " " + options);
  std::string error;
  v.junit = ReadXml(ReadText(report), error);
  EXPECT_NE(v.junit, nullptr) << error << "\n" << ReadText(report);
  if (v.junit == nullptr) return v;
  EXPECT_EQ(v.junit->name, "testsuites");
  v.suites = v.junit->Children("testsuite");
  EXPECT_EQ(v.suites.size(), modules.size());
  int tests = 0;
  int failures = 0;
  for (size_t i = 0; i < v.suites.size() && i < modules.size(); ++i) {
    const XmlElement& suite = *v.suites[i];
    EXPECT_EQ(suite.Attribute("name"), modules[i]);
    int suiteFailures = 0;
    for (const XmlElement* c : suite.Children("testcase")) {
      EXPECT_FALSE(c->Attribute("name").empty());
      EXPECT_FALSE(c->Attribute("time").empty());
      suiteFailures += static_cast<int>(c->Children("failure").size());
    }
    EXPECT_EQ(suite.Attribute("tests"), std::to_string(suite.Children("testcase").size()));
    EXPECT_EQ(suite.Attribute("failures"), std::to_string(suiteFailures));
    tests += static_cast<int>(suite.Children("testcase").size());
    failures += suiteFailures;
  }
  EXPECT_EQ(v.junit->Attribute("tests"), std::to_string(tests));
  EXPECT_EQ(v.junit->Attribute("failures"), std::to_string(failures));
  EXPECT_EQ(Count(v.run.output, "\nFAIL  "), failures) << v.run.output;
  return v;
}

// The test case of the suite named name; null when there is none.
const XmlElement* TestCase(const XmlElement& suite, const std::string& name) {
  for (const XmlElement* c : suite.Children("testcase")) {
    if (c->Attribute("name") == name) return c;
  }
  return nullptr;
}

size_t CheckCount(int strictness) {
  const SimRun list = RunSimulator("--list --strictness " + std::to_string(strictness));
  EXPECT_EQ(list.status, 0) << list.output;
  return static_cast<size_t>(Count(list.output, "\n"));
}

}  // namespace

// Each faulty plug-in fails the check that meets its fault, with a FAIL line that names the check,
// the callback that was running with its arguments, and what happened; the run goes on to the
// summary and exits with 1, and the JUnit report says the same.
TEST(HostSimulator, ValidateFailsEachFaultyPluginNamingCheckAndCallback) {
  const std::string everyCallback =
      "every callback with varied and random arguments, then \"Quit\"";
  const std::string plainStart = "start-up without a description, then shut-down";
  struct Row {
    int line;
    const char* fault;
    std::string options;            // beside --seed 1
    std::string check;              // the check that fails
    std::vector<std::string> says;  // parts of its message
    std::string never = "\n";       // a part it must not have
  };
  const Row rows[] = {
      {__LINE__,
       "leaks_reference",
       "",
       plainStart,
       {"kept 1 host reference(s) after shut-down: 1 on HostApi (taken during "
        "\"Initialize\"(1))"}},
      {__LINE__,
       "second_thread",
       "",
       plainStart,
       {"HostRequestNotification was called from a thread other than the one the host called the "
        "plug-in on, during \"Initialize\"(1)"}},
      {__LINE__,
       "writes_text",
       "",
       everyCallback,
       {"\"Notify\"(2, ", "wrote into the notification text the host handed it"}},
      {__LINE__, "raises", "", everyCallback, {"the fatal error (code 1) escaped \"Notify\"(2, "}},
      {__LINE__,
       "calls_late",
       "",
       "a second session after shut-down",
       {"called the host of session 1 after that host had shut down"}},
      {__LINE__, "never_stops", "", plainStart, {"\"Initialize\"(1) left ClientStopped at 0"}},
      {__LINE__,
       "stops_once",
       "",
       "a second session after shut-down",
       {"\"Initialize\"(1) left ClientStopped at 0 in the session after the first"}},
      {__LINE__,
       "keeps_blocks",
       "",
       plainStart,
       {"gave back 1 of the 2 memory block(s) the host handed out"}},
      {__LINE__,
       "library_frees",
       "",
       plainStart,
       {"freed a memory block the host handed out with the library's allocator (MemFree) instead "
        "of giving it back to the host (CoTaskMemFree), during \"Initialize\"(1)"},
       "gave back"},
      {__LINE__,
       "frees_text",
       "",
       everyCallback,
       {"gave CoTaskMemFree a block the host never handed out (the block was left alone), during "
        "\"Notify\"(2, "}},
      {__LINE__,
       "gives_back_twice",
       "",
       plainStart,
       {"gave a memory block back to the host (CoTaskMemFree) a second time, during "
        "\"Initialize\"(1)"}},
      {__LINE__,
       "writes_shared",
       "",
       "shared host memory",
       {"wrote into a property string the host handed it (shared memory: the host's own), during "
        "\"Initialize\"(1)"}},
      {__LINE__,
       "exits",
       "",
       plainStart,
       {"the process exited with status 0 while \"Initialize\"(1) ran"}},
      {__LINE__,
       "quick_exits",
       "",
       "every host call failing",
       {"the process exited with status 0 while \"Initialize\"(1) ran"}},
      {__LINE__, "aborts", "", everyCallback, {"the process ", "while \"Notify\"(2, "}},
      {__LINE__, "crashes", "", everyCallback, {"the process ", "while \"Notify\"(2, "}},
      {__LINE__, "throws", "", everyCallback, {"no such marker", "\"Notify\"(2, "}},
      {__LINE__, "null_string", "", everyCallback, {"C++ exception", "\"Notify\"(3, "}},
      {__LINE__,
       "sleeps",
       "--timeout-ms 1000 --check 9",
       everyCallback,
       {"\"Notify\"(2, ", "did not return within 1000 ms"}},
      {__LINE__,
       "sleeps",
       "--timeout-ms 60000 --check-timeout-ms 1500 --check 9",
       everyCallback,
       {"the check did not end within 1500 ms (while \"Notify\"(2, "}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const std::string module = Faulty(row.fault);
    const ValidateRun v = RunValidation({module}, "--seed 1 " + row.options);
    EXPECT_EQ(v.run.status, 1) << v.run.output;
    EXPECT_NE(v.run.output.find(" checks passed\n"), std::string::npos) << v.run.output;
    const std::string fail = LineStarting(v.run.output, "FAIL  " + row.check + ": ");
    EXPECT_FALSE(fail.empty()) << v.run.output;
    for (const std::string& say : row.says) {
      EXPECT_NE(fail.find(say), std::string::npos) << say << "\n" << v.run.output;
    }
    EXPECT_EQ(fail.find(row.never), std::string::npos) << row.never << "\n" << v.run.output;
    if (v.suites.size() != 1) continue;
    const XmlElement* c = TestCase(*v.suites[0], row.check);
    ASSERT_NE(c, nullptr) << row.check;
    ASSERT_EQ(c->Children("failure").size(), 1u);
    const std::string message = c->Children("failure")[0]->Attribute("message");
    EXPECT_EQ("FAIL  " + row.check + ": " + message, fail);
  }
}

// Plug-ins built with the sanitizers (tansel_add_plugin's SANITIZE) run under them, in the
// simulator built with them when this one is not: each memory error of the plug-in's own code
// fails the check it happens in, naming the callback (a leak shows when the check's process ends),
// and the sanitizer's report is the failure's text in the JUnit file.
TEST(HostSimulator, ValidateRunsSanitizedPluginsUnderTheSanitizers) {
  if (!SANITIZED_PLUGINS) GTEST_SKIP() << "no AddressSanitizer for this system";
  const std::string check = "every callback with varied and random arguments, then \"Quit\"";
  struct Row {
    int line;
    const char* fault;
    std::vector<std::string> says;  // parts of the FAIL line
  };
  const Row rows[] = {
      {__LINE__,
       "keeps_text",
       {"while \"Notify\"(", "AddressSanitizer: heap-use-after-free (", "in ClientNotify)"}},
      {__LINE__,
       "reads_freed",
       {"while \"Notify\"(2, ", "AddressSanitizer: heap-use-after-free (", "in ClientNotify)"}},
      {__LINE__,
       "overflows",
       {"while \"Notify\"(2, ", "AddressSanitizer: heap-buffer-overflow (", "in ClientNotify)"}},
      {__LINE__,
       "leaks_memory",
       {"after the check, on its way out: LeakSanitizer: detected memory leaks (",
        " byte(s) leaked in "}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const ValidateRun v = RunValidation({Faulty(row.fault)}, "--seed 1 --check 9");
    EXPECT_EQ(v.run.status, 1) << v.run.output;
    EXPECT_NE(v.run.output.find(", under the sanitizers"), std::string::npos) << v.run.output;
    const std::string fail = LineStarting(v.run.output, "FAIL  " + check + ": ");
    for (const std::string& say : row.says) {
      EXPECT_NE(fail.find(say), std::string::npos) << say << "\n" << v.run.output;
    }
    if (v.suites.size() != 1) continue;
    const XmlElement* c = TestCase(*v.suites[0], check);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->Children("failure").size(), 1u);
    const XmlElement& failure = *c->Children("failure")[0];
    EXPECT_EQ("FAIL  " + check + ": " + failure.Attribute("message"), fail);
    EXPECT_EQ(failure.text.find(failure.Attribute("message") + "\n\n"), 0u) << failure.text;
    EXPECT_NE(failure.text.find("\nSUMMARY: AddressSanitizer: "), std::string::npos)
        << failure.text;
  }
}

// The Tansel plug-in and the README's template pass every check at the lowest, the default and
// the highest level.
TEST(HostSimulator, ValidatePassesTheTanselPluginAndTheTemplateAtEveryLevel) {
  for (int level : {1, 5, 10}) {
    const size_t checks = CheckCount(level);
    EXPECT_GE(checks, 20u);
    for (const char* module : {TANSEL_PLUGIN, TEMPLATE_PLUGIN}) {
      SCOPED_TRACE(std::string(module) + " at " + std::to_string(level));
      const ValidateRun v =
          RunValidation({module}, "--seed 3 --strictness " + std::to_string(level));
      EXPECT_EQ(v.run.status, 0) << v.run.output;
      EXPECT_NE(v.run.output.find(std::to_string(checks) + " of " + std::to_string(checks) +
                                  " checks passed\n"),
                std::string::npos)
          << v.run.output;
      if (v.suites.size() == 1) {
        EXPECT_EQ(v.suites[0]->Children("testcase").size(), checks);
      }
    }
  }
  // The same seed gives the same run.
  EXPECT_EQ(RunSimulator("--validate " + std::string(TANSEL_PLUGIN) + " --seed 7").output,
            RunSimulator("--validate " + std::string(TANSEL_PLUGIN) + " --seed 7").output);
}

// Several modules in one run: each its own summary and suite, the status the worst of them; a
// module that cannot be loaded makes it 2 and the others still run.
TEST(HostSimulator, ValidatesSeveralModulesInOneRun) {
  const std::string notAModule = TempFile("not_a_module.so", "plain text");
  struct Row {
    int line;
    std::vector<std::string> modules;
    int status;
    int summaries;  // "checks passed" lines
  };
  const Row rows[] = {
      {__LINE__, {TANSEL_PLUGIN, TEMPLATE_PLUGIN}, 0, 2},
      {__LINE__, {Faulty("never_stops"), TANSEL_PLUGIN}, 1, 2},
      {__LINE__, {TANSEL_PLUGIN, notAModule, Faulty("never_stops")}, 2, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const ValidateRun v = RunValidation(row.modules, "--seed 1 --check 4");
    EXPECT_EQ(v.run.status, row.status) << v.run.output;
    EXPECT_EQ(Count(v.run.output, " checks passed\n"), row.summaries) << v.run.output;
    EXPECT_EQ(Count(v.run.output, "Validating "), static_cast<int>(row.modules.size()));
  }
}

// --check, --repeat and --list choose what runs; the plug-in's own output is kept apart from the
// lines of the run, in --log-dir and in the reports.
TEST(HostSimulator, ValidateSelectsChecksAndKeepsThePluginsOutputApart) {
  const std::string names = RunSimulator("--list").output;
  EXPECT_NE(names.find(" 1  start-up without a description, then shut-down\n"), std::string::npos)
      << names;
  EXPECT_NE(names.find("11  shared host memory\n"), std::string::npos) << names;
  const std::string logs = TestScratchDir("validate_logs");
  const std::string json = logs + "report.json";
  const ValidateRun v = RunValidation(
      {Faulty("exits")}, "--seed 1 --repeat 2 --check 11 --log-dir " + logs + " --json " + json);
  EXPECT_EQ(v.run.status, 1) << v.run.output;
  EXPECT_NE(v.run.output.find("FAIL  shared host memory (run 2): the process exited with status 0 "
                              "while \"Initialize\"(1) ran"),
            std::string::npos)
      << v.run.output;
  EXPECT_NE(v.run.output.find("0 of 2 checks passed\n"), std::string::npos) << v.run.output;
  EXPECT_EQ(v.run.output.find("leaving now"), std::string::npos) << v.run.output;
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(logs)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 19 && name.compare(name.size() - 19, 19, "-11-run2.stdout.txt") == 0) {
      // The plug-in's own bytes: a Windows run-time ends a text-mode line with CR LF.
      std::string bytes = ReadText(entry.path().string());
      std::erase(bytes, '\r');
      EXPECT_EQ(bytes, "leaving now\n");
      ++kept;
    }
  }
  EXPECT_EQ(kept, 1);
  ASSERT_EQ(v.suites.size(), 1u);
  const XmlElement* c = TestCase(*v.suites[0], "shared host memory (run 1)");
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->Children("system-out").size(), 1u);
  EXPECT_NE(c->Children("system-out")[0]->text.find("leaving now"), std::string::npos);
  const std::string report = ReadText(json);
  EXPECT_NE(report.find("\"name\": \"shared host memory\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"output\": \"leaving now\\n\""), std::string::npos) << report;
  EXPECT_EQ(RunSimulator("--validate " + std::string(TANSEL_PLUGIN) + " --check nothing").status,
            2);
}

TEST(HostSimulator, RunsPluginsInAUserLocaleEvenFromAPosixShell) {
  // Under en_US_POSIX every capital sorts before every small letter, even at secondary strength.
  for (const char* locale : {"LC_ALL=C", "LC_ALL=en_US.UTF-8"}) {
    SCOPED_TRACE(locale);
    SimRun run = RunSimulator(
        std::string("--plugin ") + LOCALE_PLUGIN + " " + EXAMPLES_DIR + "/report.json", locale);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("[console] a = A"), std::string::npos) << run.output;
    // One formatted write, one line.
    EXPECT_NE(run.output.find("  [console] one + 1 = 2\n  [console] a = A\n"), std::string::npos)
        << run.output;
  }
}
