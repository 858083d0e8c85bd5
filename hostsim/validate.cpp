// The validation battery. Each check starts the plug-in on a new host, drives it, shuts it down,
// and then finds fault with what it left: host references kept or released twice, host blocks
// not given back (or freed though the host said its memory is shared), the fatal error escaping
// a callback, a start that never sets ClientStopped (a client program would never exit), and
// calls to a host that had already shut down. Hosts stay alive to the end, so a stale pointer
// into one of them is caught instead of crashing.
#include "hostsim/validate.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "bridge/host_types.h"
#include "bridge/notify_fields.h"
#include "hostsim/host_object.h"
#include "hostsim/host_text.h"
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

// One host session of one check: the host, and what went wrong while it ran.
struct Session {
  std::unique_ptr<SimHost> host = std::make_unique<SimHost>();
  std::vector<std::string> findings;
  int64_t callsAtShutDown = -1;  // host calls counted when it shut down; -1 while running
  bool sinkReleased = false;
};

int64_t TotalCalls(const SimHost& host) {
  int64_t total = 0;
  for (int index = 0; index < kHostInterfaceCount; ++index) {
    for (int slot = 0; slot < kMaxSlot; ++slot) total += host.Calls(index, slot);
  }
  return total;
}

class Validator {
 public:
  Validator(HMODULE module, ClientInitFn init, uint32_t seed, std::string dataParent)
      : module_(module), init_(init), random_(seed), dataParent_(std::move(dataParent)) {
    stopped_ = static_cast<int32_t*>(ModuleSymbolAddress(module, "ClientStopped"));
  }

  // Runs one check: body drives the session; the shut-down and the audit follow.
  void Check(const std::string& name, const std::function<void(Session&)>& body) {
    sessions_.push_back(std::make_unique<Session>());
    Session& s = *sessions_.back();
    s.host->SetString(0, kPropHostDirectory, SimHostPath(dataParent_));
    AddDocuments(*s.host);
    body(s);
    ShutDown(s);
    Audit(s);
    // A host that shut down before must not hear from the plug-in again.
    for (size_t i = 0; i + 1 < sessions_.size(); ++i) {
      Session& old = *sessions_[i];
      if (old.callsAtShutDown >= 0 && TotalCalls(*old.host) != old.callsAtShutDown) {
        s.findings.push_back("the plug-in called the host of \"" + names_[i] +
                             "\" after that host had shut down (a host pointer kept too long)");
        old.callsAtShutDown = TotalCalls(*old.host);
      }
    }
    names_.push_back(name);
    ++checks_;
    if (s.findings.empty()) {
      std::printf("PASS  %s\n", name.c_str());
      return;
    }
    ++failures_;
    std::printf("FAIL  %s: %s", name.c_str(), s.findings.front().c_str());
    for (size_t i = 1; i < s.findings.size(); ++i) std::printf("; %s", s.findings[i].c_str());
    std::printf("\n");
  }

  // Calls into the plug-in as a host does: a fatal error stops at this boundary, as a finding.
  bool Call(Session& s, const char* what, const std::function<void()>& call) {
    try {
      call();
      return true;
    } catch (const StructuredException& e) {
      s.findings.push_back("the fatal error (code " + std::to_string(e.code) + ") escaped " + what);
      return false;
    }
  }

  bool Start(Session& s, const ClientDescription* description = nullptr) {
    int32_t result = -1;
    if (!Call(s, "F_ApiClientInit",
              [&] { result = init_(module_, s.host->Object(), nullptr, description); })) {
      return false;
    }
    if (result != 0) {
      s.findings.push_back("F_ApiClientInit answered " + std::to_string(result));
      return false;
    }
    if (s.host->Registrations() != 1) {
      s.findings.push_back("the client registered " + std::to_string(s.host->Registrations()) +
                           " times instead of once");
    }
    return true;
  }

  // "Initialize" with code; with code 1 a client program's loop must end: ClientStopped is 1.
  void Initialize(Session& s, int32_t code) {
    if (stopped_ != nullptr) *stopped_ = 0;
    Call(s, "\"Initialize\"", [&] { s.host->SendInitialize(code); });
    if (code == 1 && stopped_ != nullptr && *stopped_ == 0) {
      s.findings.push_back(
          "\"Initialize\"(1) left ClientStopped at 0: as a client program it would never exit");
    }
  }

  void Release(Session& s) {
    if (s.sinkReleased) return;
    s.sinkReleased = true;
    Call(s, "the sink's release", [&] { s.host->ReleaseSink(); });
  }

  // Every callback the sink forwards, with varied and random arguments.
  void Callbacks(Session& s, int rounds) {
    const std::vector<ObjectId> objects = {0, 1, 2, 3, 999999, 0xFFFFFFFFu};
    for (int round = 0; round < rounds; ++round) {
      const int32_t n = RandomInt();
      Call(s, "\"Command\"", [&] { s.host->SendCommand(round == 0 ? 0 : n); });
      Call(s, "\"Message\"",
           [&] { s.host->SendMessage(static_cast<intptr_t>(RandomInt()), n, RandomInt()); });
      Call(s, "\"DialogEvent\"", [&] { s.host->SendDialogEvent(n, RandomInt(), RandomInt()); });
      Call(s, "\"HtmlDialogEventEx\"", [&] { s.host->SendHtmlDialogEventEx(n, nullptr, nullptr); });
      CmsCommandResult result{};
      if (Call(s, "\"CMSCommand\"",
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
        Call(s, "\"Notify\"", [&] { s.host->SendNotify(number, object, arg, RandomInt()); });
      }
    }
    for (int i = 0; i < rounds; ++i) {
      const std::string fields = RandomFields();
      Call(s, "\"Notify\"(75)",
           [&] { s.host->SendNotify(75, 1 + random_() % 3, fields.c_str(), RandomInt()); });
    }
  }

  void Quit(Session& s) {
    Call(s, "\"Quit\"", [&] { s.host->SendQuit(); });
  }

  // Whether the hosts of the checks that follow share their memory (the audit differs).
  void SetShared(bool shared) { shared_ = shared; }
  int checks() const { return checks_; }
  int failures() const { return failures_; }
  bool canSeeStopped() const { return stopped_ != nullptr; }

 private:
  void AddDocuments(SimHost& host) {
    ObjectId a = host.AddDocument(1);
    host.AddMarker(a, "Tansel", "validator marker");
    host.AddMarker(a, "Index", std::nullopt);
    host.AddDocument(1);
    ObjectId c = host.AddDocument(0);
    host.AddMarker(c, std::nullopt, "");
  }

  void ShutDown(Session& s) {
    Release(s);
    s.callsAtShutDown = TotalCalls(*s.host);
  }

  void Audit(Session& s) {
    const SimHost& host = *s.host;
    if (host.OutstandingTotal() != 0) {
      s.findings.push_back("kept " + std::to_string(host.OutstandingTotal()) +
                           " host reference(s) after shut-down");
    }
    if (host.OverReleases() != 0) {
      s.findings.push_back("released host references it did not hold " +
                           std::to_string(host.OverReleases()) + " time(s)");
    }
    if (host.HasSink()) s.findings.push_back("the sink outlived the host's last release");
    if (shared_) {
      if (host.BlocksFreedByClient() != 0) {
        s.findings.push_back("freed " + std::to_string(host.BlocksFreedByClient()) +
                             " block(s) of the host's shared memory");
      }
    } else if (host.BlocksFreedByClient() != host.BlocksHandedOut()) {
      s.findings.push_back("gave back " + std::to_string(host.BlocksFreedByClient()) + " of the " +
                           std::to_string(host.BlocksHandedOut()) +
                           " memory block(s) the host handed out");
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

  std::string RandomText() {
    std::string text(random_() % 40, ' ');
    for (char& c : text) c = static_cast<char>(1 + random_() % 255);
    return text;
  }

  // Notification 75's text: fields separated by 0x1E, often more than the record's six.
  std::string RandomFields() {
    std::string text;
    const int fields = static_cast<int>(random_() % 40);
    for (int i = 0; i < fields; ++i) {
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
  std::string dataParent_;
  int32_t* stopped_ = nullptr;  // the plug-in's ClientStopped, when its symbols are there
  bool shared_ = false;
  std::vector<std::unique_ptr<Session>> sessions_;
  std::vector<std::string> names_;
  int checks_ = 0;
  int failures_ = 0;
};

}  // namespace

int ValidatePlugin(const std::string& path, uint32_t seed, const std::string& dataParent) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    std::fprintf(stderr, "tansel-hostsim: plug-in module %s cannot be loaded\n", path.c_str());
    return 1;
  }
  auto init = reinterpret_cast<ClientInitFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "F_ApiClientInit")));
  if (init == nullptr) {
    std::fprintf(stderr, "tansel-hostsim: plug-in module %s has no F_ApiClientInit entry\n",
                 path.c_str());
    return 1;
  }
  std::printf("Validating %s (seed %u)\n", path.c_str(), seed);
  Validator v(module, init, seed, dataParent);

  v.Check("start-up without a description, then shut-down", [&](Session& s) {
    if (v.Start(s)) v.Initialize(s, 1);
  });
  v.Check("start-up with the host's own description", [&](Session& s) {
    PropertyValueList description{};
    PropListSetString(&description, 2, "Validator's name for the client");
    if (v.Start(s, &description)) v.Initialize(s, 1);
    PropListFree(&description);
  });
  for (int32_t code : {0, 1, 2, 3, -1, INT32_MAX}) {
    v.Check("\"Initialize\"(" + std::to_string(code) + ")", [&](Session& s) {
      if (v.Start(s)) v.Initialize(s, code);
    });
  }
  v.Check("every callback with varied and random arguments, then \"Quit\"", [&](Session& s) {
    if (!v.Start(s)) return;
    v.Initialize(s, 1);
    v.Callbacks(s, 8);
    v.Quit(s);
  });
  v.SetShared(true);
  v.Check("shared host memory", [&](Session& s) {
    s.host->SetSharedMemory(true);
    if (v.Start(s)) {
      v.Initialize(s, 1);
      v.Callbacks(s, 2);
      v.Quit(s);
    }
  });
  v.SetShared(false);
  const struct {
    const char* name;
    SimFault fault;
  } faults[] = {{"the host busy on every call", SimFault::kBusy},
                {"every host call failing", SimFault::kFail},
                {"a nonzero host error code from every call", SimFault::kCode},
                {"host calls that write no error code", SimFault::kNoCode}};
  for (const auto& fault : faults) {
    v.Check(fault.name, [&](Session& s) {
      if (!v.Start(s)) return;
      // Slots 0 to 2 are IUnknown's: references keep working.
      for (int index = 0; index < kHostInterfaceCount; ++index) {
        for (int slot = 3; slot < kMaxSlot; ++slot) {
          s.host->SetFault(index, slot, fault.fault, kSimNoSuchObject);
        }
      }
      v.Initialize(s, 1);
      v.Callbacks(s, 2);
      v.Quit(s);
    });
  }
  // The host lets the sink go at each step of a session.
  const char* steps[] = {"after start-up", "after \"Initialize\"", "after the callbacks",
                         "after \"Quit\""};
  for (int drop = 0; drop < 4; ++drop) {
    v.Check(std::string("the host dropping its reference ") + steps[drop], [&](Session& s) {
      if (!v.Start(s)) return;
      if (drop == 0) return v.Release(s);
      v.Initialize(s, 1);
      if (drop == 1) return v.Release(s);
      v.Callbacks(s, 1);
      if (drop == 2) return v.Release(s);
      v.Quit(s);
    });
  }
  v.Check("a second session after shut-down", [&](Session& s) {
    if (!v.Start(s)) return;
    v.Initialize(s, 1);
    v.Callbacks(s, 1);
    v.Quit(s);
  });

  if (!v.canSeeStopped()) {
    std::printf("NOTE  ClientStopped not checked: the module has no symbol table (stripped)\n");
  }
  std::printf("%d of %d checks passed\n", v.checks() - v.failures(), v.checks());
  return v.failures() == 0 ? 0 : 2;
}
