// Child processes on POSIX: posix_spawn, and a wait polled with growing sleeps up to its limit.
#include "platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

extern char** environ;

namespace {

uint64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
}

void SetOutcome(int status, ChildOutcome* outcome) {
  if (WIFSIGNALED(status)) {
    *outcome = {true, static_cast<uint32_t>(WTERMSIG(status))};
  } else {
    *outcome = {false, static_cast<uint32_t>(WEXITSTATUS(status))};
  }
}

}  // namespace

bool ChildStart(const std::vector<std::string>& arguments, const std::string& outputFile,
                const std::string& errorFile, ChildProcess* child) {
  if (arguments.empty()) return false;
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  const int flags = O_WRONLY | O_CREAT | O_TRUNC;
  bool ok = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
            posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), flags, 0600) == 0 &&
            posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), flags, 0600) == 0;
  pid_t pid = 0;
  ok = ok && posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!ok) return false;
  child->handle = pid;
  return true;
}

bool ChildWait(ChildProcess* child, uint32_t milliseconds, ChildOutcome* outcome) {
  if (child->handle == 0) return false;
  const uint64_t end = NowMs() + milliseconds;
  long pauseNs = 200000;  // 0.2 ms, doubling up to 10 ms
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(static_cast<pid_t>(child->handle), &status, WNOHANG);
    if (done == static_cast<pid_t>(child->handle)) {
      SetOutcome(status, outcome);
      child->handle = 0;
      return true;
    }
    if (done < 0 && errno != EINTR) {  // not ours to wait for: treat as gone
      *outcome = {true, SIGKILL};
      child->handle = 0;
      return true;
    }
    const uint64_t now = NowMs();
    if (now >= end) return false;
    long pause = pauseNs;
    if (static_cast<uint64_t>(pause / 1000000) > end - now) pause = (end - now) * 1000000;
    timespec wait{0, pause};
    nanosleep(&wait, nullptr);
    if (pauseNs < 10000000) pauseNs *= 2;
  }
}

void ChildKill(ChildProcess* child) {
  if (child->handle == 0) return;
  kill(static_cast<pid_t>(child->handle), SIGKILL);
  int status = 0;
  while (waitpid(static_cast<pid_t>(child->handle), &status, 0) < 0 && errno == EINTR) {
  }
  child->handle = 0;
}

std::string ChildOwnProgram() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

void ChildQuietCrashes() {
  rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
}

std::string ChildOutcomeName(const ChildOutcome& outcome) {
  if (!outcome.signaled) return {};
  const std::string number = "signal " + std::to_string(outcome.code);
  const char* name = strsignal(static_cast<int>(outcome.code));
  return name != nullptr ? number + " (" + name + ")" : number;
}
