// The simulated host's API for tests and the simulator's command line.
#include "hostsim/host_object.h"

#include "hostsim/host_state.h"

namespace {

constexpr int32_t kPropSearch = 110;       // a document's search switch
constexpr int32_t kPropFirstMarker = 116;  // a document's first marker
constexpr int32_t kPropMarkerType = 20;    // a marker's type name
constexpr int32_t kPropNextMarker = 1051;  // the marker after this one
constexpr int32_t kPropMarkerText = 1050;  // a marker's text

// Holds a reference to one face of the sink for the length of a call.
template <typename Face>
class SinkFace {
 public:
  explicit SinkFace(IUnknown* sink) {
    void* out = nullptr;
    if (sink != nullptr && SUCCEEDED(sink->QueryInterface(HostSinkIid(), &out))) {
      face_ = static_cast<Face*>(out);
    }
  }
  ~SinkFace() {
    if (face_ != nullptr) face_->Release();
  }
  Face* operator->() const { return face_; }
  explicit operator bool() const { return face_ != nullptr; }

 private:
  static const IID& HostSinkIid();
  Face* face_ = nullptr;
};

template <>
const IID& SinkFace<IHostNotifications0>::HostSinkIid() {
  return IID_IHostNotifications0;
}
template <>
const IID& SinkFace<IHostNotifications1>::HostSinkIid() {
  return IID_IHostNotifications1;
}
template <>
const IID& SinkFace<IHostCMSNotifications0>::HostSinkIid() {
  return IID_IHostCMSNotifications0;
}

constexpr HRESULT kNoSink = E_UNEXPECTED;  // what a Send answers without a registered sink

}  // namespace

SimHostState::SimHostState()
    : faces{&faceExt1,         &faceExt2,       &faceExt3,     &faceApi,   &faceExt4,
            &faceExt5,         &faceExt6,       &faceExt7,     &faceExt8,  &faceExt9,
            &faceExt10,        &faceExt11,      &faceExt12,    &faceExt13, &faceExt14,
            &faceMemoryPolicy, &faceModuleLink, &faceAuxiliary} {
  offered.fill(true);
}

SimHost::SimHost() : state_(std::make_unique<SimHostState>()) {}

SimHost::~SimHost() {
  ReleaseSink();
}

IUnknown* SimHost::Object() {
  return &state_->identity;
}

void SimHost::Offer(int index, bool offered) {
  state_->offered.at(index) = offered;
}

void SimHost::OfferOnly(const std::vector<int>& indexes) {
  state_->offered.fill(false);
  for (int i : indexes) state_->offered.at(i) = true;
}

int32_t SimHost::Outstanding(int index) const {
  return state_->refs.at(index);
}

int32_t SimHost::OutstandingTotal() const {
  int32_t total = 0;
  for (int32_t r : state_->refs) total += r;
  return total;
}

int32_t SimHost::OverReleases() const {
  return state_->overReleases;
}

int32_t SimHost::Calls(int index, int slot) const {
  auto it = state_->calls.find({index, slot});
  return it == state_->calls.end() ? 0 : it->second;
}

std::pair<int, int> SimHost::LastCall() const {
  return state_->lastCall;
}

const std::vector<std::pair<int, int>>& SimHost::ForeignThreadCalls() const {
  return state_->foreignCalls;
}

void SimHost::SetFault(int index, int slot, SimFault fault, int32_t code) {
  state_->faults[{index, slot}] = {fault, code};
}

void SimHost::SetFaultEverywhere(SimFault fault) {
  state_->faultEverywhere = {fault, 0};
}

void SimHost::ClearFaults() {
  state_->faults.clear();
  state_->faultEverywhere = {};
}

void SimHost::SetSharedMemory(bool shared) {
  state_->shared = shared;
}

void SimHost::SetMessageResult(int32_t result) {
  state_->messageResult = result;
}

ObjectId SimHost::AddDocument(int32_t search) {
  while (state_->objects.count(state_->nextId) != 0) ++state_->nextId;
  ObjectId id = state_->nextId++;
  SimObject& doc = state_->Object(id);
  doc.document = true;
  doc.ints[kPropSearch] = search;
  doc.ids[kPropFirstMarker] = 0;
  return id;
}

ObjectId SimHost::AddMarker(ObjectId document, std::optional<std::string> type,
                            std::optional<std::string> text) {
  while (state_->objects.count(state_->nextId) != 0) ++state_->nextId;
  ObjectId id = state_->nextId++;
  SimObject& marker = state_->Object(id);
  marker.strings[kPropMarkerType] = std::move(type);
  marker.strings[kPropMarkerText] = std::move(text);
  marker.ids[kPropNextMarker] = 0;
  SimObject& doc = state_->Object(document);
  if (doc.lastMarker == 0) {
    doc.ids[kPropFirstMarker] = id;
  } else {
    state_->Object(doc.lastMarker).ids[kPropNextMarker] = id;
  }
  doc.lastMarker = id;
  return id;
}

void SimHost::AddDocuments(const std::vector<SimDocument>& documents) {
  for (const SimDocument& d : documents) {
    SimObject& doc = state_->Object(d.id);
    doc.document = true;
    doc.ints.insert(d.ints.begin(), d.ints.end());
    doc.ids.insert(d.ids.begin(), d.ids.end());
    doc.strings.insert(d.strings.begin(), d.strings.end());
    for (const SimMarker& m : d.markers) {
      SimObject& marker = state_->Object(m.id);
      marker.strings[kPropMarkerType] = m.type;
      marker.strings[kPropMarkerText] = m.text;
      marker.ids[kPropNextMarker] = m.next;
      doc.lastMarker = m.id;
    }
  }
}

void SimHost::SetInt(ObjectId object, int32_t number, int32_t value) {
  state_->Object(object).ints[number] = value;
}

void SimHost::SetId(ObjectId object, int32_t number, ObjectId value) {
  state_->Object(object).ids[number] = value;
}

void SimHost::SetString(ObjectId object, int32_t number, std::optional<std::string> value) {
  state_->Object(object).strings[number] = std::move(value);
}

void SimHost::RemoveProperty(ObjectId object, int32_t number) {
  SimObject& o = state_->Object(object);
  o.ints.erase(number);
  o.ids.erase(number);
  o.strings.erase(number);
}

const std::vector<SimShownMessage>& SimHost::Messages() const {
  return state_->messages;
}

const std::vector<std::string>& SimHost::Console() const {
  return state_->console;
}

const std::vector<SimRequestedNotification>& SimHost::RequestedNotifications() const {
  return state_->notifications;
}

int32_t SimHost::NotificationState(int32_t notification) const {
  int32_t state = 0;
  for (const SimRequestedNotification& n : state_->notifications) {
    if (n.notification == notification) state = n.state;
  }
  return state;
}

int32_t SimHost::Registrations() const {
  return state_->registrations;
}

int32_t SimHost::RegisteredVersion() const {
  return state_->registeredVersion;
}

const ClientDescription* SimHost::RegisteredDescription() const {
  return state_->registeredDescription;
}

const std::vector<SimDescriptionEntry>& SimHost::RegisteredDescriptionEntries() const {
  return state_->descriptionEntries;
}

bool SimHost::ClientModuleSet() const {
  return state_->moduleSet;
}

HMODULE SimHost::ClientModule() const {
  return state_->module;
}

int32_t SimHost::SharedMemoryQueries() const {
  return state_->sharedQueries;
}

size_t SimHost::BlocksHandedOut() const {
  return state_->blocks.HandedOut();
}

size_t SimHost::BlocksFreedByClient() const {
  return state_->blocks.FreedByClient();
}

size_t SimHost::BlocksFreedWrongly() const {
  return state_->blocks.FreedWrongly();
}

const std::vector<SimMemoryFault>& SimHost::MemoryFaults() const {
  return state_->blocks.Faults();
}

void SimHost::CheckSharedBlocks() {
  state_->blocks.CheckSharedBlocks();
}

bool SimHost::BlockFreed(size_t index) const {
  return state_->blocks.Freed(index);
}

void SimHost::ReclaimBlocks() {
  state_->blocks.ReclaimAll();
}

bool SimHost::HasSink() const {
  return state_->sink != nullptr;
}

int32_t SimHost::SinkRefCount() const {
  if (state_->sink == nullptr) return 0;
  state_->sink->AddRef();
  return static_cast<int32_t>(state_->sink->Release());
}

HRESULT SimHost::SendInitialize(int32_t code) {
  SinkFace<IHostNotifications0> sink(state_->sink);
  return sink ? sink->Initialize(code) : kNoSink;
}

HRESULT SimHost::SendQuit() {
  SinkFace<IHostNotifications0> sink(state_->sink);
  return sink ? sink->Quit() : kNoSink;
}

HRESULT SimHost::SendCommand(int32_t command) {
  SinkFace<IHostNotifications0> sink(state_->sink);
  return sink ? sink->Command(command) : kNoSink;
}

HRESULT SimHost::SendMessage(intptr_t value, int32_t first, int32_t second) {
  SinkFace<IHostNotifications0> sink(state_->sink);
  return sink ? sink->Message(value, first, second) : kNoSink;
}

HRESULT SimHost::SendDialogEvent(int32_t first, int32_t second, int32_t third) {
  SinkFace<IHostNotifications0> sink(state_->sink);
  return sink ? sink->DialogEvent(first, second, third) : kNoSink;
}

HRESULT SimHost::SendNotify(int32_t number, ObjectId object, const char* text, int32_t value) {
  SinkFace<IHostNotifications0> sink(state_->sink);
  return sink ? sink->Notify(number, object, text, value) : kNoSink;
}

HRESULT SimHost::SendGetResource(int32_t type, const char* name, HostResource* out) {
  SinkFace<IHostNotifications0> sink(state_->sink);
  return sink ? sink->GetResource(type, name, out) : kNoSink;
}

HRESULT SimHost::SendHtmlDialogEventEx(int32_t code, void* first, void* second) {
  SinkFace<IHostNotifications1> sink(state_->sink);
  return sink ? sink->HtmlDialogEventEx(code, first, second) : kNoSink;
}

HRESULT SimHost::SendCmsCommand(int32_t command, void* data, int32_t count, void* extra,
                                CmsCommandResult* result) {
  SinkFace<IHostCMSNotifications0> sink(state_->sink);
  return sink ? sink->CMSCommand(command, data, count, extra, result) : kNoSink;
}

void SimHost::ReleaseSink() {
  state_->ReleaseSink();
}

void SimHost::ReleaseSinkWhenLetGo(bool on) {
  state_->releaseSinkWhenLetGo = on;
}

void SimHost::OnNotificationRequest(void (*hook)(void*, int32_t, int32_t), void* context) {
  state_->notificationHook = hook;
  state_->notificationHookContext = context;
}

void SimHost::OnRegistration(void (*hook)(void*), void* context) {
  state_->registrationHook = hook;
  state_->registrationHookContext = context;
}
