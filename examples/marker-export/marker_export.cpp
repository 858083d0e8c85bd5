// Marker export: at start-up it asks for notification 2; for each document the host then reports,
// it writes every marker (its place in the chain, type and text) to a UTF-8 CSV file named after
// the document in the host's directory, and shows how many it wrote in a host message box.
#include "tansel.h"

namespace {

constexpr int32_t kStartedCode = 1;         // "Initialize" once the client is registered
constexpr int32_t kDocumentNotice = 2;      // a document is ready; its name is the text
constexpr int32_t kPropHostDirectory = 89;  // application (0, 0): the host's own directory
constexpr int32_t kPropFirstMarker = 116;   // document: its first marker, 0 for none
constexpr int32_t kPropNextMarker = 1051;   // marker: the next one, 0 at the end
constexpr int32_t kPropMarkerType = 20;     // marker: its type name
constexpr int32_t kPropMarkerText = 1050;   // marker: its text
constexpr int32_t kMessageType = 2;         // the host's plain message box
constexpr int kMaxMarkers = 1000000;        // a host that loops its chain still lets us go
constexpr int kMaxLeafBytes = 200;          // a file name part, ".csv" not counted

// The file's name: the document's name with every byte that would leave the directory or that
// the platform's names refuse replaced by '_', cut short, with ".csv"; "document.csv" without a
// name. The name stays in the host's encoding, which the channel's path expects.
char* CsvLeafName(const char* documentName) {
  const char* name = documentName != nullptr && documentName[0] != 0 ? documentName : "document";
  char* leaf = static_cast<char*>(MemAlloc(kMaxLeafBytes + 5, 0));
  if (leaf == nullptr) return nullptr;
  int n = 0;
  for (const char* p = name; *p != 0 && n < kMaxLeafBytes; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    const bool refused = c < 0x20 || StrFindChar("\\/:*?\"<>|", c) != nullptr;
    leaf[n++] = refused ? '_' : static_cast<char>(c);
  }
  if (leaf[0] == '.') leaf[0] = '_';  // neither hidden nor "." or ".."
  StrCopy(leaf + n, ".csv");
  return leaf;
}

// One CSV field: the host's text in UTF-8, quoted, its quotes doubled; empty for null.
void WriteField(FileChannel* csv, const char* hostText) {
  char* utf8 = hostText != nullptr ? EncCurrentToUtf8(hostText) : nullptr;
  ChanPrintf(csv, "\"");
  for (const char* p = utf8 != nullptr ? utf8 : ""; *p != 0; ++p) {
    ChanPrintf(csv, *p == '"' ? "\"\"" : "%c", *p);
  }
  ChanPrintf(csv, "\"");
  MemFree(utf8);
}

// Writes the document's markers to csv; returns how many.
int WriteMarkers(FileChannel* csv, ObjectId document) {
  ChanPrintf(csv, "position,type,text\n");
  int count = 0;
  for (ObjectId marker = HostGetId(document, document, kPropFirstMarker);
       marker != 0 && count < kMaxMarkers; marker = HostGetId(document, marker, kPropNextMarker)) {
    ++count;
    char* type = HostGetString(document, marker, kPropMarkerType);
    char* text = HostGetString(document, marker, kPropMarkerText);
    ChanPrintf(csv, "%d,", count);
    WriteField(csv, type);
    ChanPrintf(csv, ",");
    WriteField(csv, text);
    ChanPrintf(csv, "\n");
    MemFree(type);
    MemFree(text);
  }
  return count;
}

// The CSV file's path: the leaf name in the host's directory. Null when either is missing.
FilePath* CsvPath(const char* documentName) {
  char* directory = HostGetString(0, 0, kPropHostDirectory);
  char* leaf = CsvLeafName(documentName);
  FilePath* path = nullptr;
  if (directory != nullptr && directory[0] != 0 && leaf != nullptr) {
    FilePath* base = PathNewFromText(directory);
    if (base != nullptr) path = PathResolveAgainst(leaf, base);
    PathFree(base);
  }
  MemFree(directory);
  MemFree(leaf);
  return path;
}

}  // namespace

void ClientInitialize(int32_t code) {
  if (code == kStartedCode) HostRequestNotification(kDocumentNotice, 1);
  ClientStopped = 1;
}

void ClientNotify(int32_t notification, ObjectId document, const char* text, int32_t) {
  if (notification != kDocumentNotice) return;
  char message[256];
  FilePath* path = CsvPath(text);
  FileChannel* csv = path != nullptr ? ChanOpen(path, "w") : nullptr;
  if (csv == nullptr) {
    FmtStringN(message, sizeof message, "Cannot write the markers' CSV file");
  } else {
    const int count = WriteMarkers(csv, document);
    const int closed = ChanClose(csv);
    char* leaf = PathLeafName(path);
    if (closed != 0) {
      FmtStringN(message, sizeof message, "Cannot write %s", leaf != nullptr ? leaf : "");
    } else {
      FmtStringN(message, sizeof message, "%d marker%s written to %s", count, count == 1 ? "" : "s",
                 leaf != nullptr ? leaf : "");
    }
    MemFree(leaf);
  }
  PathFree(path);
  HostShowMessage(message, kMessageType);
}
