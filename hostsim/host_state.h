// Inside the simulated host: its interface faces (one object per host interface, produced from
// the slot table) and the state they share. Not for the simulator's users: see host_object.h.
#pragma once

#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "bridge/host_copy.h"
#include "hostsim/host_object.h"
#include "hostsim/task_blocks.h"

struct SimHostState;

// What every face does for IUnknown.
HRESULT SimQuery(SimHostState* state, REFIID iid, void** out);
ULONG SimAddRef(SimHostState* state, int index);
ULONG SimRelease(SimHostState* state, int index);

// What a slot answers when no face does real work for it, by the family of its shape: the call is
// noted, a fault set on it answers instead, and otherwise the host succeeds, writing error code 0
// and a sample of the slot's value (host memory from CoTaskMemAlloc, tracked).
template <typename T>
HRESULT SimAnswerNONE(SimHostState* state, int index, int slot);
template <typename T>
HRESULT SimAnswerCODE(SimHostState* state, int index, int slot, int32_t* error);
template <typename T>
HRESULT SimAnswerVALUE(SimHostState* state, int index, int slot, T* value);
template <typename T>
HRESULT SimAnswerCODE_VALUE(SimHostState* state, int index, int slot, int32_t* error, T* value);
template <typename T>
HRESULT SimAnswerCODE_TWO(SimHostState* state, int index, int slot, int32_t* error, T* value,
                          T* second);

// Fills record, of the given layout, as the host's sample: every byte 0x11, every owned place a
// new tracked block. Lists hold two elements; element 0 of a list owns its tagged texts and
// compact payloads, element 1 holds a kind or type that owns nothing (pointing at host-owned text).
void SimFillSample(SimHostState* state, void* record, const HostLayout& layout, uint32_t index);

// The default face of each interface: IUnknown acts on the host object, and every slot answers as
// above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define HOST_INTERFACE(Name, ...)                                                             \
  class SimDefault##Name : public Name {                                                      \
   public:                                                                                    \
    explicit SimDefault##Name(SimHostState* state) : state_(state) {}                         \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {               \
      return SimQuery(state_, iid, out);                                                      \
    }                                                                                         \
    ULONG STDMETHODCALLTYPE AddRef() override { return SimAddRef(state_, k##Name##Index); }   \
    ULONG STDMETHODCALLTYPE Release() override { return SimRelease(state_, k##Name##Index); } \
                                                                                              \
   protected:                                                                                 \
    SimHostState* state_;                                                                     \
                                                                                              \
   public:
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params)               \
  HRESULT STDMETHODCALLTYPE Method HOST_PARAMS(Shape, Type, Params) override {         \
    return HOST_CAT(SimAnswer, HOST_FAMILY_##Shape)<Type>(state_, k##Interface##Index, \
                                                          slot HOST_OUTS(Shape));      \
  }
#define HOST_INTERFACE_END(Name) \
  }                              \
  ;
#include "bridge/host_slots.inc"
#pragma GCC diagnostic pop

// The faces that do real work: the plug-in's road.
class SimFaceHostApi final : public SimDefaultHostApi {
 public:
  using SimDefaultHostApi::SimDefaultHostApi;
  HRESULT STDMETHODCALLTYPE RegisterClient(IUnknown* sink, int32_t version,
                                           const ClientDescription* description) override;
  HRESULT STDMETHODCALLTYPE SetNotification(int32_t notification, int32_t state,
                                            int32_t* error) override;
  HRESULT STDMETHODCALLTYPE ShowMessage(const char* text, int32_t type, int32_t* result) override;
  HRESULT STDMETHODCALLTYPE ConsoleWrite(const char* text, int32_t* error) override;
  HRESULT STDMETHODCALLTYPE GetIntProp(ObjectId document, ObjectId object,
                                       const PropertyIdent* ident, int32_t* error,
                                       int32_t* value) override;
  HRESULT STDMETHODCALLTYPE GetIdProp(ObjectId document, ObjectId object,
                                      const PropertyIdent* ident, int32_t* error,
                                      ObjectId* value) override;
  HRESULT STDMETHODCALLTYPE GetStringProp(ObjectId document, ObjectId object,
                                          const PropertyIdent* ident, int32_t* error,
                                          char** value) override;
};

class SimFaceHostMemoryPolicy final : public SimDefaultHostMemoryPolicy {
 public:
  using SimDefaultHostMemoryPolicy::SimDefaultHostMemoryPolicy;
  HRESULT STDMETHODCALLTYPE QuerySharedMemory(int32_t query) override;
};

class SimFaceHostModuleLink final : public SimDefaultHostModuleLink {
 public:
  using SimDefaultHostModuleLink::SimDefaultHostModuleLink;
  HRESULT STDMETHODCALLTYPE SetClientModule(HMODULE module) override;
};

using SimFaceHostApiExt1 = SimDefaultHostApiExt1;
using SimFaceHostApiExt2 = SimDefaultHostApiExt2;
using SimFaceHostApiExt3 = SimDefaultHostApiExt3;
using SimFaceHostApiExt4 = SimDefaultHostApiExt4;
using SimFaceHostApiExt5 = SimDefaultHostApiExt5;
using SimFaceHostApiExt6 = SimDefaultHostApiExt6;
using SimFaceHostApiExt7 = SimDefaultHostApiExt7;
using SimFaceHostApiExt8 = SimDefaultHostApiExt8;
using SimFaceHostApiExt9 = SimDefaultHostApiExt9;
using SimFaceHostApiExt10 = SimDefaultHostApiExt10;
using SimFaceHostApiExt11 = SimDefaultHostApiExt11;
using SimFaceHostApiExt12 = SimDefaultHostApiExt12;
using SimFaceHostApiExt13 = SimDefaultHostApiExt13;
using SimFaceHostApiExt14 = SimDefaultHostApiExt14;
using SimFaceHostAuxiliary = SimDefaultHostAuxiliary;

// The host object's own IUnknown, counted apart from the interfaces.
class SimIdentity final : public IUnknown {
 public:
  explicit SimIdentity(SimHostState* state) : state_(state) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return SimQuery(state_, iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return SimAddRef(state_, kHostInterfaceCount); }
  ULONG STDMETHODCALLTYPE Release() override { return SimRelease(state_, kHostInterfaceCount); }

 private:
  SimHostState* state_;
};

struct SimObject {
  bool document = false;                                  // a document, not a marker
  ObjectId lastMarker = 0;                                // a document's chain end, for AddMarker
  std::map<int32_t, int32_t> ints;                        // integer properties
  std::map<int32_t, ObjectId> ids;                        // object-id properties
  std::map<int32_t, std::optional<std::string>> strings;  // string properties (nullopt: null)
};

struct SimFaultSetting {
  SimFault fault = SimFault::kNone;  // how the slot answers
  int32_t code = 0;                  // the code written with SimFault::kCode
};

// How one call goes: whether the face does its work, what it returns, and what code it writes.
struct SimCallPlan {
  bool work;          // do the work (false: return hr at once, through Refuse)
  HRESULT hr;         // the answer
  bool writeCode;     // write the error code
  int32_t forceCode;  // nonzero: write this code instead of the work's own
};

struct SimHostState {
  SimHostState();

  // Notes a call of the slot and says how it goes.
  SimCallPlan Plan(int index, int slot);
  // Writes the error code of a call that did its work (code is the work's own outcome).
  // The answer of a call that does no work: hr, after writing 0 as the code when the plan says so.
  static HRESULT Refuse(const SimCallPlan& plan, int32_t* error);
  static void Finish(const SimCallPlan& plan, int32_t* error, int32_t code);
  // The property's object, or null; code is set to the host's error for a bad request.
  const SimObject* Find(ObjectId document, ObjectId object, const PropertyIdent* ident,
                        int32_t& code) const;
  SimObject& Object(ObjectId id);  // creates it when absent

  SimTaskBlocks blocks;  // first in, last out: the faces' memory outlives nothing else

  SimFaceHostApiExt1 faceExt1{this};
  SimFaceHostApiExt2 faceExt2{this};
  SimFaceHostApiExt3 faceExt3{this};
  SimFaceHostApi faceApi{this};
  SimFaceHostApiExt4 faceExt4{this};
  SimFaceHostApiExt5 faceExt5{this};
  SimFaceHostApiExt6 faceExt6{this};
  SimFaceHostApiExt7 faceExt7{this};
  SimFaceHostApiExt8 faceExt8{this};
  SimFaceHostApiExt9 faceExt9{this};
  SimFaceHostApiExt10 faceExt10{this};
  SimFaceHostApiExt11 faceExt11{this};
  SimFaceHostApiExt12 faceExt12{this};
  SimFaceHostApiExt13 faceExt13{this};
  SimFaceHostApiExt14 faceExt14{this};
  SimFaceHostMemoryPolicy faceMemoryPolicy{this};
  SimFaceHostModuleLink faceModuleLink{this};
  SimFaceHostAuxiliary faceAuxiliary{this};
  SimIdentity identity{this};

  std::array<IUnknown*, kHostInterfaceCount> faces;     // by table index
  std::array<bool, kHostInterfaceCount> offered;        // answered by QueryInterface
  std::array<int32_t, kHostInterfaceCount + 1> refs{};  // outstanding, identity last
  int32_t overReleases = 0;
  std::map<std::pair<int, int>, int32_t> calls;  // {index, slot} -> count
  std::pair<int, int> lastCall{-1, -1};
  std::thread::id thread = std::this_thread::get_id();    // the host's own: it calls the client
  std::vector<std::pair<int, int>> foreignCalls;          // {index, slot} called from another
  std::map<std::pair<int, int>, SimFaultSetting> faults;  // {index, slot} -> fault
  SimFaultSetting faultEverywhere;

  bool shared = false;
  int32_t messageResult = 1;
  std::unordered_map<ObjectId, SimObject> objects;
  ObjectId nextId = 1;

  std::vector<SimShownMessage> messages;
  std::vector<std::string> console;
  std::vector<SimRequestedNotification> notifications;
  int32_t registrations = 0;
  int32_t registeredVersion = 0;
  const ClientDescription* registeredDescription = nullptr;
  std::vector<SimDescriptionEntry> descriptionEntries;
  bool moduleSet = false;
  HMODULE module = nullptr;
  int32_t sharedQueries = 0;

  IUnknown* sink = nullptr;  // the client's sink, one reference held
  bool releaseSinkWhenLetGo = false;
  void (*notificationHook)(void* context, int32_t notification, int32_t state) = nullptr;
  void* notificationHookContext = nullptr;
  void (*registrationHook)(void* context) = nullptr;
  void* registrationHookContext = nullptr;
  void ReleaseSink();
};

// ---- The default answers ----

template <typename T>
T SimSample(SimHostState* state) {
  T value;
  if constexpr (HostLayoutOf<T>::owns) {
    SimFillSample(state, &value, HostLayoutOf<T>::layout, 0);
  } else {
    // As SimFillSample fills it, with a size known here: a scalar answer is one plain store,
    // which the caller's read of it can forward.
    std::memset(static_cast<void*>(&value), 0x11, sizeof(T));
  }
  return value;
}

template <typename T>
HRESULT SimAnswerNONE(SimHostState* state, int index, int slot) {
  return state->Plan(index, slot).hr;
}

template <typename T>
HRESULT SimAnswerCODE(SimHostState* state, int index, int slot, int32_t* error) {
  SimCallPlan plan = state->Plan(index, slot);
  if (!plan.work) return SimHostState::Refuse(plan, error);
  SimHostState::Finish(plan, error, 0);
  return plan.hr;
}

template <typename T>
HRESULT SimAnswerVALUE(SimHostState* state, int index, int slot, T* value) {
  SimCallPlan plan = state->Plan(index, slot);
  if (plan.work && value != nullptr) *value = SimSample<T>(state);
  return plan.hr;
}

template <typename T>
HRESULT SimAnswerCODE_VALUE(SimHostState* state, int index, int slot, int32_t* error, T* value) {
  SimCallPlan plan = state->Plan(index, slot);
  if (!plan.work) return SimHostState::Refuse(plan, error);
  if (value != nullptr) *value = SimSample<T>(state);
  SimHostState::Finish(plan, error, 0);
  return plan.hr;
}

template <typename T>
HRESULT SimAnswerCODE_TWO(SimHostState* state, int index, int slot, int32_t* error, T* value,
                          T* second) {
  SimCallPlan plan = state->Plan(index, slot);
  if (!plan.work) return SimHostState::Refuse(plan, error);
  if (value != nullptr) *value = SimSample<T>(state);
  if (second != nullptr) *second = SimSample<T>(state);
  SimHostState::Finish(plan, error, 0);
  return plan.hr;
}
