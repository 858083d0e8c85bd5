// Writing a validation run's reports.
#include "hostsim/validate_report.h"

#include <cstdio>
#include <fstream>

#include <nlohmann/json.hpp>

namespace {

// Text as a report can carry it: valid UTF-8 kept, any other byte and every control character
// but tab and line breaks (which XML cannot hold) written as "\xNN".
std::string Printable(const std::string& text) {
  std::string out;
  const auto escape = [&](unsigned char c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
  };
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
        escape(c);
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    // The length of a well-formed sequence starting here, or 0.
    size_t length = 0;
    uint32_t lowest = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2, lowest = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3, lowest = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4, lowest = 0x10000;
    }
    uint32_t code = length == 0 ? 0 : c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
      if ((next & 0xC0) != 0x80) {
        length = 0;
        break;
      }
      code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    // U+FFFE and U+FFFF are not XML characters either.
    if (length == 0 || code < lowest || code > 0x10FFFF || surrogate || code == 0xFFFE ||
        code == 0xFFFF) {
      escape(c);
      ++i;
      continue;
    }
    out.append(text, i, length);
    i += length;
  }
  return out;
}

std::string Xml(const std::string& text) {
  std::string out;
  for (char c : Printable(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\n':
        out += "&#10;";  // kept inside attributes too
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

// Runs of a repeated check are told apart by their number.
std::string CaseName(const ModuleResult& module, const CheckResult& check) {
  if (module.repeat <= 1) return check.name;
  return check.name + " (run " + std::to_string(check.run) + ")";
}

bool Save(const std::string& path, const std::string& text, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) {
    error = path + ": cannot be written";
    return false;
  }
  return true;
}

}  // namespace

bool WriteJUnitReport(const std::string& path, const std::vector<ModuleResult>& modules,
                      std::string& error) {
  int tests = 0;
  int failures = 0;
  int errors = 0;
  double total = 0;
  std::string suites;
  for (const ModuleResult& m : modules) {
    int suiteFailures = 0;
    double time = 0;
    std::string cases;
    for (const CheckResult& c : m.checks) {
      time += c.seconds;
      cases += "    <testcase name=\"" + Xml(CaseName(m, c)) + "\" classname=\"" + Xml(m.module) +
               "\" time=\"" + Seconds(c.seconds) + "\">\n";
      if (!c.passed) {
        ++suiteFailures;
        cases += "      <failure message=\"" + Xml(c.message) + "\" type=\"failure\">" +
                 Xml(c.report.empty() ? c.message : c.message + "\n\n" + c.report) + "</failure>\n";
      }
      if (!c.output.empty()) cases += "      <system-out>" + Xml(c.output) + "</system-out>\n";
      if (!c.errors.empty()) cases += "      <system-err>" + Xml(c.errors) + "</system-err>\n";
      cases += "    </testcase>\n";
    }
    const int suiteErrors = m.unusable.empty() ? 0 : 1;
    if (suiteErrors != 0) {
      cases += "    <testcase name=\"loading the module\" classname=\"" + Xml(m.module) +
               "\" time=\"0.000\">\n      <error message=\"" + Xml(m.unusable) +
               "\" type=\"error\">" + Xml(m.unusable) + "</error>\n    </testcase>\n";
    }
    const int suiteTests = static_cast<int>(m.checks.size()) + suiteErrors;
    suites += "  <testsuite name=\"" + Xml(m.module) + "\" tests=\"" + std::to_string(suiteTests) +
              "\" failures=\"" + std::to_string(suiteFailures) + "\" errors=\"" +
              std::to_string(suiteErrors) + "\" skipped=\"0\" time=\"" + Seconds(time) +
              "\">\n    <properties>\n      <property name=\"seed\" value=\"" +
              std::to_string(m.seed) + "\"/>\n      <property name=\"strictness\" value=\"" +
              std::to_string(m.strictness) + "\"/>\n    </properties>\n" + cases +
              "  </testsuite>\n";
    tests += suiteTests;
    failures += suiteFailures;
    errors += suiteErrors;
    total += time;
  }
  return Save(path,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"tansel-hostsim "
              "--validate\" tests=\"" +
                  std::to_string(tests) + "\" failures=\"" + std::to_string(failures) +
                  "\" errors=\"" + std::to_string(errors) + "\" time=\"" + Seconds(total) +
                  "\">\n" + suites + "</testsuites>\n",
              error);
}

bool WriteJsonReport(const std::string& path, const std::vector<ModuleResult>& modules,
                     std::string& error) {
  nlohmann::json report = nlohmann::json::array();
  for (const ModuleResult& m : modules) {
    nlohmann::json checks = nlohmann::json::array();
    for (const CheckResult& c : m.checks) {
      checks.push_back({{"name", Printable(c.name)},
                        {"run", c.run},
                        {"passed", c.passed},
                        {"message", Printable(c.message)},
                        {"seconds", c.seconds},
                        {"output", Printable(c.output)},
                        {"errors", Printable(c.errors)},
                        {"report", Printable(c.report)}});
    }
    report.push_back({{"module", Printable(m.module)},
                      {"seed", m.seed},
                      {"strictness", m.strictness},
                      {"loaded", m.unusable.empty()},
                      {"unusable", Printable(m.unusable)},
                      {"checks", checks}});
  }
  return Save(path, nlohmann::json{{"modules", report}}.dump(2) + "\n", error);
}
