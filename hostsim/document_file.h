// The simulator's document files: JSON that describes the documents a simulated host holds.
//
//   {"documents": [
//     {"name": "Report",                       // shown in the simulator's output
//      "id": 7,                                // optional object id (default: 1, 2, ... in order)
//      "ints": {"110": 1},                     // integer properties; 110 defaults to 1
//      "strings": {"30": "..."},               // string properties (null: the host answers null)
//      "ids": {"40": 12},                      // object-id properties
//      "markers": [                            // the marker chain, first to last
//        {"type": "Tansel", "text": "Hello"},  // type (property 20) and text (1050); null allowed
//        {"id": 101, "type": "Index", "text": "x", "next": 0}]}]}  // optional explicit ids/links
//
// Markers without "id" are numbered from 1001 up; without "next" they link to the following marker
// (the last to 0). A document's property 116 is its first marker, unless "ids" sets it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct SimMarker {
  uint32_t id = 0;
  uint32_t next = 0;                // the marker after this one; 0 ends the chain
  std::optional<std::string> type;  // property 20; nullopt: the host answers null
  std::optional<std::string> text;  // property 1050
};

struct SimDocument {
  std::string name;
  uint32_t id = 0;
  std::map<int32_t, int32_t> ints;
  std::map<int32_t, uint32_t> ids;
  std::map<int32_t, std::optional<std::string>> strings;
  std::vector<SimMarker> markers;  // in file order; the chain itself follows `next`
};

// The object ids taken by the document files read so far, and where automatic numbering goes on:
// the files of one command line fill one host, so each file's objects get their own ids.
struct SimIdSpace {
  std::set<uint32_t> used;
  uint32_t nextDocument = 1;
  uint32_t nextMarker = 1001;
};

// Reads a document file; a network name (an http:// or https:// URL) is fetched through the
// network layer first, and messages show it without user or password. On failure returns false
// and sets error to a message that names the
// file and the problem (unreadable, malformed JSON, a field of the wrong kind, duplicate or
// dangling ids, a marker chain that loops, a key it does not know).
bool ReadDocumentFile(const std::string& path, std::vector<SimDocument>& documents,
                      std::string& error);
// As above, after the files whose ids are in `ids`: automatic ids go on from there, an explicit
// id they already use is refused; on success `ids` takes this file's ids too.
bool ReadDocumentFile(const std::string& path, SimIdSpace& ids, std::vector<SimDocument>& documents,
                      std::string& error);

// As ReadDocumentFile, from JSON text; `source` names it in messages.
bool ParseDocuments(const std::string& text, const std::string& source,
                    std::vector<SimDocument>& documents, std::string& error);
bool ParseDocuments(const std::string& text, const std::string& source, SimIdSpace& ids,
                    std::vector<SimDocument>& documents, std::string& error);
