// Child processes for tools that run work they do not trust: start a program with its standard
// output and error sent to files, wait for it with a time limit, end it. The validator runs each
// check of a plug-in this way, so that a crash, an exit or a hang ends one check, not the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ChildProcess {
  intptr_t handle = 0;  // the process's id (POSIX) or handle (Windows); 0 when none
};

// How a child ended.
struct ChildOutcome {
  bool signaled = false;  // by a signal (POSIX) or an unhandled exception (Windows)
  uint32_t code = 0;      // the exit status, the signal's number or the exception's code
};

// Starts arguments[0] with the arguments; its standard input reads nothing and its standard output
// and error are written to the files (created or emptied). False when it cannot start.
bool ChildStart(const std::vector<std::string>& arguments, const std::string& outputFile,
                const std::string& errorFile, ChildProcess* child);
// Waits up to milliseconds for the child to end: true (and *outcome set, the child gone) when it
// did, false while it still runs.
bool ChildWait(ChildProcess* child, uint32_t milliseconds, ChildOutcome* outcome);
// Ends the child at once and waits for it to be gone.
void ChildKill(ChildProcess* child);
// The full path of the running program, for starting it again; empty when unknown.
std::string ChildOwnProgram();
// For the child itself: a crash ends the process with its signal or exception code, without a
// core file, a crash dialog or a debugger.
void ChildQuietCrashes();
// What ended a child that did not exit: "signal 11 (Segmentation fault)", "exception 0xC0000005
// (access violation)"; an empty text for an exit.
std::string ChildOutcomeName(const ChildOutcome& outcome);
