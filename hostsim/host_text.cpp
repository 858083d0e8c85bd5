// Conversion between the simulator's UTF-8 and the host's HostRoman through ICU.
#include "hostsim/host_text.h"

#include <unicode/ucnv.h>
#include <unicode/utypes.h>

#include <filesystem>
#include <vector>

#include "platform/path_translation.h"

struct SimHostText::Converter {
  UConverter* roman = nullptr;
  UConverter* utf8 = nullptr;
};

SimHostText::SimHostText(const std::string& icuDataDirectory)
    : converter_(new Converter), package_(icuDataDirectory + "/" U_ICUDATA_NAME "/") {
  UErrorCode error = U_ZERO_ERROR;
  converter_->roman = ucnv_openPackage(package_.c_str(), "host-roman-windows", &error);
  if (U_FAILURE(error)) converter_->roman = nullptr;
  error = U_ZERO_ERROR;
  converter_->utf8 = ucnv_open("UTF-8", &error);
  if (U_FAILURE(error)) converter_->utf8 = nullptr;
}

SimHostText::~SimHostText() {
  if (converter_->roman != nullptr) ucnv_close(converter_->roman);
  if (converter_->utf8 != nullptr) ucnv_close(converter_->utf8);
}

bool SimHostText::ok() const {
  return converter_->roman != nullptr && converter_->utf8 != nullptr;
}

const std::string& SimHostText::package() const {
  return package_;
}

namespace {

// Converts with ucnv_convert's pivot through UTF-16, growing the output until it fits.
std::string Convert(UConverter* to, UConverter* from, const std::string& text) {
  if (text.empty() || to == nullptr || from == nullptr) return text;
  std::vector<char> out(text.size() * 4 + 16);
  for (;;) {
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetToUnicode(from);
    ucnv_resetFromUnicode(to);
    char* target = out.data();
    const char* source = text.data();
    ucnv_convertEx(to, from, &target, out.data() + out.size(), &source, text.data() + text.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &error);
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(out.size() * 2);
      continue;
    }
    if (U_FAILURE(error)) return text;
    return std::string(out.data(), target);
  }
}

}  // namespace

std::string SimHostText::ToHost(const std::string& utf8) const {
  return Convert(converter_->roman, converter_->utf8, utf8);
}

std::optional<std::string> SimHostText::ToHost(const std::optional<std::string>& utf8) const {
  if (!utf8) return std::nullopt;
  return ToHost(*utf8);
}

std::string SimHostText::FromHost(const std::string& host) const {
  return Convert(converter_->utf8, converter_->roman, host);
}

void SimHostText::ToHost(std::vector<SimDocument>& documents) const {
  for (SimDocument& doc : documents) {
    for (auto& [number, value] : doc.strings) value = ToHost(value);
    for (SimMarker& marker : doc.markers) {
      marker.type = ToHost(marker.type);
      marker.text = ToHost(marker.text);
    }
  }
}

std::string SimHostPath(const std::string& path) {
  // A path given without its drive (a build folder named at compile time) is made whole first:
  // the host only ever names whole paths.
  std::error_code ec;
  const std::string whole = std::filesystem::absolute(path, ec).string();
  const std::string& system = ec ? path : whole;
  std::string host(PlatformHostPath(system.c_str(), nullptr, 0), '\0');
  PlatformHostPath(system.c_str(), host.data(), host.size() + 1);
  return host;
}
