// The validator's parent: runs each check of each module in a child process (the simulator
// started again with --run-check), watches the child's progress file to time every callback,
// turns whatever the child came to into the check's PASS or FAIL line, and sums up. Nothing of
// the plug-in runs here: its crashes, exits and hangs cannot take the run with them, and what it
// prints goes to files of its own.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "hostsim/check_progress.h"
#include "hostsim/validate.h"
#include "hostsim/validate_report.h"
#include "platform/child_process.h"
#include "platform/sanitizer_runtime.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t kKeptOutput = 64 * 1024;  // of each captured stream, in the reports
constexpr size_t kShownFindings = 3;       // of one check, on its line

// Prints a line and passes it on at once, whatever standard output is connected to.
void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

// A captured stream as text for the reports: the first limit bytes, line ends as line feeds (a
// Windows plug-in's text-mode output ends its lines with CR LF; the log files keep its bytes).
std::string ReadFile(const fs::path& path, size_t limit) {
  std::ifstream file(path, std::ios::binary);
  std::string text(limit, '\0');
  file.read(text.data(), static_cast<std::streamsize>(limit));
  text.resize(static_cast<size_t>(file.gcount()));
  const bool cut = text.size() == limit && file.peek() != EOF;
  size_t kept = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' || i + 1 >= text.size() || text[i + 1] != '\n') text[kept++] = text[i];
  }
  text.resize(kept);
  if (cut) text += "\n[cut at " + std::to_string(limit) + " bytes]\n";
  return text;
}

// The first line of standard error in which a sanitizer or the C++ run-time says what went wrong
// (with the exception's text, which the run-time gives on the next line). A sanitizer's line loses
// its process number and addresses and gains where its summary says it happened.
std::string ErrorLine(const std::string& errors) {
  std::istringstream lines(errors);
  std::string line;
  while (std::getline(lines, line)) {
    for (const char* marker : {"ERROR: ", "runtime error: ", "terminate called"}) {
      const size_t at = line.find(marker);
      if (at == std::string::npos) continue;
      const bool sanitizer = line.compare(0, 2, "==") == 0 && marker[0] == 'E';
      std::string found = sanitizer ? line.substr(at + 7) : line;
      if (sanitizer) {
        found = found.substr(0, found.find(" on address "));
        found = found.substr(0, found.find(" on unknown address "));
        const size_t summary = errors.find("\nSUMMARY: ", at);
        if (summary != std::string::npos) {
          std::string where =
              errors.substr(summary + 10, errors.find('\n', summary + 1) - (summary + 10));
          where = where.substr(where.find(": ") == std::string::npos ? 0 : where.find(": ") + 2);
          const std::string kind = found.substr(found.find(": ") + 2);
          if (where.compare(0, kind.size() + 1, kind + " ") == 0) where.erase(0, kind.size() + 1);
          if (!where.empty()) found += " (" + where + ")";
        }
        return found;
      }
      std::string next;
      if (std::getline(lines, next) && next.find("what():") != std::string::npos) {
        found += ":" + next.substr(next.find("what():") + 7);
      }
      return found;
    }
  }
  return {};
}

// A sanitizer's whole report, from its error line to its summary; empty when there is none.
std::string SanitizerReport(const std::string& errors) {
  size_t start = errors.find("ERROR: ");
  if (start == std::string::npos) start = errors.find("runtime error: ");
  if (start == std::string::npos) return {};
  start = errors.rfind('\n', start);
  start = start == std::string::npos ? 0 : start + 1;
  size_t end = errors.find("\nSUMMARY: ", start);
  end = end == std::string::npos ? errors.size() : errors.find('\n', end + 1);
  return errors.substr(start, std::min(end, errors.size()) - start);
}

std::string FileStem(const std::string& module) {
  std::string stem = fs::path(module).filename().string();
  for (char& c : stem) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
  }
  return stem;
}

// What the child of one check came to.
struct ChildRun {
  std::vector<std::string> findings;
  std::vector<std::string> notes;
  std::string running;  // the callback running now; empty between callbacks
  std::string last;     // the callback that ran last
  std::string ended;    // what the child said is ending it
  std::string unusable;
  bool done = false;
};

class CheckRunner {
 public:
  CheckRunner(const ValidateOptions& options, fs::path work)
      : options_(options), work_(std::move(work)) {}

  // Runs check index of module in a child; fills result (and unusable when the module cannot be
  // validated) and the notes the child left.
  void Run(const std::string& program, const std::string& module, int index, uint32_t seed,
           const fs::path& outputs, CheckResult& result, std::string& unusable,
           std::set<std::string>& notes) {
    const fs::path progressFile = work_ / "progress.txt";
    const fs::path outFile = outputs.string() + ".stdout.txt";
    const fs::path errFile = outputs.string() + ".stderr.txt";
    std::error_code ignored;
    fs::remove(progressFile, ignored);
    const std::vector<std::string> arguments = {program,
                                                "--run-check",
                                                module,
                                                std::to_string(index),
                                                std::to_string(seed),
                                                std::to_string(options_.strictness),
                                                progressFile.string()};
    const Clock::time_point start = Clock::now();
    ChildProcess child;
    if (!ChildStart(arguments, outFile.string(), errFile.string(), &child)) {
      result.message = "the check's process could not be started (" + program + ")";
      return;
    }
    ChildRun run;
    ProgressReader progress(progressFile.string());
    Clock::time_point callbackSince = start;
    bool callbackTimed = false;  // the running step has the callback's limit
    std::string killed;          // why the child was ended; empty when it ended by itself
    ChildOutcome outcome;
    const auto take = [&](const ProgressRecord& r) {
      switch (static_cast<ProgressKind>(r.kind)) {
        case ProgressKind::kBegin:
        case ProgressKind::kLoading:
          run.running = run.last = r.text;
          callbackSince = Clock::now();
          callbackTimed = r.kind == static_cast<char>(ProgressKind::kBegin);
          break;
        case ProgressKind::kEnd:
          run.running.clear();
          break;
        case ProgressKind::kFinding:
          run.findings.push_back(r.text);
          break;
        case ProgressKind::kNote:
          run.notes.push_back(r.text);
          break;
        case ProgressKind::kEnded:
          run.ended = r.text;
          break;
        case ProgressKind::kUnusable:
          run.unusable = r.text;
          break;
        case ProgressKind::kDone:
          run.done = true;
          break;
      }
    };
    for (;;) {
      if (ChildWait(&child, 20, &outcome)) break;
      progress.Read(take);
      const Clock::time_point now = Clock::now();
      if (!run.running.empty() && callbackTimed &&
          now - callbackSince > std::chrono::milliseconds(options_.timeoutMs)) {
        killed = run.running + " did not return within " + std::to_string(options_.timeoutMs) +
                 " ms (the check was ended)";
      } else if (now - start > std::chrono::milliseconds(options_.checkTimeoutMs)) {
        killed = "the check did not end within " + std::to_string(options_.checkTimeoutMs) +
                 " ms (" + Where(run) + "; it was ended)";
      }
      if (!killed.empty()) {
        ChildKill(&child);
        break;
      }
    }
    progress.Read(take);
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.output = ReadFile(outFile, kKeptOutput);
    result.errors = ReadFile(errFile, kKeptOutput);
    for (const std::string& note : run.notes) notes.insert(note);
    if (!run.unusable.empty() && killed.empty()) {
      unusable = run.unusable;
      return;
    }
    // A fault met on every call would fill the line: the first few name it.
    std::vector<std::string> parts(
        run.findings.begin(),
        run.findings.begin() + std::min<size_t>(run.findings.size(), kShownFindings));
    if (run.findings.size() > kShownFindings) {
      parts.push_back("and " + std::to_string(run.findings.size() - kShownFindings) +
                      " more finding(s)");
    }
    const std::string errorLine = ErrorLine(result.errors);
    result.report = SanitizerReport(result.errors);
    if (!killed.empty()) {
      parts.push_back(killed);
    } else if (!run.done) {
      std::string how = run.ended.empty() ? "the process " : run.ended + ": the process ";
      if (outcome.signaled) {
        how += "was ended by " + ChildOutcomeName(outcome);
      } else {
        how += "exited with status " + std::to_string(outcome.code);
      }
      how += " " + Where(run);
      if (!errorLine.empty()) how += ": " + errorLine;
      parts.push_back(how);
    } else if (outcome.signaled || outcome.code != 0) {
      std::string how = "the process ended with " +
                        (outcome.signaled ? ChildOutcomeName(outcome)
                                          : "status " + std::to_string(outcome.code)) +
                        " after the check, on its way out";
      if (!errorLine.empty()) how += ": " + errorLine;
      parts.push_back(how);
    }
    result.passed = parts.empty();
    for (size_t i = 0; i < parts.size(); ++i) result.message += (i > 0 ? "; " : "") + parts[i];
  }

 private:
  static std::string Where(const ChildRun& run) {
    if (!run.running.empty()) return "while " + run.running + " ran";
    if (!run.last.empty()) return "between callbacks, after " + run.last;
    return "before the module was loaded";
  }

  const ValidateOptions& options_;
  fs::path work_;
};

// The program that runs a module's checks: this one, or, for a module built with AddressSanitizer
// when this program has no sanitizer run-time, the simulator built with it that is installed
// beside this one (its name with "-asan"). Returns the words the run's heading adds; sets unusable
// when no program can run the module.
std::string SanitizedChecker(const std::string& module, const std::string& program,
                             std::string& checker, std::string& unusable) {
  checker = program;
  if (!ModuleFileUsesAddressSanitizer(module.c_str())) return "";
  if (ProcessHasAddressSanitizer()) return ", under the sanitizers";
  const fs::path own(program);
  const fs::path sibling =
      own.parent_path() / (own.stem().string() + "-asan" + own.extension().string());
  std::error_code ec;
  if (!fs::is_regular_file(sibling, ec)) {
    unusable = "is built with AddressSanitizer and runs only in a simulator built with it, " +
               sibling.string() + ", which is missing";
    return "";
  }
  checker = sibling.string();
  return ", under the sanitizers in " + sibling.filename().string();
}

// A new directory for the run's scratch files.
fs::path ScratchDir() {
  std::error_code ec;
  const fs::path base = fs::temp_directory_path(ec);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path dir = base / ("tansel-validate-" + std::to_string(random()));
    if (fs::create_directory(dir, ec)) return dir;
  }
  return {};
}

}  // namespace

int ValidatePlugins(const ValidateOptions& options, const std::string& program) {
  const std::vector<std::string> names = ValidationCheckNames(options.strictness);
  std::vector<int> selected;
  for (size_t i = 0; i < names.size(); ++i) {
    if (options.check.empty() || options.check == names[i] ||
        options.check == std::to_string(i + 1)) {
      selected.push_back(static_cast<int>(i));
    }
  }
  if (selected.empty()) {
    std::fprintf(stderr, "tansel-hostsim: no check is named \"%s\" (--list names them)\n",
                 options.check.c_str());
    return kValidateUnusable;
  }
  const fs::path work = ScratchDir();
  if (work.empty()) {
    std::fprintf(stderr, "tansel-hostsim: no scratch directory can be made for the checks\n");
    return kValidateUnusable;
  }
  std::error_code ec;
  if (!options.logDir.empty() && !fs::is_directory(options.logDir, ec) &&
      !fs::create_directories(options.logDir, ec)) {
    std::fprintf(stderr, "tansel-hostsim: --log-dir %s cannot be made\n", options.logDir.c_str());
    fs::remove_all(work, ec);
    return kValidateUnusable;
  }
  CheckRunner runner(options, work);
  std::vector<ModuleResult> results;
  int status = kValidatePassed;
  for (const std::string& module : options.modules) {
    ModuleResult m;
    m.module = module;
    m.seed = options.seed;
    m.strictness = options.strictness;
    m.repeat = options.repeat;
    std::string checker;
    const std::string sanitized = SanitizedChecker(module, program, checker, m.unusable);
    Say("Validating %s (seed %u, strictness %d%s)\n", module.c_str(), options.seed,
        options.strictness, sanitized.c_str());
    std::set<std::string> notes;
    const std::string stem = FileStem(module);
    for (int k = 0; k < options.repeat && m.unusable.empty(); ++k) {
      for (int index : selected) {
        CheckResult c;
        c.name = names[static_cast<size_t>(index)];
        c.run = k + 1;
        char number[16];
        std::snprintf(number, sizeof number, "%02d", index + 1);
        std::string base = stem + "-" + number;
        if (options.repeat > 1) base += "-run" + std::to_string(k + 1);
        const fs::path outputs = (options.logDir.empty() ? work : fs::path(options.logDir)) / base;
        runner.Run(checker, module, index, options.seed + static_cast<uint32_t>(k), outputs, c,
                   m.unusable, notes);
        if (!m.unusable.empty()) break;
        const std::string label =
            options.repeat > 1 ? c.name + " (run " + std::to_string(k + 1) + ")" : c.name;
        if (c.passed) {
          Say("PASS  %s\n", label.c_str());
        } else {
          Say("FAIL  %s: %s\n", label.c_str(), c.message.c_str());
        }
        m.checks.push_back(std::move(c));
      }
    }
    int passed = 0;
    for (const CheckResult& c : m.checks) passed += c.passed ? 1 : 0;
    int moduleStatus = kValidatePassed;
    if (!m.unusable.empty()) {
      std::fprintf(stderr, "tansel-hostsim: plug-in module %s %s\n", module.c_str(),
                   m.unusable.c_str());
      std::fflush(stderr);
      moduleStatus = kValidateUnusable;
    } else {
      for (const std::string& note : notes) Say("NOTE  %s\n", note.c_str());
      Say("%d of %d checks passed\n", passed, static_cast<int>(m.checks.size()));
      if (passed != static_cast<int>(m.checks.size())) moduleStatus = kValidateFailed;
    }
    status = std::max(status, moduleStatus);
    results.push_back(std::move(m));
  }
  fs::remove_all(work, ec);
  std::string error;
  if ((!options.junitFile.empty() && !WriteJUnitReport(options.junitFile, results, error)) ||
      (!options.jsonFile.empty() && !WriteJsonReport(options.jsonFile, results, error))) {
    std::fprintf(stderr, "tansel-hostsim: report %s\n", error.c_str());
    return kValidateUnusable;
  }
  return status;
}
