// tansel-hostsim: plays the host for a plug-in. Loads the plug-in module, starts it as the host
// does (F_ApiClientInit, then "Initialize"), sends notification 2 for every document of the
// document files when the plug-in asked for it, prints every message box and console line, and
// shuts the plug-in down, checking that it gave back every reference it took.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <unicode/uloc.h>

#include "bridge/client_entry.h"
#include "hostsim/document_file.h"
#include "hostsim/host_object.h"
#include "hostsim/host_text.h"
#include "hostsim/sim_paths.h"
#include "hostsim/validate.h"
#include "platform/command_line.h"
#include "platform/win_exception.h"
#include "platform/win_module.h"
#include "platform/win_version.h"

namespace {

constexpr int32_t kStartupCode = 1;
constexpr int32_t kPropHostDirectory = 89;  // string property of the host itself
constexpr int32_t kNotifyDocument = 2;

enum ExitCode { kOk = 0, kBadInput = 1, kPluginFailed = 2 };

typedef int32_t (*ClientInitFn)(HMODULE, IUnknown*, IUnknown*, const ClientDescription*);

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: tansel-hostsim [--plugin MODULE] DOCUMENTS.json...\n"
               "       tansel-hostsim --validate MODULE [--seed N]\n"
               "Loads the plug-in MODULE (default: the Tansel plug-in of this build), starts it\n"
               "as the host does and sends notification 2 for every document of the files.\n"
               "--validate runs MODULE through a battery of host behaviour instead, one line per\n"
               "check; the exit status is 0 only when every check passes. --seed repeats a run.\n");
}

// The plug-in's name from its version resource, or an empty string; warns on standard error when
// the host would register the plug-in without a description or without a name.
std::string ClientName(const std::string& path) {
  DWORD unused = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
    std::fprintf(stderr,
                 "tansel-hostsim: warning: %s has no version resource: the host registers it "
                 "without a description (add a resource script with \"ClientName\")\n",
                 path.c_str());
    return {};
  }
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ClientName", &value, &length) ||
      value == nullptr || static_cast<const char*>(value)[0] == '\0') {
    std::fprintf(stderr,
                 "tansel-hostsim: warning: the version resource of %s has no \"ClientName\" "
                 "(in block 040904b0): the host lists the plug-in without a name\n",
                 path.c_str());
    return {};
  }
  return static_cast<const char*>(value);
}

// Runs one call into the plug-in the way a host does: a fatal error raised inside the plug-in
// stops at this boundary and is reported.
bool CallPlugin(const char* what, const std::function<void()>& call) {
  try {
    call();
    return true;
  } catch (const StructuredException& e) {
    std::fprintf(stderr, "tansel-hostsim: the plug-in raised a fatal error (code %u) in %s\n",
                 static_cast<unsigned>(e.code), what);
    return false;
  }
}

// Prints what the plug-in showed since the last call, from the given positions on.
void PrintOutput(const SimHost& host, const SimHostText& text, size_t& messages, size_t& console,
                 const char* none) {
  bool any = false;
  for (; console < host.Console().size(); ++console, any = true) {
    std::printf("  [console] %s\n", text.FromHost(host.Console()[console]).c_str());
  }
  for (; messages < host.Messages().size(); ++messages, any = true) {
    const SimShownMessage& m = host.Messages()[messages];
    std::printf("  [message box, type %d] %s\n", m.type,
                m.text ? text.FromHost(*m.text).c_str() : "(null text)");
  }
  if (!any && none != nullptr) std::printf("  %s\n", none);
}

// A host runs in its user's locale, and ICU's default follows it. Started from a POSIX shell
// without one, ICU would pick en_US_POSIX, whose collation orders every capital before every small
// letter; the simulator then runs as a US English host does.
void UseHostLocale() {
  if (std::strcmp(uloc_getDefault(), "en_US_POSIX") == 0) {
    UErrorCode error = U_ZERO_ERROR;
    uloc_setDefault("en_US", &error);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Document names in UTF-8, also those outside Windows' ANSI code page; modules are loaded by
  // their narrow names.
  const std::vector<std::string> args = PlatformArgumentsUtf8(argc, argv);
  UseHostLocale();
  CatchStructuredExceptions();  // a plug-in's fatal error stops where we call it
  const std::string dataParent = SimDataParent(reinterpret_cast<const void*>(&Usage));
  std::string pluginPath = SimDefaultPlugin(reinterpret_cast<const void*>(&Usage));
  std::vector<std::string> files;
  std::string validate;
  std::optional<uint32_t> seed;
  for (int i = 1; i < argc; ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return kOk;
    }
    if (arg == "--plugin") {
      if (i + 1 == argc) {
        std::fprintf(stderr, "tansel-hostsim: --plugin needs a module path\n");
        return kBadInput;
      }
      pluginPath = argv[++i];  // loaded by its narrow name
    } else if (arg == "--validate" || arg == "--seed") {
      if (i + 1 == argc) {
        std::fprintf(stderr, "tansel-hostsim: %s needs %s\n", arg.c_str(),
                     arg == "--seed" ? "a number" : "a module path");
        return kBadInput;
      }
      const std::string value = argv[++i];
      if (arg == "--validate") {
        validate = value;
        continue;
      }
      char* end = nullptr;
      const unsigned long number = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || value[0] == '-' || number > UINT32_MAX) {
        std::fprintf(stderr, "tansel-hostsim: --seed needs a number from 0 to 4294967295\n");
        return kBadInput;
      }
      seed = static_cast<uint32_t>(number);
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "tansel-hostsim: unknown option %s\n", arg.c_str());
      Usage(stderr);
      return kBadInput;
    } else {
      files.push_back(arg);
    }
  }
  if (seed && validate.empty()) {
    std::fprintf(stderr, "tansel-hostsim: --seed goes with --validate\n");
    return kBadInput;
  }
  if (!validate.empty()) {
    if (!files.empty()) {
      std::fprintf(stderr, "tansel-hostsim: --validate takes no document files\n");
      return kBadInput;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(validate, ec)) {
      std::fprintf(stderr, "tansel-hostsim: plug-in module %s: no such file\n", validate.c_str());
      return kBadInput;
    }
    (void)ClientName(validate);  // its warnings
    return ValidatePlugin(validate, seed ? *seed : std::random_device{}(), dataParent);
  }
  if (files.empty()) {
    Usage(stderr);
    return kBadInput;
  }

  std::vector<SimDocument> documents;
  SimIdSpace ids;
  for (const std::string& file : files) {
    std::vector<SimDocument> more;
    std::string error;
    if (!ReadDocumentFile(file, ids, more, error)) {
      std::fprintf(stderr, "tansel-hostsim: %s\n", error.c_str());
      return kBadInput;
    }
    documents.insert(documents.end(), more.begin(), more.end());
  }

  SimHostText text(dataParent + "/icu_data");
  if (!text.ok()) {
    std::fprintf(stderr,
                 "tansel-hostsim: the host's converters are missing from %s (build the target "
                 "tansel_host_converters)\n",
                 text.package().c_str());
    return kBadInput;
  }
  text.ToHost(documents);

  std::error_code ec;
  if (!std::filesystem::is_regular_file(pluginPath, ec)) {
    std::fprintf(stderr, "tansel-hostsim: plug-in module %s: no such file\n", pluginPath.c_str());
    return kBadInput;
  }
  HMODULE module = LoadLibraryA(pluginPath.c_str());
  if (module == nullptr) {
    std::fprintf(stderr,
                 "tansel-hostsim: plug-in module %s cannot be loaded (not a loadable module)\n",
                 pluginPath.c_str());
    return kBadInput;
  }
  // void (*)() is the generic function type that converts to the entry's real one.
  auto init = reinterpret_cast<ClientInitFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "F_ApiClientInit")));
  if (init == nullptr) {
    std::fprintf(stderr, "tansel-hostsim: plug-in module %s has no F_ApiClientInit entry\n",
                 pluginPath.c_str());
    FreeLibrary(module);
    return kBadInput;
  }

  int status = kOk;
  {
    SimHost host;
    host.AddDocuments(documents);
    // The host's own directory holds "icu_data", where the host's converters are.
    host.SetString(0, kPropHostDirectory, SimHostPath(dataParent));
    std::string name = ClientName(pluginPath);
    std::printf("Loaded %s (%s)\n", name.empty() ? "a plug-in" : ("\"" + name + "\"").c_str(),
                pluginPath.c_str());

    size_t messages = 0;
    size_t console = 0;
    int32_t result = -1;
    if (!CallPlugin("F_ApiClientInit",
                    [&] { result = init(module, host.Object(), nullptr, nullptr); })) {
      status = kPluginFailed;
    } else if (result != 0) {
      std::fprintf(stderr,
                   "tansel-hostsim: F_ApiClientInit answered %d: the plug-in did not start\n",
                   result);
      status = kPluginFailed;
    } else {
      bool alive = CallPlugin("Initialize", [&] { host.SendInitialize(kStartupCode); });
      std::printf("Initialize(%d):", kStartupCode);
      if (host.RequestedNotifications().empty()) std::printf(" no notification requested");
      for (const SimRequestedNotification& n : host.RequestedNotifications()) {
        std::printf(" notification %d %s;", n.notification, n.state != 0 ? "on" : "off");
      }
      std::printf("\n");
      PrintOutput(host, text, messages, console, nullptr);
      if (alive && host.NotificationState(kNotifyDocument) != 1) {
        std::printf("Notification %d was not requested: no document is sent.\n", kNotifyDocument);
      }
      for (const SimDocument& doc : documents) {
        if (!alive || host.NotificationState(kNotifyDocument) != 1) break;
        std::printf("Notification %d for \"%s\" (document %u):\n", kNotifyDocument,
                    doc.name.c_str(), doc.id);
        alive = CallPlugin("Notify",
                           [&] { host.SendNotify(kNotifyDocument, doc.id, doc.name.c_str(), 0); });
        PrintOutput(host, text, messages, console, "(no message box)");
      }
      if (!alive) status = kPluginFailed;
      CallPlugin("Quit", [&] { host.SendQuit(); });
      CallPlugin("the sink's release", [&] { host.ReleaseSink(); });
      PrintOutput(host, text, messages, console, nullptr);
    }
    int32_t kept = host.OutstandingTotal();
    if (kept != 0) {
      std::fprintf(stderr,
                   "tansel-hostsim: the plug-in kept %d host reference(s) after shut-down\n", kept);
      status = kPluginFailed;
    } else if (status == kOk) {
      std::printf("Shut down: the plug-in gave back every host reference.\n");
    }
  }
  // Like a host, keep the plug-in loaded until the process ends: what it keeps for its lifetime
  // (converters, collators) stays reachable instead of being cut loose by the unload.
  return status;
}
