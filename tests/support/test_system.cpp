#include "tests/support/test_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <windows.h>
#define popen _popen
#define pclose _pclose
#else
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
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

char* TestGuardedPage() {
#ifdef _WIN32
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  auto* base =
      static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  DWORD previous;
  if (base == nullptr || !VirtualProtect(base + page, page, PAGE_NOACCESS, &previous))
    return nullptr;
#else
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  void* mapped =
      mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  auto* base = static_cast<char*>(mapped);
  if (mprotect(base + page, page, PROT_NONE) != 0) return nullptr;
#endif
  return base + page;
}

void TestFreeGuardedPage(char* end) {
  if (end == nullptr) return;
#ifdef _WIN32
  MEMORY_BASIC_INFORMATION region;
  VirtualQuery(end - 1, &region, sizeof region);
  VirtualFree(region.AllocationBase, 0, MEM_RELEASE);
#else
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  munmap(end - page, 2 * page);
#endif
}
