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
#include "strings/memory.h"

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
#endif
