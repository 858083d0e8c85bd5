// The results of a validation run and the machine-readable reports made of them: JUnit XML (one
// testsuite per module, one testcase per check) and the same as JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CheckResult {
  std::string name;  // the check's name
  int run = 1;       // which of the --repeat runs, from 1
  bool passed = false;
  std::string message;  // why it failed; empty when it passed
  double seconds = 0;   // how long its process ran
  std::string output;   // what the plug-in wrote to standard output
  std::string errors;   // and to standard error
  std::string report;   // a sanitizer's report of the failure, from standard error; or empty
};

struct ModuleResult {
  std::string module;  // the path given
  uint32_t seed = 0;
  int strictness = 5;
  int repeat = 1;        // runs of each check
  std::string unusable;  // why the module cannot be validated; empty when it can
  std::vector<CheckResult> checks;
};

// Writes the report to path; false (with error set) when the file cannot be written.
bool WriteJUnitReport(const std::string& path, const std::vector<ModuleResult>& modules,
                      std::string& error);
bool WriteJsonReport(const std::string& path, const std::vector<ModuleResult>& modules,
                     std::string& error);
