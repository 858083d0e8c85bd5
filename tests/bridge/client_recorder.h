// The test program's own client callbacks: they replace the library's empty defaults and note
// every call, so tests can see what the sink forwarded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bridge/client_callbacks.h"

struct RecordedCall {
  std::string name;                                // "Initialize", "Notify", ...
  int64_t a = 0, b = 0, c = 0;                     // the integer arguments in order
  const void* p = nullptr;                         // the first pointer argument as received
  const void* q = nullptr;                         // the second
  std::optional<std::string> text;                 // "Notify": the text, copied while it lived
  std::vector<std::optional<std::string>> fields;  // notification 75: the six fields, then more
  uint32_t moreCount = 0;                          // notification 75: the record's count
};

struct ClientRecorder {
  std::vector<RecordedCall> calls;
  CmsCommandResult cmsFill = {};     // what ClientCmsCommand writes into its result
  bool cmsSawZeroed = true;          // every result ClientCmsCommand received was zero-filled
  void (*onInitialize)() = nullptr;  // run by ClientInitialize after noting the call
};

extern ClientRecorder g_recorder;
