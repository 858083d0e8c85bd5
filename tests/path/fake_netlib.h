// A substituted NetLib entry table for the tests of the wrappers and of the path operations that
// consult NetLib: names beginning with "http://" are network names, every call is recorded, and
// each entry's result can be set. Installed for the life of a FakeNetLib.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "path/netlib_entries.h"

struct FakeNetLib {
  FakeNetLib();
  ~FakeNetLib();
  FakeNetLib(const FakeNetLib&) = delete;
  FakeNetLib& operator=(const FakeNetLib&) = delete;

  std::vector<std::string> calls;            // "Entry(arg,arg)" in order
  std::map<std::string, NetLibRet> results;  // entry name → result (0 when absent)
  std::map<std::string, std::string> texts;  // entry name → out text (absent: null)
  NetLibErr lastError = 0;
  std::map<std::string, NetLibErr> errors;  // entry name → the last error its failure leaves
  int outstanding = 0;                      // texts handed out and not yet given back

  static FakeNetLib* current;
  static NetLibEntries Entries();
};
