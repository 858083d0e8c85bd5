// Plug-ins with one fault each, chosen by FAULT_*, that the validation battery must catch.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "bridge/client_callbacks.h"
#include "bridge/client_state.h"
#include "bridge/host_calls.h"
#include "platform/win_memory.h"
#include "strings/memory.h"

namespace {
// The host's own directory (string 89 of the host), read straight from the host interface: the
// block is the host's, to be given back with CoTaskMemFree unless its memory is shared.
[[maybe_unused]] char* HostDirectoryBlock() {
  HostApi* api = HostInterface<HostApi>();
  if (api == nullptr) return nullptr;
  const PropertyIdent ident = {89, nullptr};
  int32_t error = 0;
  char* value = nullptr;
  if (FAILED(api->GetStringProp(0, 0, &ident, &error, &value))) return nullptr;
  return value;
}
}  // namespace

#if defined(FAULT_LEAKS_REFERENCE)
// Takes a reference on the host it never gives back.
void ClientInitialize(int32_t) {
  if (IUnknown* host = HostInterface<HostApi>()) host->AddRef();
  ClientStopped = 1;
}
#elif defined(FAULT_RAISES)
// Breaks an invariant on a document notification: the fatal error leaves "Notify".
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification == 2) MemBailOut();
}
#elif defined(FAULT_CALLS_LATE)
// Keeps the first host's interface and calls it again from the next session.
namespace {
HostApi* first = nullptr;
}  // namespace
void ClientInitialize(int32_t) {
  if (first == nullptr) {
    first = HostInterface<HostApi>();
  } else {
    int32_t code = 0;
    first->SetNotification(2, 1, &code);
  }
  ClientStopped = 1;
}
#elif defined(FAULT_NEVER_STOPS)
// Works, but a client program built from it would run its message loop forever.
void ClientInitialize(int32_t code) {
  if (code == 1) HostRequestNotification(2, 1);
}
#elif defined(FAULT_EXITS)
// Ends the whole process when it starts, as a program's error path might.
void ClientInitialize(int32_t) {
  std::printf("leaving now\n");
  std::exit(0);
}
#elif defined(FAULT_QUICK_EXITS)
// Gives up at once, without any clean-up, when the host refuses its request.
void ClientInitialize(int32_t code) {
  ClientStopped = 1;
  if (code == 1 && HostRequestNotification(2, 1) != 0) std::_Exit(0);
}
#elif defined(FAULT_ABORTS)
// An assertion of its own fails on a document notification.
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification == 2) std::abort();
}
#elif defined(FAULT_THROWS)
// Lets a C++ exception out of a callback.
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification == 2) throw std::runtime_error("no such marker");
}
#elif defined(FAULT_NULL_STRING)
// Builds a std::string from a text the host may leave null: a crash in the C++ library.
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char* text, int32_t) {
  if (notification == 3) {
    std::string copy(text);
    if (copy.size() == 12345) ClientStopped = 2;
  }
}
#elif defined(FAULT_CRASHES)
// Writes through a null pointer on a document notification.
namespace {
int* volatile nowhere = nullptr;
}  // namespace
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification == 2) *nowhere = 1;
}
#elif defined(FAULT_SLEEPS)
// Takes half a minute over every document notification.
void ClientInitialize(int32_t code) {
  if (code == 1) HostRequestNotification(2, 1);
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification == 2) std::this_thread::sleep_for(std::chrono::seconds(30));
}
#elif defined(FAULT_KEEPS_BLOCKS)
// Reads a string straight from the host interface and never gives the host's block back.
void ClientInitialize(int32_t code) {
  if (code == 1) {
    if (HostApiExt1* ext = HostInterface<HostApiExt1>()) {
      int32_t error = 0;
      char* value = nullptr;
      ext->Slot10(0, 1, &error, &value);
    }
  }
  ClientStopped = 1;
}
#elif defined(FAULT_STOPS_ONCE)
// Sets ClientStopped on its first start only: a second client program would never exit.
void ClientInitialize(int32_t code) {
  static bool started = false;
  if (code == 1 && !started) {
    started = true;
    ClientStopped = 1;
  }
}
#elif defined(FAULT_SECOND_THREAD)
// Asks for its notification from a worker thread of its own.
void ClientInitialize(int32_t code) {
  if (code == 1) std::thread([] { HostRequestNotification(2, 1); }).join();
  ClientStopped = 1;
}
#elif defined(FAULT_WRITES_TEXT)
// Changes the notification text in place, as if it were its own.
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char* text, int32_t) {
  if (notification == 2 && text != nullptr && text[0] != '\0') const_cast<char*>(text)[0] ^= 1;
}
#elif defined(FAULT_LIBRARY_FREES)
// Frees a host block with the library's allocator instead of giving it back to the host.
void ClientInitialize(int32_t code) {
  if (code == 1) MemFree(HostDirectoryBlock());
  ClientStopped = 1;
}
#elif defined(FAULT_FREES_TEXT)
// Gives the notification text to CoTaskMemFree, as if the host had handed it over.
void ClientInitialize(int32_t code) {
  if (code == 1) HostRequestNotification(2, 1);
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char* text, int32_t) {
  if (notification == 2) CoTaskMemFree(const_cast<char*>(text));
}
#elif defined(FAULT_GIVES_BACK_TWICE)
// Gives a host block back twice.
void ClientInitialize(int32_t code) {
  if (code == 1 && SharedHostMemory == 0) {
    char* block = HostDirectoryBlock();
    CoTaskMemFree(block);
    CoTaskMemFree(block);
  }
  ClientStopped = 1;
}
#elif defined(FAULT_WRITES_SHARED)
// Cuts a property string the host handed it in place, also when the host's memory is shared.
void ClientInitialize(int32_t code) {
  if (code == 1) {
    char* block = HostDirectoryBlock();
    if (block != nullptr && block[0] != '\0') block[1] = '\0';
    if (SharedHostMemory == 0) CoTaskMemFree(block);
  }
  ClientStopped = 1;
}
// The memory errors below show only in a module built with the sanitizers (SANITIZE).
#elif defined(FAULT_KEEPS_TEXT)
// Keeps the notification text past the callback and reads it on the next one.
namespace {
const char* kept = nullptr;
}  // namespace
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char* text, int32_t) {
  if (kept != nullptr && kept[0] == '\x7F') ClientStopped = 2;
  if (notification == 2) kept = text;
}
#elif defined(FAULT_READS_FREED)
// Reads a block after giving it to MemFree.
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification != 2) return;
  char* volatile block = static_cast<char*>(MemAlloc(16, 0));
  if (block == nullptr) return;
  block[0] = 'x';
  MemFree(block);
  if (block[0] == 'x') ClientStopped = 2;
}
#elif defined(FAULT_LEAKS_MEMORY)
// Forgets a block from MemAlloc on every document notification.
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification != 2) return;
  char* volatile block = static_cast<char*>(MemAlloc(24, 0));
  if (block != nullptr) block[0] = 'x';
}
#elif defined(FAULT_OVERFLOWS)
// Writes one byte past the end of a block (an off-by-one count).
namespace {
volatile size_t bytes = 8;
}  // namespace
void ClientInitialize(int32_t) {
  ClientStopped = 1;
}
void ClientNotify(int32_t notification, ObjectId, const char*, int32_t) {
  if (notification != 2) return;
  auto* block = static_cast<char*>(MemAlloc(bytes, 0));
  if (block == nullptr) return;
  for (size_t i = 0; i <= bytes; ++i) block[i] = 'x';
  MemFree(block);
}
#endif
