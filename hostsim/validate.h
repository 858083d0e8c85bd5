// tansel-hostsim --validate: runs plug-in modules through a battery of host behaviour. Each check
// runs in a child process of its own (the simulator started again with --run-check), on a fresh
// simulated host; the parent times every callback, reports one line per check and a summary per
// module, and writes the reports asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ValidateOptions {
  std::vector<std::string> modules;
  uint32_t seed = 0;
  int strictness = 5;                // 1 to 10: more, larger and nastier input higher up
  uint32_t timeoutMs = 10000;        // the limit of one callback
  uint32_t checkTimeoutMs = 300000;  // the limit of a whole check
  int repeat = 1;                    // runs of each check; run k draws from seed + k
  std::string check;                 // one check by name or number; empty: all
  bool list = false;                 // only name the checks
  std::string junitFile;             // JUnit XML report; empty: none
  std::string jsonFile;              // JSON report; empty: none
  std::string logDir;                // where each check's captured output is kept; empty: nowhere
};

// Exit statuses of a validation run.
enum ValidateStatus { kValidatePassed = 0, kValidateFailed = 1, kValidateUnusable = 2 };

// The names of the checks at a strictness, in the order they run.
std::vector<std::string> ValidationCheckNames(int strictness);

// The parent: runs every module's checks, each in a child process of program (this simulator).
// Returns a ValidateStatus, the worst of the modules'.
int ValidatePlugins(const ValidateOptions& options, const std::string& program);

// The child: runs check number index (from 0) of the module and writes what happens to the
// progress file. data_parent is the directory above the host's "icu_data". Returns the process's
// exit status (0 when the check ran to its end).
int RunValidationCheck(const std::string& module, int index, uint32_t seed, int strictness,
                       const std::string& progressFile, const std::string& dataParent);
