// Reading and checking the simulator's JSON document files.
#include "hostsim/document_file.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <vector>

#include "path/net_files.h"
#include "strings/memory.h"

namespace {

using nlohmann::json;

constexpr int32_t kPropDocumentSearch = 110;
constexpr int32_t kPropFirstMarker = 116;

// The offset of the first byte of text that is not part of well-formed UTF-8; npos when all is.
size_t InvalidUtf8At(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return i;
    }
    for (size_t k = 1; k < length; ++k) {
      if (i + k >= text.size()) return i;
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (k == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80) return i;
    }
    i += length;
  }
  return std::string::npos;
}

// Parses text, refusing an object that has a key twice (the library would keep the last value):
// duplicate is set to that key.
json ParseRefusingDuplicates(const std::string& text, std::string& duplicate) {
  std::vector<std::set<std::string>> keys;  // of each object open at this point
  return json::parse(text, [&](int, json::parse_event_t event, json& parsed) {
    if (event == json::parse_event_t::object_start) {
      keys.emplace_back();
    } else if (event == json::parse_event_t::object_end) {
      if (!keys.empty()) keys.pop_back();
    } else if (event == json::parse_event_t::key && !keys.empty() &&
               !keys.back().insert(parsed.get<std::string>()).second && duplicate.empty()) {
      duplicate = parsed.get<std::string>();
    }
    return true;
  });
}

// How a second use of an id is refused: within a file, or against the files read before.
std::string UsedTwice(const SimIdSpace& earlier, uint32_t id) {
  if (earlier.used.count(id) != 0) {
    return " is used by an earlier document file: the files share one host, so their ids must "
           "differ";
  }
  return " is used twice";
}

// Collects the first problem found, with the JSON path where it lies.
struct Checker {
  std::string source;
  std::string error;
  const SimIdSpace* earlier;  // the ids of the files read before this one

  bool Fail(const std::string& where, const std::string& what) {
    if (error.empty()) error = source + ": " + where + ": " + what;
    return false;
  }

  // A key from the file as messages show it: quoted, with control characters and invalid bytes
  // escaped, so that the message stays one line whatever the key holds.
  static std::string Quoted(const std::string& key) {
    return json(key).dump(-1, ' ', false, json::error_handler_t::replace);
  }

  // Every key of object must be one of allowed: a misspelt key would otherwise be ignored.
  bool KnownKeys(const std::string& where, const json& object,
                 std::initializer_list<const char*> allowed) {
    for (auto& [key, value] : object.items()) {
      bool known = false;
      for (const char* name : allowed) known = known || key == name;
      if (!known) return Fail(where, "unknown key " + Quoted(key));
    }
    return true;
  }

  bool PropertyNumber(const std::string& where, const std::string& key, int32_t& number) {
    char* end = nullptr;
    long value = std::strtol(key.c_str(), &end, 10);
    if (key.empty() || *end != '\0' || value < INT32_MIN || value > INT32_MAX) {
      return Fail(where, "property key " + Quoted(key) + " is not a property number");
    }
    number = static_cast<int32_t>(value);
    return true;
  }

  bool Id(const std::string& where, const json& value, uint32_t& id) {
    if (!value.is_number_integer() || value.get<int64_t>() < 0 ||
        value.get<int64_t>() > UINT32_MAX) {
      return Fail(where, "must be an object id (a whole number from 0 to 4294967295)");
    }
    id = value.get<uint32_t>();
    return true;
  }

  bool OptionalText(const std::string& where, const json& value, std::optional<std::string>& text) {
    if (value.is_null()) {
      text.reset();
      return true;
    }
    if (!value.is_string()) return Fail(where, "must be a string or null");
    text = value.get<std::string>();
    return true;
  }

  bool Properties(const std::string& where, const json& doc, SimDocument& out) {
    if (doc.contains("ints")) {
      if (!doc["ints"].is_object()) return Fail(where + ".ints", "must be an object");
      for (auto& [key, value] : doc["ints"].items()) {
        int32_t number;
        if (!PropertyNumber(where + ".ints", key, number)) return false;
        if (!value.is_number_integer() || value.get<int64_t>() < INT32_MIN ||
            value.get<int64_t>() > INT32_MAX) {
          return Fail(where + ".ints." + key, "must be a 32-bit whole number");
        }
        out.ints[number] = value.get<int32_t>();
      }
    }
    if (doc.contains("ids")) {
      if (!doc["ids"].is_object()) return Fail(where + ".ids", "must be an object");
      for (auto& [key, value] : doc["ids"].items()) {
        int32_t number;
        uint32_t id;
        if (!PropertyNumber(where + ".ids", key, number)) return false;
        if (!Id(where + ".ids." + key, value, id)) return false;
        out.ids[number] = id;
      }
    }
    if (doc.contains("strings")) {
      if (!doc["strings"].is_object()) return Fail(where + ".strings", "must be an object");
      for (auto& [key, value] : doc["strings"].items()) {
        int32_t number;
        if (!PropertyNumber(where + ".strings", key, number)) return false;
        if (!OptionalText(where + ".strings." + key, value, out.strings[number])) return false;
      }
    }
    return true;
  }

  bool Markers(const std::string& where, const json& doc, SimDocument& out,
               std::set<uint32_t>& usedIds, uint32_t& nextAutoId) {
    if (!doc.contains("markers")) return true;
    const json& list = doc["markers"];
    if (!list.is_array()) return Fail(where + ".markers", "must be an array");
    std::vector<bool> explicitNext;
    for (size_t i = 0; i < list.size(); ++i) {
      const std::string at = where + ".markers[" + std::to_string(i) + "]";
      const json& m = list[i];
      if (!m.is_object()) return Fail(at, "must be an object");
      if (!KnownKeys(at, m, {"id", "type", "text", "next"})) return false;
      SimMarker marker;
      if (m.contains("id")) {
        if (!Id(at + ".id", m["id"], marker.id)) return false;
        if (marker.id == 0) return Fail(at + ".id", "0 is not an object id");
      } else {
        while (usedIds.count(nextAutoId) != 0) ++nextAutoId;
        marker.id = nextAutoId++;
      }
      if (!usedIds.insert(marker.id).second) {
        return Fail(at + ".id",
                    "object id " + std::to_string(marker.id) + UsedTwice(*earlier, marker.id));
      }
      if (m.contains("type") && !OptionalText(at + ".type", m["type"], marker.type)) return false;
      if (m.contains("text") && !OptionalText(at + ".text", m["text"], marker.text)) return false;
      explicitNext.push_back(m.contains("next"));
      if (m.contains("next") && !Id(at + ".next", m["next"], marker.next)) return false;
      out.markers.push_back(marker);
    }
    for (size_t i = 0; i < out.markers.size(); ++i) {
      if (!explicitNext[i])
        out.markers[i].next = i + 1 < out.markers.size() ? out.markers[i + 1].id : 0;
    }
    return true;
  }

  // Every link must name a marker of the document, and following them must end.
  bool Chain(const std::string& where, SimDocument& doc) {
    std::map<uint32_t, const SimMarker*> byId;
    for (const SimMarker& m : doc.markers) byId[m.id] = &m;
    for (const SimMarker& m : doc.markers) {
      if (m.next != 0 && byId.count(m.next) == 0) {
        return Fail(where, "marker " + std::to_string(m.id) + " links to " +
                               std::to_string(m.next) + ", which is not a marker of this document");
      }
    }
    uint32_t first = doc.ids.count(kPropFirstMarker) != 0 ? doc.ids[kPropFirstMarker] : 0;
    if (first != 0 && byId.count(first) == 0) {
      return Fail(where,
                  "first marker " + std::to_string(first) + " is not a marker of this document");
    }
    std::set<uint32_t> seen;
    for (uint32_t id = first; id != 0; id = byId[id]->next) {
      if (!seen.insert(id).second) {
        return Fail(where, "the marker chain loops back to marker " + std::to_string(id));
      }
    }
    return true;
  }
};

}  // namespace

namespace {

bool ParseChecked(const std::string& text, const std::string& source, SimIdSpace& ids,
                  std::vector<SimDocument>& documents, std::string& error) {
  Checker check{source, {}, &ids};
  const size_t invalid = InvalidUtf8At(text);
  if (invalid != std::string::npos) {
    error = source + ": not valid UTF-8 at byte " + std::to_string(invalid);
    return false;
  }
  json root;
  std::string duplicate;
  try {
    root = ParseRefusingDuplicates(text, duplicate);
  } catch (const json::exception& e) {
    // Every error of the parser, a number too large for any type (1e999) included.
    error = source + ": not valid JSON: " + e.what();
    return false;
  }
  if (!duplicate.empty()) {
    error = source + ": the key \"" + duplicate + "\" appears twice in one object";
    return false;
  }
  if (!root.is_object() || !root.contains("documents") || !root["documents"].is_array()) {
    check.Fail("top level", "must be an object with a \"documents\" array");
    error = check.error;
    return false;
  }
  if (!check.KnownKeys("top level", root, {"documents"})) {
    error = check.error;
    return false;
  }
  documents.clear();
  // Worked on a copy: a file that fails takes none of the ids.
  std::set<uint32_t> usedIds = ids.used;
  uint32_t nextDocumentId = ids.nextDocument;
  uint32_t nextMarkerId = ids.nextMarker;
  const json& list = root["documents"];
  // Documents without an id take 1, 2, 3, ... (the ids still free) before any marker is numbered,
  // skipping every id the file gives explicitly.
  std::set<uint32_t> explicitIds;
  const auto noteExplicit = [&](const json& object) {
    if (object.is_object() && object.contains("id") && object["id"].is_number_unsigned() &&
        object["id"].get<uint64_t>() <= UINT32_MAX) {
      explicitIds.insert(object["id"].get<uint32_t>());
    }
  };
  for (const json& d : list) {
    noteExplicit(d);
    if (d.is_object() && d.contains("markers") && d["markers"].is_array()) {
      for (const json& m : d["markers"]) noteExplicit(m);
    }
  }
  std::vector<uint32_t> automaticIds;
  for (const json& d : list) {
    if (d.is_object() && d.contains("id")) continue;
    while (usedIds.count(nextDocumentId) != 0 || explicitIds.count(nextDocumentId) != 0) {
      ++nextDocumentId;
    }
    automaticIds.push_back(nextDocumentId);
    usedIds.insert(nextDocumentId++);  // taken now: markers are numbered around them
  }
  size_t automatic = 0;
  bool ok = true;
  for (size_t i = 0; ok && i < list.size(); ++i) {
    const std::string at = "documents[" + std::to_string(i) + "]";
    const json& d = list[i];
    if (!d.is_object()) {
      ok = check.Fail(at, "must be an object");
      break;
    }
    if (!check.KnownKeys(at, d, {"name", "id", "ints", "strings", "ids", "markers"})) {
      ok = false;
      break;
    }
    SimDocument doc;
    doc.name = "document " + std::to_string(i + 1);
    if (d.contains("name")) {
      if (!d["name"].is_string()) {
        ok = check.Fail(at + ".name", "must be a string");
        break;
      }
      doc.name = d["name"].get<std::string>();
    }
    if (d.contains("id")) {
      ok = check.Id(at + ".id", d["id"], doc.id) &&
           (doc.id != 0 || check.Fail(at + ".id", "0 is not an object id"));
    } else {
      doc.id = automaticIds[automatic++];
    }
    if (ok && d.contains("id") && !usedIds.insert(doc.id).second) {
      ok = check.Fail(at + ".id", "object id " + std::to_string(doc.id) + UsedTwice(ids, doc.id));
    }
    doc.ints[kPropDocumentSearch] = 1;
    ok = ok && check.Properties(at, d, doc) && check.Markers(at, d, doc, usedIds, nextMarkerId);
    if (ok && doc.ids.count(kPropFirstMarker) == 0) {
      doc.ids[kPropFirstMarker] = doc.markers.empty() ? 0 : doc.markers.front().id;
    }
    ok = ok && check.Chain(at, doc);
    if (ok) documents.push_back(std::move(doc));
  }
  if (!ok) {
    error = check.error;
    documents.clear();
    return false;
  }
  ids = {std::move(usedIds), nextDocumentId, nextMarkerId};
  return true;
}

}  // namespace

bool ParseDocuments(const std::string& text, const std::string& source,
                    std::vector<SimDocument>& documents, std::string& error) {
  SimIdSpace ids;
  return ParseDocuments(text, source, ids, documents, error);
}

bool ParseDocuments(const std::string& text, const std::string& source, SimIdSpace& ids,
                    std::vector<SimDocument>& documents, std::string& error) {
  // No error of the JSON library gets past the reader: each becomes the one-line message.
  try {
    return ParseChecked(text, source, ids, documents, error);
  } catch (const json::exception& e) {
    error = source + ": " + e.what();
    documents.clear();
    return false;
  }
}

namespace {

// A URL as messages show it: without the user and password of its authority.
std::string Shown(const std::string& url) {
  const size_t authority = url.find("://");
  if (authority == std::string::npos) return url;
  const size_t end = url.find_first_of("/?#", authority + 3);
  const size_t at = url.rfind('@', end == std::string::npos ? url.size() : end);
  return at == std::string::npos || at < authority
             ? url
             : url.substr(0, authority + 3) + url.substr(at + 1);
}

// A document file on a server: fetched through the network layer into its local copy.
bool ReadNetworkDocumentFile(const std::string& url, SimIdSpace& ids,
                             std::vector<SimDocument>& documents, std::string& error) {
  char* local = nullptr;
  int netError = 0;
  if (NetOpenLocalFile(url.c_str(), &local, &netError) != 0) {
    error = Shown(url) + ": cannot be fetched (network error " + std::to_string(netError) + ")";
    return false;
  }
  std::ifstream in(local, std::ios::binary);
  MemFree(local);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in || in.bad()) {
    error = Shown(url) + ": its local copy cannot be read";
    return false;
  }
  return ParseDocuments(text.str(), Shown(url), ids, documents, error);
}

}  // namespace

bool ReadDocumentFile(const std::string& path, std::vector<SimDocument>& documents,
                      std::string& error) {
  SimIdSpace ids;
  return ReadDocumentFile(path, ids, documents, error);
}

bool ReadDocumentFile(const std::string& path, SimIdSpace& ids, std::vector<SimDocument>& documents,
                      std::string& error) {
  if (NetIsNetworkName(path.c_str()) != 0)
    return ReadNetworkDocumentFile(path, ids, documents, error);
  // The name is UTF-8: read as such on every system (a narrow name is ANSI on Windows).
  const std::filesystem::path file(
      std::u8string_view(reinterpret_cast<const char8_t*>(path.data()), path.size()));
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    error = path + ": is a folder, not a document file";
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read (missing or not accessible)";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = path + ": cannot be read";
    return false;
  }
  return ParseDocuments(text.str(), path, ids, documents, error);
}
