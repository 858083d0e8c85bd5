// tansel-hostsim: plays the host for a plug-in. Loads the plug-in module, starts it as the host
// does (F_ApiClientInit, then "Initialize"), sends notification 2 for every document of the
// document files when the plug-in asked for it, prints every message box and console line, and
// shuts the plug-in down, checking that it gave back every reference and memory block it took.
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
#include "hostsim/task_blocks.h"
#include "hostsim/validate.h"
#include "platform/child_process.h"
#include "platform/command_line.h"
#include "platform/sanitizer_runtime.h"
#include "platform/win_exception.h"
#include "platform/win_module.h"
#include "platform/win_version.h"
#include "strings/collation.h"

namespace {

constexpr int32_t kStartupCode = 1;
constexpr int32_t kPropHostDirectory = 89;  // string property of the host itself
constexpr int32_t kNotifyDocument = 2;

enum ExitCode { kOk = 0, kBadInput = 1, kPluginFailed = 2 };

typedef int32_t (*ClientInitFn)(HMODULE, IUnknown*, IUnknown*, const ClientDescription*);

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: tansel-hostsim [--plugin MODULE] DOCUMENTS.json...\n"
               "       tansel-hostsim --validate MODULE... [--seed N] [--strictness 1..10]\n"
               "              [--timeout-ms N] [--check-timeout-ms N] [--repeat N] [--check NAME]\n"
               "              [--junit FILE] [--json FILE] [--log-dir DIR]\n"
               "       tansel-hostsim --list [--strictness 1..10]\n"
               "Loads the plug-in MODULE (default: the Tansel plug-in of this build), starts it\n"
               "as the host does and sends notification 2 for every document of the files.\n"
               "--validate runs each MODULE through a battery of host behaviour instead, each\n"
               "check in a process of its own, one line per check; the exit status is 0 when\n"
               "every check passed, 1 when one failed, 2 for a usage error or a module that\n"
               "cannot be loaded. --list names the checks.\n");
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
  // The console is a stream: formatted output reaches it in pieces (the text around each
  // conversion, then the conversion), which make up lines. A step's last line ends with the step.
  // Lines are split at the host's line feed before its text is converted for display.
  std::string lines;
  for (; console < host.Console().size(); ++console) lines += host.Console()[console];
  for (size_t start = 0; start < lines.size(); any = true) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    std::printf("  [console] %s\n", text.FromHost(lines.substr(start, end - start)).c_str());
    start = end + 1;
  }
  for (; messages < host.Messages().size(); ++messages, any = true) {
    const SimShownMessage& m = host.Messages()[messages];
    std::printf("  [message box, type %d] %s\n", m.type,
                m.text ? text.FromHost(*m.text).c_str() : "(null text)");
  }
  if (!any && none != nullptr) std::printf("  %s\n", none);
}

// Names each kind of fault the plug-in made with the host's memory, with how often; true when
// there was one.
bool ReportMemoryFaults(SimHost& host) {
  host.CheckSharedBlocks();
  const struct {
    SimMemoryFault fault;
    const char* text;
  } kinds[] = {
      {SimMemoryFault::kLibraryFree,
       "freed %zu memory block(s) the host handed out with the library's allocator (MemFree) "
       "instead of giving them back to the host (CoTaskMemFree)"},
      {SimMemoryFault::kNotHostBlock,
       "gave CoTaskMemFree %zu block(s) the host never handed out (left alone)"},
      {SimMemoryFault::kGivenBackTwice,
       "gave %zu memory block(s) back to the host (CoTaskMemFree) a second time"},
      {SimMemoryFault::kWroteSharedText,
       "wrote into %zu property string(s) the host handed it (shared memory: the host's own)"},
  };
  bool any = false;
  for (const auto& kind : kinds) {
    size_t count = 0;
    for (SimMemoryFault fault : host.MemoryFaults()) count += fault == kind.fault ? 1 : 0;
    if (count == 0) continue;
    std::fprintf(stderr, "tansel-hostsim: the plug-in ");
    std::fprintf(stderr, kind.text, count);
    std::fprintf(stderr, "\n");
    any = true;
  }
  return any;
}

// A host runs in its user's locale, and ICU's default follows it. Started from a POSIX shell
// without one, ICU would pick en_US_POSIX, whose collation orders every capital before every small
// letter; the simulator then runs as a US English host does.
void UseHostLocale() {
  if (std::strcmp(uloc_getDefault(), "en_US_POSIX") == 0) Utf8SetDefaultLocale("en_US");
}

// A whole number from text within [low, high]; nullopt otherwise.
std::optional<uint64_t> Number(const std::string& text, uint64_t low, uint64_t high) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const uint64_t value = std::strtoull(text.c_str(), nullptr, 10);
  if (value < low || value > high) return std::nullopt;
  return value;
}

// The hidden form a validation run starts its checks with:
//   --run-check MODULE INDEX SEED STRICTNESS PROGRESS_FILE
int RunCheck(int argc, char** argv, const std::string& dataParent) {
  if (argc != 7) return kBadInput;
  const auto index = Number(argv[3], 0, 1000);
  const auto seed = Number(argv[4], 0, UINT32_MAX);
  const auto strictness = Number(argv[5], 1, 10);
  if (!index || !seed || !strictness) return kBadInput;
  return RunValidationCheck(argv[2], static_cast<int>(*index), static_cast<uint32_t>(*seed),
                            static_cast<int>(*strictness), argv[6], dataParent);
}

}  // namespace

int main(int argc, char** argv) {
  // Document names in UTF-8, also those outside Windows' ANSI code page; modules are loaded by
  // their narrow names.
  const std::vector<std::string> args = PlatformArgumentsUtf8(argc, argv);
  UseHostLocale();
  CatchStructuredExceptions();  // a plug-in's fatal error stops where we call it
  const std::string dataParent = SimDataParent(reinterpret_cast<const void*>(&Usage));
  // Watched from before any module is loaded, the task allocator knows every block it made.
  SimWatchTaskMemory();
  if (argc > 1 && std::strcmp(argv[1], "--run-check") == 0) return RunCheck(argc, argv, dataParent);
  std::string pluginPath = SimDefaultPlugin(reinterpret_cast<const void*>(&Usage));
  std::vector<std::string> files;
  bool validate = false;
  std::optional<uint32_t> seed;
  ValidateOptions options;
  bool validateOnly = false;  // an option of validation runs was given
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    validate = validate || arg == "--validate" || arg == "--list";
  }
  // A validation run's usage errors have their own status.
  const int badInput = validate ? static_cast<int>(kValidateUnusable) : static_cast<int>(kBadInput);
  const auto bad = [&](const std::string& message) {
    std::fprintf(stderr, "tansel-hostsim: %s\n", message.c_str());
    return badInput;
  };
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return kOk;
    }
    if (arg == "--list") {
      options.list = true;
      continue;
    }
    if (arg == "--plugin") {
      if (i + 1 == argc) return bad("--plugin needs a module path");
      pluginPath = argv[++i];
      continue;
    }
    if (arg == "--validate") {
      if (i + 1 == argc || argv[i + 1][0] == '-') return bad("--validate needs a module path");
      continue;  // the modules are the arguments that are not options
    }
    const struct {
      const char* name;
      const char* needs;
      uint64_t low, high;  // for numbers; high 0: a text
    } valued[] = {
        {"--seed", "a number from 0 to 4294967295", 0, UINT32_MAX},
        {"--strictness", "a level from 1 to 10", 1, 10},
        {"--timeout-ms", "a number of milliseconds from 1 to 86400000", 1, 86400000},
        {"--check-timeout-ms", "a number of milliseconds from 1 to 86400000", 1, 86400000},
        {"--repeat", "a number from 1 to 1000", 1, 1000},
        {"--check", "a check's name or number (--list names them)", 0, 0},
        {"--junit", "a file name", 0, 0},
        {"--json", "a file name", 0, 0},
        {"--log-dir", "a directory", 0, 0}};
    bool known = false;
    for (const auto& option : valued) {
      if (arg != option.name) continue;
      known = true;
      validateOnly = true;
      if (i + 1 == argc) return bad(arg + " needs " + option.needs);
      const std::string value = argv[++i];
      std::optional<uint64_t> number;
      if (option.high != 0) {
        number = Number(value, option.low, option.high);
        if (!number) return bad(arg + " needs " + option.needs);
      } else if (value.empty()) {
        return bad(arg + " needs " + option.needs);
      }
      if (arg == "--seed") seed = static_cast<uint32_t>(*number);
      if (arg == "--strictness") options.strictness = static_cast<int>(*number);
      if (arg == "--timeout-ms") options.timeoutMs = static_cast<uint32_t>(*number);
      if (arg == "--check-timeout-ms") options.checkTimeoutMs = static_cast<uint32_t>(*number);
      if (arg == "--repeat") options.repeat = static_cast<int>(*number);
      if (arg == "--check") options.check = value;
      if (arg == "--junit") options.junitFile = value;
      if (arg == "--json") options.jsonFile = value;
      if (arg == "--log-dir") options.logDir = value;
    }
    if (known) continue;
    if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "tansel-hostsim: unknown option %s\n", arg.c_str());
      Usage(stderr);
      return badInput;
    }
    files.push_back(validate ? arg : args[static_cast<size_t>(i)]);  // modules stay narrow
  }
  if (validateOnly && !validate) {
    std::fprintf(stderr,
                 "tansel-hostsim: --seed and the other validation options go with "
                 "--validate\n");
    return kBadInput;
  }
  if (options.list) {
    const std::vector<std::string> names = ValidationCheckNames(options.strictness);
    for (size_t i = 0; i < names.size(); ++i) std::printf("%2zu  %s\n", i + 1, names[i].c_str());
    return kOk;
  }
  if (validate) {
    options.modules = files;
    for (const std::string& module : options.modules) {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(module, ec)) {
        return bad("plug-in module " + module + ": no such file");
      }
      (void)ClientName(module);  // its warnings
    }
    options.seed = seed ? *seed : std::random_device{}();
    const std::string program = ChildOwnProgram();
    if (program.empty()) return bad("the simulator cannot find its own program file");
    return ValidatePlugins(options, program);
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
  if (ModuleFileUsesAddressSanitizer(pluginPath.c_str()) && !ProcessHasAddressSanitizer()) {
    std::fprintf(stderr,
                 "tansel-hostsim: plug-in module %s is built with AddressSanitizer: run it with "
                 "tansel-hostsim-asan, the simulator built with it (beside this one)\n",
                 pluginPath.c_str());
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
  const bool heapWatched = SimWatchLibraryHeap(module);
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
        // The name goes to the client as host text, like every other text the host hands over.
        const std::string hostName = text.ToHost(doc.name);
        alive = CallPlugin("Notify",
                           [&] { host.SendNotify(kNotifyDocument, doc.id, hostName.c_str(), 0); });
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
    }
    if (ReportMemoryFaults(host)) status = kPluginFailed;
    if (host.BlocksFreedByClient() + host.BlocksFreedWrongly() != host.BlocksHandedOut()) {
      std::fprintf(stderr,
                   "tansel-hostsim: the plug-in gave back %zu of the %zu memory block(s) the host "
                   "handed out\n",
                   host.BlocksFreedByClient(), host.BlocksHandedOut() - host.BlocksFreedWrongly());
      status = kPluginFailed;
      host.ReclaimBlocks();  // reported: not again as a leak
    }
    if (!heapWatched) {
      std::fprintf(stderr,
                   "tansel-hostsim: note: host blocks freed with the library's allocator are not "
                   "seen: %s has no symbol table (stripped)\n",
                   pluginPath.c_str());
    }
    if (kept == 0 && status == kOk) {
      std::printf("Shut down: the plug-in gave back every host reference.\n");
    }
  }
  // Like a host, keep the plug-in loaded until the process ends: what it keeps for its lifetime
  // (converters, collators) stays reachable instead of being cut loose by the unload.
  return status;
}
