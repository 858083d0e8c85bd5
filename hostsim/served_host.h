// A simulated host served to client programs in other apartments or processes: what the
// environment configures, what the host prints of what the client showed, and the client's
// start-up. Shared by this platform's server module and the local server program built for
// Windows.
//
// Configured by the environment when a host object is made:
//   TANSEL_SIM_DOCUMENTS  a document file (hostsim/document_file.h) whose documents the host
//                         opens once the client has started, sending notification 2 for each when
//                         the client asked for it;
//   TANSEL_SIM_BUSY_MS    milliseconds for which the new host answers every call busy.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "hostsim/host_object.h"
#include "hostsim/host_text.h"

struct SimServedHost {
  // True while the host is busy; the span is on the platform clock.
  bool Busy();
  // Busy from now for milliseconds.
  void SetBusy(DWORD milliseconds);
  // Prints what the client showed since the last call.
  void PrintOutput();

  SimHost host;
  FILE* out = stdout;                 // where the host prints
  const SimHostText* text = nullptr;  // the host's encoding; null: texts are printed as they are
  std::vector<std::pair<ObjectId, std::string>> documents;  // opened once the client started
  bool busy = false;                                        // busy until busyUntil
  DWORD busyUntil = 0;                                      // GetTickCount value
  size_t messagesShown = 0;                                 // messages already printed
  size_t consoleShown = 0;                                  // console lines already printed
};

// Sets served up from the environment for the host's class (whose data directory holds the
// host's converters): converters, documents, the host's directory (property 89) and the busy
// period. False, after saying why on standard error, when the converters or documents are missing.
bool SimServeFromEnvironment(SimServedHost& served, const CLSID* hostClass);

// The client's start: "Initialize"(1), printing what the client showed.
void SimSendInitialize(SimServedHost& served);
// Opens the documents: notification 2 for each when the client asked for it (else says so),
// printing what the client showed.
void SimSendDocuments(SimServedHost& served);
