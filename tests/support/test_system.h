// What tests need of the system around them, alike on Linux and on Windows: scratch directories,
// environment variables and running a command.
#pragma once

#include <string>

// A new, empty directory under GoogleTest's temporary directory, its name starting with prefix;
// the path returned ends with '/'.
std::string TestScratchDir(const std::string& prefix);

// Sets the process's environment variable name to value; a null value removes it.
void TestSetEnv(const char* name, const char* value);

struct CommandRun {
  int status;          // the exit status, or -1 when the command could not run or was killed
  std::string output;  // what it wrote to standard output (and standard error, redirected)
};
// Runs command through the system's command interpreter and collects its output.
CommandRun TestRunCommand(const std::string& command);

// The end of a readable page that an unreadable one follows: the 4096 bytes before the pointer
// may be read and written, a read of the byte at it faults. Freed with TestFreeGuardedPage.
char* TestGuardedPage();
void TestFreeGuardedPage(char* end);

// A guarded page for one test, given back when the test ends.
struct GuardedPage {
  char* end = TestGuardedPage();  // null when the system gave none
  GuardedPage() = default;
  GuardedPage(const GuardedPage&) = delete;
  GuardedPage& operator=(const GuardedPage&) = delete;
  ~GuardedPage() { TestFreeGuardedPage(end); }
};
