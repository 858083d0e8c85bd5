// The simulated host's text: documents are written in UTF-8, but the host hands its clients text in
// its dialog encoding (HostRoman) and shows what they send back in it. The simulator converts at
// that boundary with the host's own converter, as a host would.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostsim/document_file.h"

class SimHostText {
 public:
  // Opens the "host-roman-windows" converter from the ICU data package below icuDataDirectory
  // (the directory named "icu_data"). ok() tells whether it could.
  explicit SimHostText(const std::string& icuDataDirectory);
  ~SimHostText();
  SimHostText(const SimHostText&) = delete;
  SimHostText& operator=(const SimHostText&) = delete;

  bool ok() const;
  // Where the converter was looked for.
  const std::string& package() const;
  // UTF-8 to HostRoman; characters HostRoman lacks become its substitute byte.
  std::string ToHost(const std::string& utf8) const;
  std::optional<std::string> ToHost(const std::optional<std::string>& utf8) const;
  // HostRoman to UTF-8.
  std::string FromHost(const std::string& host) const;
  // Every text of the documents (string properties, marker types and texts) in HostRoman, as the
  // host holds them; names stay UTF-8, for the simulator's own output.
  void ToHost(std::vector<SimDocument>& documents) const;

 private:
  struct Converter;
  std::unique_ptr<Converter> converter_;
  std::string package_;
};

// A path of this system in the form the host uses: a drive and backslashes (here, drive C: for the
// root). The library's platform layer maps it back when it hands the path to the system.
std::string SimHostPath(const std::string& path);
