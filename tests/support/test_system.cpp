#include "tests/support/test_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

std::string TestScratchDir(const std::string& prefix) {
  static std::mt19937 random{std::random_device{}()};
  for (;;) {
    const std::string path = testing::TempDir() + prefix + std::to_string(random() % 1000000);
    std::error_code error;
    if (std::filesystem::create_directory(path, error)) return path + "/";
    if (error) return "";  // not a clash: the temporary directory itself is unusable
  }
}

void TestSetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value != nullptr ? value : "");  // an empty value removes the variable there
#else
  if (value != nullptr)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

CommandRun TestRunCommand(const std::string& command) {
  CommandRun run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
#ifdef _WIN32
  run.status = status;
#else
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return run;
}
