// The validation battery, run one check per process. A check starts the plug-in on a new host,
// drives it, shuts it down, and then finds fault with what it left: host references kept or
// released twice, host blocks not given back (or freed though the host said its memory is
// shared), the fatal error or a C++ exception escaping a callback, a start that never sets
// ClientStopped (a client program would never exit), and calls to a host that had already shut
// down. Every call into the plug-in is announced in the progress file first, so that the parent
// can name it when the process dies or hangs there. Hosts stay alive to the end of the check, so
// a stale pointer into one of them is caught instead of crashing.
#include <cxxabi.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <random>
#include <typeinfo>
#include <vector>

#include "bridge/host_types.h"
#include "bridge/notify_fields.h"
#include "hostsim/check_progress.h"
#include "hostsim/host_object.h"
#include "hostsim/host_text.h"
#include "hostsim/validate.h"
#include "platform/child_process.h"
#include "platform/module_load_failure.h"
#include "platform/win_exception.h"
#include "platform/win_module.h"
#include "props/property_list.h"

namespace {

typedef int32_t (*ClientInitFn)(HMODULE, IUnknown*, IUnknown*, const ClientDescription*);

constexpr int32_t kPropHostDirectory = 89;
// One past the highest slot of any host interface.
constexpr int kMaxSlot = [] {
  int top = 0;
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params) \
  top = top > (slot) ? top : (slot);
#include "bridge/host_slots.inc"
  return top + 1;
}();

// The interface at a table index, and a slot's wrapper, by name.
std::string InterfaceName(int index) {
#define HOST_INTERFACE(Name, ...) \
  if (index == k##Name##Index) return #Name;
#include "bridge/host_slots.inc"
  return "IUnknown";
}

std::string SlotName(int index, int slot) {
#define HOST_SLOT(Interface, number, Method, Shape, Type, Wrapper, Params)                \
  if (index == k##Interface##Index && slot == (number)) {                                 \
    return std::string(#Wrapper) != "-" ? #Wrapper : InterfaceName(index) + "::" #Method; \
  }
#include "bridge/host_slots.inc"
  return InterfaceName(index) + " slot " + std::to_string(slot);
}

ProgressWriter* g_progress = nullptr;  // the running check's

// The readable name of an exception's type.
std::string TypeName(const std::type_info& type) {
  int status = 0;
  char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string readable = status == 0 && name != nullptr ? name : type.name();
  std::free(name);
  return readable;
}

// Whatever ends the process through std::terminate (a C++ exception nobody caught, one leaving a
// noexcept function) is named before the abort.
[[noreturn]] void NameTermination() {
  std::string what = "std::terminate was called";
  if (std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& e) {
      what = "an uncaught C++ exception (" + TypeName(typeid(e)) + ": " + e.what() + ")";
    } catch (const StructuredException& e) {
      what = "the fatal error (code " + std::to_string(e.code) + "), uncaught";
    } catch (...) {
      what = "an uncaught C++ exception of a type that is not std::exception";
    }
  }
  if (g_progress != nullptr) g_progress->Write(ProgressKind::kEnded, what);
  std::abort();
}

// A text argument as it appears in a callback's description: quoted, cut, bytes escaped.
std::string Shown(const char* text) {
  if (text == nullptr) return "null";
  std::string shown = "\"";
  size_t length = 0;
  for (const char* p = text; *p != '\0'; ++p, ++length) {
    if (length >= 24) continue;
    const auto c = static_cast<unsigned char>(*p);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
    }
  }
  shown += '"';
  if (length > 24) shown += "... (" + std::to_string(length) + " bytes)";
  return shown;
}

// One host session of one check: the host, and where it stands.
struct Session {
  std::unique_ptr<SimHost> host = std::make_unique<SimHost>();
  int64_t callsAtShutDown = -1;  // host calls counted when it shut down; -1 while running
  bool sinkReleased = false;
  bool shared = false;  // the host's memory is shared (the audit differs)
  int number = 0;       // 1 for the check's first session
  // For each interface (and the object's IUnknown, last): the callback during which the plug-in
  // last took a reference it still held when the callback returned.
  std::array<std::string, kHostInterfaceCount + 1> takenDuring;
  size_t memoryFaultsSeen = 0;  // of the host's memory faults, those reported
};

std::string MemoryFaultText(SimMemoryFault fault) {
  switch (fault) {
    case SimMemoryFault::kLibraryFree:
      return "freed a memory block the host handed out with the library's allocator (MemFree) "
             "instead of giving it back to the host (CoTaskMemFree)";
    case SimMemoryFault::kNotHostBlock:
      return "gave CoTaskMemFree a block the host never handed out (the block was left alone)";
    case SimMemoryFault::kGivenBackTwice:
      return "gave a memory block back to the host (CoTaskMemFree) a second time";
    case SimMemoryFault::kWroteSharedText:
      return "wrote into a property string the host handed it (shared memory: the host's own)";
  }
  return "misused the host's memory";
}

int64_t TotalCalls(const SimHost& host) {
  int64_t total = 0;
  for (int index = 0; index < kHostInterfaceCount; ++index) {
    for (int slot = 0; slot < kMaxSlot; ++slot) total += host.Calls(index, slot);
  }
  return total;
}

// How much a check does at a strictness level.
struct Strictness {
  int level;
  int rounds;       // rounds of the plain callbacks
  size_t maxText;   // the longest notification text
  int markers;      // markers of the long chain; 0: no such check
  bool busyPeriod;  // a check with a host that is busy for a while
};

Strictness StrictnessAt(int level) {
  static const size_t kMaxText[] = {40, 64, 256, 1024, 2048, 4096, 8192, 16384, 32768, 65536};
  static const int kMarkers[] = {0, 0, 0, 0, 0, 0, 1000, 2500, 5000, 10000};
  return {level, 2 + level, kMaxText[level - 1], kMarkers[level - 1], level >= 6};
}

class Validator {
 public:
  Validator(HMODULE module, ClientInitFn init, uint32_t seed, int index, Strictness strictness,
            std::string dataParent)
      : module_(module), init_(init), strictness_(strictness), dataParent_(std::move(dataParent)) {
    std::seed_seq mixed{seed, static_cast<uint32_t>(index)};
    random_.seed(mixed);
    stopped_ = static_cast<int32_t*>(ModuleSymbolAddress(module, "ClientStopped"));
  }

  const Strictness& strictness() const { return strictness_; }
  bool canSeeStopped() const { return stopped_ != nullptr; }

  // A fresh host with the check's documents.
  Session& NewSession() {
    sessions_.push_back(std::make_unique<Session>());
    Session& s = *sessions_.back();
    s.number = static_cast<int>(sessions_.size());
    active_ = &s;
    s.host->SetString(0, kPropHostDirectory, SimHostPath(dataParent_));
    AddDocuments(*s.host);
    return s;
  }

  // Shuts the session down and audits what the plug-in left.
  void EndSession(Session& s) {
    Release(s);
    s.callsAtShutDown = TotalCalls(*s.host);
    Audit(s);
    CheckLateCalls();
  }

  // One session: body drives it, the shut-down and the audit follow.
  void Single(const std::function<void(Session&)>& body) {
    Session& s = NewSession();
    body(s);
    EndSession(s);
  }

  void Finding(const std::string& text) { g_progress->Write(ProgressKind::kFinding, text); }

  // Calls into the plug-in as a host does: announced first, and a fatal error or a C++ exception
  // stops at this boundary, as a finding.
  bool Call(const std::string& what, const std::function<void()>& call) {
    g_progress->Write(ProgressKind::kBegin, what);
    std::array<int32_t, kHostInterfaceCount + 1> refs{};
    size_t foreign = 0;
    if (active_ != nullptr) {
      for (int i = 0; i <= kHostInterfaceCount; ++i) refs[i] = active_->host->Outstanding(i);
      foreign = active_->host->ForeignThreadCalls().size();
      MemoryFaults(*active_, "before " + what);  // none expected: not the plug-in's code
    }
    bool returned = false;
    try {
      call();
      returned = true;
    } catch (const StructuredException& e) {
      Finding("the fatal error (code " + std::to_string(e.code) + ") escaped " + what);
    } catch (const std::exception& e) {
      Finding("a C++ exception (" + TypeName(typeid(e)) + ": " + e.what() + ") escaped " + what);
    } catch (...) {
      Finding("a C++ exception escaped " + what);
    }
    g_progress->Write(ProgressKind::kEnd);
    if (active_ != nullptr) {
      const SimHost& host = *active_->host;
      for (int i = 0; i <= kHostInterfaceCount; ++i) {
        if (host.Outstanding(i) > refs[i]) active_->takenDuring[i] = what;
      }
      const auto& calls = host.ForeignThreadCalls();
      if (calls.size() > foreign) {
        Finding(SlotName(calls[foreign].first, calls[foreign].second) +
                " was called from a thread other than the one the host called the plug-in on, "
                "during " +
                what + " (the connection is single-threaded)");
      }
      MemoryFaults(*active_, "during " + what);
    }
    return returned;
  }

  bool Start(Session& s, const ClientDescription* description = nullptr) {
    int32_t result = -1;
    const std::string what = std::string("F_ApiClientInit(module, host, null, ") +
                             (description != nullptr ? "a description" : "null") + ")";
    if (!Call(what, [&] { result = init_(module_, s.host->Object(), nullptr, description); })) {
      return false;
    }
    if (result != 0) {
      Finding("F_ApiClientInit answered " + std::to_string(result));
      return false;
    }
    if (s.host->Registrations() != 1) {
      Finding("the client registered " + std::to_string(s.host->Registrations()) +
              " times instead of once");
    }
    return true;
  }

  // "Initialize" with code; with code 1 a client program's loop must end: ClientStopped is 1.
  // The flag is set to 0 before each start, as a new client program's would be.
  void Initialize(Session& s, int32_t code) {
    if (stopped_ != nullptr) *stopped_ = 0;
    Call("\"Initialize\"(" + std::to_string(code) + ")", [&] { s.host->SendInitialize(code); });
    if (code == 1 && stopped_ != nullptr && *stopped_ == 0) {
      Finding("\"Initialize\"(1) left ClientStopped at 0" +
              std::string(s.number > 1 ? " in the session after the first" : "") +
              ": as a client program it would never exit");
    }
  }

  void Release(Session& s) {
    if (s.sinkReleased) return;
    s.sinkReleased = true;
    Call("the sink's release", [&] { s.host->ReleaseSink(); });
  }

  // The text is the host's: the plug-in may read it during the call, never write into it nor keep
  // it. It lives in a block of its own that is freed when the callback returns, so that a
  // plug-in reading it later reads freed memory, which the sanitizers report.
  void Notify(Session& s, int32_t number, ObjectId object, const char* text, int32_t value) {
    const std::string what = "\"Notify\"(" + std::to_string(number) + ", " +
                             std::to_string(object) + ", " + Shown(text) + ", " +
                             std::to_string(value) + ")";
    const std::string before = text != nullptr ? std::string(text, std::strlen(text) + 1) : "";
    std::unique_ptr<char[]> handed;
    if (text != nullptr) {
      handed = std::make_unique<char[]>(before.size());
      std::memcpy(handed.get(), before.data(), before.size());
    }
    Call(what, [&] { s.host->SendNotify(number, object, handed.get(), value); });
    if (text != nullptr && std::memcmp(before.data(), handed.get(), before.size()) != 0) {
      Finding(what + " wrote into the notification text the host handed it");
    }
  }

  // Every callback the sink forwards, with varied and random arguments.
  void Callbacks(Session& s, int rounds) {
    const std::vector<ObjectId> objects = {0, 1, 2, 3, 999999, 0xFFFFFFFFu};
    for (int round = 0; round < rounds; ++round) {
      const int32_t n = round == 0 ? 0 : RandomInt();
      Call("\"Command\"(" + std::to_string(n) + ")", [&] { s.host->SendCommand(n); });
      const auto value = static_cast<intptr_t>(RandomInt());
      const int32_t b = RandomInt();
      Call("\"Message\"(" + std::to_string(value) + ", " + std::to_string(n) + ", " +
               std::to_string(b) + ")",
           [&] { s.host->SendMessage(value, n, b); });
      const int32_t c = RandomInt();
      Call("\"DialogEvent\"(" + std::to_string(n) + ", " + std::to_string(b) + ", " +
               std::to_string(c) + ")",
           [&] { s.host->SendDialogEvent(n, b, c); });
      Call("\"HtmlDialogEventEx\"(" + std::to_string(n) + ", null, null)",
           [&] { s.host->SendHtmlDialogEventEx(n, nullptr, nullptr); });
      CmsCommandResult result{};
      if (Call("\"CMSCommand\"(" + std::to_string(n) + ", null, 0, null, a result)",
               [&] { s.host->SendCmsCommand(n, nullptr, 0, nullptr, &result); })) {
        std::free(result.text);  // the host's to free, from the C heap
        std::free(result.items);
      }
    }
    for (int32_t number = -1; number <= 80; ++number) {
      for (ObjectId object : objects) {
        const std::string text = number == 75 ? RandomFields() : RandomText();
        const char* arg = (random_() % 5 == 0) ? nullptr : text.c_str();
        if (number == 75 && arg == nullptr) arg = "";
        Notify(s, number, object, arg, RandomInt());
      }
    }
    for (int i = 0; i < rounds; ++i) {
      const std::string fields = RandomFields();
      Notify(s, 75, 1 + random_() % 3, fields.c_str(), RandomInt());
    }
  }

  // Notifications 2 and 75 with texts of the edge lengths, up to the level's longest.
  void LongTexts(Session& s) {
    const size_t top = strictness_.maxText;
    for (size_t length : {size_t{0}, size_t{1}, top / 2, top - 1, top}) {
      std::string text(length, ' ');
      for (char& c : text) c = static_cast<char>(1 + random_() % 255);
      for (ObjectId object : {ObjectId{1}, ObjectId{3}}) {
        Notify(s, 2, object, text.c_str(), 0);
        Notify(s, 75, object, text.c_str(), 0);
      }
    }
  }

  // A document whose marker chain is the level's long one; notification 2 for it.
  void LongChain(Session& s) {
    const ObjectId document = s.host->AddDocument(1);
    for (int i = 0; i < strictness_.markers; ++i) {
      if (i % 3 == 0) {
        s.host->AddMarker(document, "Tansel", RandomText(40));
      } else {
        s.host->AddMarker(document, i % 3 == 1 ? std::optional<std::string>() : RandomText(40),
                          std::nullopt);
      }
    }
    Notify(s, 2, document, "a long chain", 0);
  }

  void Quit(Session& s) {
    Call("\"Quit\"", [&] { s.host->SendQuit(); });
  }

 private:
  void AddDocuments(SimHost& host) {
    ObjectId a = host.AddDocument(1);
    host.AddMarker(a, "Tansel", "validator marker");
    host.AddMarker(a, "Index", std::nullopt);
    host.AddDocument(1);
    ObjectId c = host.AddDocument(0);
    host.AddMarker(c, std::nullopt, "");
  }

  // A host that shut down before must not hear from the plug-in again.
  void CheckLateCalls() {
    for (const std::unique_ptr<Session>& old : sessions_) {
      if (old->callsAtShutDown >= 0 && TotalCalls(*old->host) != old->callsAtShutDown) {
        Finding("the plug-in called the host of session " + std::to_string(old->number) +
                " after that host had shut down (a host pointer kept too long)");
        old->callsAtShutDown = TotalCalls(*old->host);
      }
    }
  }

  void Audit(Session& s) {
    SimHost& host = *s.host;
    if (host.OutstandingTotal() != 0) {
      std::string which;
      for (int i = 0; i <= kHostInterfaceCount; ++i) {
        if (host.Outstanding(i) == 0) continue;
        which += std::string(which.empty() ? ": " : ", ") + std::to_string(host.Outstanding(i)) +
                 " on " + InterfaceName(i);
        if (!s.takenDuring[i].empty()) which += " (taken during " + s.takenDuring[i] + ")";
      }
      Finding("kept " + std::to_string(host.OutstandingTotal()) +
              " host reference(s) after shut-down" + which);
    }
    if (host.OverReleases() != 0) {
      Finding("released host references it did not hold " + std::to_string(host.OverReleases()) +
              " time(s)");
    }
    if (host.HasSink()) Finding("the sink outlived the host's last release");
    MemoryFaults(s, "after shut-down");
    if (s.shared) {
      if (host.BlocksFreedByClient() != 0) {
        Finding("freed " + std::to_string(host.BlocksFreedByClient()) +
                " block(s) of the host's shared memory");
      }
    } else if (host.BlocksFreedByClient() + host.BlocksFreedWrongly() != host.BlocksHandedOut()) {
      // Blocks freed with the wrong allocator were named as such when it happened.
      std::string wrongly;
      if (host.BlocksFreedWrongly() != 0) {
        wrongly = " (and freed " + std::to_string(host.BlocksFreedWrongly()) +
                  " with the library's allocator)";
      }
      Finding("gave back " + std::to_string(host.BlocksFreedByClient()) + " of the " +
              std::to_string(host.BlocksHandedOut()) + " memory block(s) the host handed out" +
              wrongly);
      s.host->ReclaimBlocks();  // reported: not again as a leak
    }
  }

  // The plug-in's faults with the host's memory since the last look, each named with when it
  // happened.
  void MemoryFaults(Session& s, const std::string& when) {
    s.host->CheckSharedBlocks();
    const std::vector<SimMemoryFault>& faults = s.host->MemoryFaults();
    for (; s.memoryFaultsSeen < faults.size(); ++s.memoryFaultsSeen) {
      Finding(MemoryFaultText(faults[s.memoryFaultsSeen]) + ", " + when);
    }
  }

  int32_t RandomInt() {
    switch (random_() % 4) {
      case 0:
        return 0;
      case 1:
        return static_cast<int32_t>(random_() % 16);
      case 2:
        return random_() % 2 ? INT32_MIN : INT32_MAX;
      default:
        return static_cast<int32_t>(random_());
    }
  }

  // Bytes 1 to 255: invalid UTF-8 and the host's bytes above 0x7F as often as plain letters.
  std::string RandomText(size_t longest = 0) {
    if (longest == 0) longest = strictness_.maxText;
    std::string text(random_() % (longest + 1), ' ');
    for (char& c : text) c = static_cast<char>(1 + random_() % 255);
    return text;
  }

  // Notification 75's text: fields separated by 0x1E, often more than the record's six.
  std::string RandomFields() {
    std::string text;
    const int fields = static_cast<int>(random_() % 40);
    for (int i = 0; i < fields && text.size() < strictness_.maxText; ++i) {
      if (i > 0) text += kNotifyFieldSeparator;
      std::string field = RandomText();
      for (char& c : field) {
        if (c == kNotifyFieldSeparator) c = 'x';
      }
      text += field;
    }
    return text;
  }

  HMODULE module_;
  ClientInitFn init_;
  std::mt19937 random_;
  Strictness strictness_;
  std::string dataParent_;
  int32_t* stopped_ = nullptr;  // the plug-in's ClientStopped, when its symbols are there
  std::vector<std::unique_ptr<Session>> sessions_;
  Session* active_ = nullptr;  // the newest session: callbacks go to its host
};

struct CheckDef {
  std::string name;
  std::function<void(Validator&)> run;
};

// Slots 0 to 2 are IUnknown's: references keep working.
void FaultEverySlot(Session& s, SimFault fault) {
  for (int index = 0; index < kHostInterfaceCount; ++index) {
    for (int slot = 3; slot < kMaxSlot; ++slot)
      s.host->SetFault(index, slot, fault, kSimNoSuchObject);
  }
}

std::vector<CheckDef> Checks(int level) {
  const Strictness strictness = StrictnessAt(level);
  std::vector<CheckDef> checks;
  checks.push_back({"start-up without a description, then shut-down", [](Validator& v) {
                      v.Single([&](Session& s) {
                        if (v.Start(s)) v.Initialize(s, 1);
                      });
                    }});
  checks.push_back({"start-up with the host's own description", [](Validator& v) {
                      v.Single([&](Session& s) {
                        PropertyValueList description{};
                        PropListSetString(&description, 2, "Validator's name for the client");
                        if (v.Start(s, &description)) v.Initialize(s, 1);
                        PropListFree(&description);
                      });
                    }});
  for (int32_t code : {0, 1, 2, 3, -1, INT32_MAX}) {
    checks.push_back({"\"Initialize\"(" + std::to_string(code) + ")", [code](Validator& v) {
                        v.Single([&](Session& s) {
                          if (v.Start(s)) v.Initialize(s, code);
                        });
                      }});
  }
  checks.push_back(
      {"every callback with varied and random arguments, then \"Quit\"", [](Validator& v) {
         v.Single([&](Session& s) {
           if (!v.Start(s)) return;
           v.Initialize(s, 1);
           v.Callbacks(s, v.strictness().rounds);
           v.Quit(s);
         });
       }});
  checks.push_back(
      {"notification texts from empty to " + std::to_string(strictness.maxText) + " bytes",
       [](Validator& v) {
         v.Single([&](Session& s) {
           if (!v.Start(s)) return;
           v.Initialize(s, 1);
           v.LongTexts(s);
           v.Quit(s);
         });
       }});
  checks.push_back({"shared host memory", [](Validator& v) {
                      v.Single([&](Session& s) {
                        s.shared = true;
                        s.host->SetSharedMemory(true);
                        if (!v.Start(s)) return;
                        v.Initialize(s, 1);
                        v.Callbacks(s, 2);
                        v.Quit(s);
                      });
                    }});
  const struct {
    const char* name;
    SimFault fault;
  } faults[] = {{"the host busy on every call", SimFault::kBusy},
                {"every host call failing", SimFault::kFail},
                {"a nonzero host error code from every call", SimFault::kCode},
                {"host calls that write no error code", SimFault::kNoCode}};
  for (const auto& fault : faults) {
    checks.push_back({fault.name, [fault = fault.fault](Validator& v) {
                        v.Single([&](Session& s) {
                          if (!v.Start(s)) return;
                          FaultEverySlot(s, fault);
                          v.Initialize(s, 1);
                          v.Callbacks(s, 2);
                          v.Quit(s);
                        });
                      }});
  }
  if (strictness.busyPeriod) {
    checks.push_back({"a host busy while the plug-in starts, then working", [](Validator& v) {
                        v.Single([&](Session& s) {
                          if (!v.Start(s)) return;
                          FaultEverySlot(s, SimFault::kBusy);
                          v.Initialize(s, 1);
                          s.host->ClearFaults();
                          v.Callbacks(s, 1);
                          v.Quit(s);
                        });
                      }});
  }
  if (strictness.markers > 0) {
    checks.push_back(
        {"a document of " + std::to_string(strictness.markers) + " markers", [](Validator& v) {
           v.Single([&](Session& s) {
             if (!v.Start(s)) return;
             v.Initialize(s, 1);
             v.LongChain(s);
             v.Quit(s);
           });
         }});
  }
  // The host lets the sink go at each step of a session.
  const char* steps[] = {"after start-up", "after \"Initialize\"", "after the callbacks",
                         "after \"Quit\""};
  for (int drop = 0; drop < 4; ++drop) {
    checks.push_back(
        {std::string("the host dropping its reference ") + steps[drop], [drop](Validator& v) {
           v.Single([&](Session& s) {
             if (!v.Start(s)) return;
             if (drop == 0) return v.Release(s);
             v.Initialize(s, 1);
             if (drop == 1) return v.Release(s);
             v.Callbacks(s, 1);
             if (drop == 2) return v.Release(s);
             v.Quit(s);
           });
         }});
  }
  checks.push_back({"a second session after shut-down", [](Validator& v) {
                      for (int session = 0; session < 2; ++session) {
                        v.Single([&](Session& s) {
                          if (!v.Start(s)) return;
                          v.Initialize(s, 1);
                          v.Callbacks(s, 1);
                          v.Quit(s);
                        });
                      }
                    }});
  return checks;
}

}  // namespace

std::vector<std::string> ValidationCheckNames(int strictness) {
  std::vector<std::string> names;
  for (const CheckDef& check : Checks(strictness)) names.push_back(check.name);
  return names;
}

int RunValidationCheck(const std::string& module, int index, uint32_t seed, int strictness,
                       const std::string& progressFile, const std::string& dataParent) {
  ProgressWriter progress(progressFile);
  if (!progress.ok()) return 3;
  g_progress = &progress;
  ChildQuietCrashes();
  std::set_terminate(NameTermination);
  const std::vector<CheckDef> checks = Checks(strictness);
  if (index < 0 || static_cast<size_t>(index) >= checks.size()) return 3;

  // Watched from before the module is loaded, the task allocator knows every block it made.
  SimWatchTaskMemory();
  // Loading runs the module's own start-up code: it may crash or exit too.
  progress.Write(ProgressKind::kLoading, "loading the module");
  HMODULE handle = LoadLibraryA(module.c_str());
  const std::string failure = handle == nullptr ? ModuleLoadFailure() : std::string();
  progress.Write(ProgressKind::kEnd);
  if (handle == nullptr) {
    progress.Write(ProgressKind::kUnusable,
                   "cannot be loaded" + (failure.empty() ? "" : ": " + failure));
    return 0;
  }
  auto init = reinterpret_cast<ClientInitFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(handle, "F_ApiClientInit")));
  if (init == nullptr) {
    progress.Write(ProgressKind::kUnusable, "has no F_ApiClientInit entry");
    return 0;
  }
  if (!SimWatchLibraryHeap(handle)) {
    progress.Write(ProgressKind::kNote,
                   "host blocks freed with the library's allocator not checked: the module has no "
                   "symbol table (stripped)");
  }
  Validator v(handle, init, seed, index, StrictnessAt(strictness), dataParent);
  if (!v.canSeeStopped()) {
    progress.Write(ProgressKind::kNote,
                   "ClientStopped not checked: the module has no symbol table (stripped)");
  }
  checks[static_cast<size_t>(index)].run(v);
  progress.Write(ProgressKind::kDone);
  g_progress = nullptr;
  // Like a host, the module stays loaded until the process ends.
  return 0;
}
