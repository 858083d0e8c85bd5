// A simulated host served to client programs: set-up from the environment, output, start-up.
#include "hostsim/served_host.h"

#include <cstdio>
#include <cstdlib>

#include "hostsim/document_file.h"
#include "hostsim/sim_paths.h"
#include "platform/win_time.h"

namespace {

constexpr int32_t kNotifyDocument = 2;
constexpr int32_t kPropHostDirectory = 89;  // string property of the host itself

// The host's converter, opened on first need and kept, as the host keeps it.
const SimHostText* HostText(const CLSID* hostClass) {
  static auto* text = new SimHostText(SimDataParent(hostClass) + "/icu_data");
  return text;
}

// Opens the documents the environment names; false (after saying why) when they cannot be read.
bool OpenDocuments(SimServedHost& served) {
  const char* file = std::getenv("TANSEL_SIM_DOCUMENTS");
  if (file == nullptr || file[0] == '\0') return true;
  std::vector<SimDocument> documents;
  std::string error;
  if (!ReadDocumentFile(file, documents, error)) {
    std::fprintf(stderr, "tansel host server: %s\n", error.c_str());
    return false;
  }
  served.text->ToHost(documents);
  served.host.AddDocuments(documents);
  for (const SimDocument& d : documents) served.documents.emplace_back(d.id, d.name);
  return true;
}

}  // namespace

bool SimServedHost::Busy() {
  if (busy && static_cast<int32_t>(GetTickCount() - busyUntil) >= 0) busy = false;
  return busy;
}

void SimServedHost::SetBusy(DWORD milliseconds) {
  busy = milliseconds != 0;
  busyUntil = GetTickCount() + milliseconds;
}

void SimServedHost::PrintOutput() {
  auto shown = [this](const std::string& host) { return text ? text->FromHost(host) : host; };
  for (; consoleShown < host.Console().size(); ++consoleShown) {
    std::fprintf(out, "  [console] %s\n", shown(host.Console()[consoleShown]).c_str());
  }
  for (; messagesShown < host.Messages().size(); ++messagesShown) {
    const SimShownMessage& m = host.Messages()[messagesShown];
    std::fprintf(out, "  [message box, type %d] %s\n", m.type,
                 m.text ? shown(*m.text).c_str() : "(null text)");
  }
  std::fflush(out);
}

bool SimServeFromEnvironment(SimServedHost& served, const CLSID* hostClass) {
  served.text = HostText(hostClass);
  if (!served.text->ok()) {
    std::fprintf(stderr,
                 "tansel host server: the host's converters are missing from %s (build the "
                 "target tansel_host_converters)\n",
                 served.text->package().c_str());
    return false;
  }
  if (!OpenDocuments(served)) return false;
  // The host's own directory holds "icu_data", where the host's converters are.
  served.host.SetString(0, kPropHostDirectory, SimHostPath(SimDataParent(hostClass)));
  if (const char* busy = std::getenv("TANSEL_SIM_BUSY_MS")) {
    served.SetBusy(static_cast<DWORD>(std::strtoul(busy, nullptr, 10)));
  }
  return true;
}

void SimSendInitialize(SimServedHost& served) {
  std::fprintf(served.out, "Host: \"Initialize\" sent to the client\n");
  std::fflush(served.out);
  served.host.SendInitialize(1);
  served.PrintOutput();
}

void SimSendDocuments(SimServedHost& served) {
  if (served.documents.empty()) return;
  if (served.host.NotificationState(kNotifyDocument) != 1) {
    std::fprintf(served.out, "Host: notification %d was not requested: no document is opened\n",
                 kNotifyDocument);
    std::fflush(served.out);
    return;
  }
  for (const auto& [id, name] : served.documents) {
    std::fprintf(served.out, "Host: opened \"%s\" (document %u), notification %d sent\n",
                 name.c_str(), id, kNotifyDocument);
    std::fflush(served.out);
    // The name goes to the client as host text, like every other text the host hands over.
    const std::string hostName = served.text != nullptr ? served.text->ToHost(name) : name;
    served.host.SendNotify(kNotifyDocument, id, hostName.c_str(), 0);
    served.PrintOutput();
  }
}
