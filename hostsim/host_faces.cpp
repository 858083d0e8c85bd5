// The simulated host's faces: reference counting, faults, and the calls of a plug-in's road.
#include <cstring>

#include "hostsim/host_state.h"
#include "platform/com_runtime.h"
#include "props/property_list.h"

HRESULT SimQuery(SimHostState* state, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualGUID(iid, IID_IUnknown)) {
    *out = &state->identity;
    state->identity.AddRef();
    return S_OK;
  }
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    if (state->offered[i] && IsEqualGUID(iid, HostInterfaceIid(i))) {
      *out = state->faces[i];
      state->faces[i]->AddRef();
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}

ULONG SimAddRef(SimHostState* state, int index) {
  return static_cast<ULONG>(++state->refs[index]);
}

ULONG SimRelease(SimHostState* state, int index) {
  if (state->refs[index] == 0) {
    ++state->overReleases;
    return 0;
  }
  ULONG left = static_cast<ULONG>(--state->refs[index]);
  if (state->releaseSinkWhenLetGo && index < kHostInterfaceCount) {
    int32_t held = 0;
    for (int i = 0; i < kHostInterfaceCount; ++i) held += state->refs[i];
    if (held == 0) state->ReleaseSink();
  }
  return left;
}

void SimHostState::ReleaseSink() {
  IUnknown* old = sink;
  sink = nullptr;
  if (old != nullptr) old->Release();
}

SimCallPlan SimHostState::Plan(int index, int slot) {
  ++calls[{index, slot}];
  lastCall = {index, slot};
  // The connection is single-threaded: a call from another thread is the client's fault (noted
  // only, as the maps above are not guarded: the count may then be off, the note is not lost).
  if (std::this_thread::get_id() != thread) foreignCalls.push_back({index, slot});
  SimFaultSetting setting = faultEverywhere;
  if (auto it = faults.find({index, slot}); it != faults.end()) setting = it->second;
  switch (setting.fault) {
    case SimFault::kBusy:
      return {false, RPC_E_SERVERCALL_RETRYLATER, false, 0};
    case SimFault::kFail:
      return {false, E_FAIL, false, 0};
    case SimFault::kFailAfterZero:
      return {false, E_FAIL, true, 0};
    case SimFault::kGone:
      return {false, RPC_E_DISCONNECTED, false, 0};
    case SimFault::kNoCode:
      return {true, S_OK, false, 0};
    case SimFault::kCode:
      return {true, S_OK, true, setting.code};
    case SimFault::kNone:
      break;
  }
  return {true, S_OK, true, 0};
}

HRESULT SimHostState::Refuse(const SimCallPlan& plan, int32_t* error) {
  if (plan.writeCode && error != nullptr) *error = 0;
  return plan.hr;
}

void SimHostState::Finish(const SimCallPlan& plan, int32_t* error, int32_t code) {
  if (plan.writeCode && error != nullptr) *error = plan.forceCode != 0 ? plan.forceCode : code;
}

const SimObject* SimHostState::Find(ObjectId document, ObjectId object, const PropertyIdent* ident,
                                    int32_t& code) const {
  auto doc = objects.find(document);
  auto obj = objects.find(object);
  bool application = document == 0 && object == 0;
  bool known = doc != objects.end() && (doc->second.document || application);
  if (!known || obj == objects.end()) {
    code = kSimNoSuchObject;
    return nullptr;
  }
  if (ident == nullptr || ident->num == 0) {  // the simulator knows no named properties
    code = kSimNoSuchProperty;
    return nullptr;
  }
  code = 0;
  return &obj->second;
}

SimObject& SimHostState::Object(ObjectId id) {
  return objects[id];
}

HRESULT STDMETHODCALLTYPE SimFaceHostApi::RegisterClient(IUnknown* sink, int32_t version,
                                                         const ClientDescription* description) {
  SimCallPlan plan = state_->Plan(kHostApiIndex, 3);
  if (!plan.work) return plan.hr;
  ++state_->registrations;
  state_->registeredVersion = version;
  state_->registeredDescription = description;
  state_->descriptionEntries.clear();
  if (description != nullptr && description->items != nullptr) {
    for (uint32_t i = 0; i < description->count; ++i) {
      const PropertyValue& entry = description->items[i];
      std::optional<std::string> value;
      if (entry.value.valType == PropString && entry.value.payload.string != nullptr) {
        value = entry.value.payload.string;
      }
      state_->descriptionEntries.push_back({entry.ident.num, value});
    }
  }
  if (sink != nullptr) sink->AddRef();
  state_->ReleaseSink();
  state_->sink = sink;
  if (state_->registrationHook != nullptr) {
    state_->registrationHook(state_->registrationHookContext);
  }
  return plan.hr;
}

HRESULT STDMETHODCALLTYPE SimFaceHostApi::SetNotification(int32_t notification, int32_t state,
                                                          int32_t* error) {
  SimCallPlan plan = state_->Plan(kHostApiIndex, 8);
  if (!plan.work) return SimHostState::Refuse(plan, error);
  state_->notifications.push_back({notification, state});
  if (state_->notificationHook != nullptr) {
    state_->notificationHook(state_->notificationHookContext, notification, state);
  }
  SimHostState::Finish(plan, error, 0);
  return plan.hr;
}

HRESULT STDMETHODCALLTYPE SimFaceHostApi::ShowMessage(const char* text, int32_t type,
                                                      int32_t* result) {
  SimCallPlan plan = state_->Plan(kHostApiIndex, 20);
  if (!plan.work) return plan.hr;
  std::optional<std::string> shown;
  if (text != nullptr) shown = text;
  state_->messages.push_back({shown, type});
  if (result != nullptr) *result = state_->messageResult;
  return plan.hr;
}

HRESULT STDMETHODCALLTYPE SimFaceHostApi::ConsoleWrite(const char* text, int32_t* error) {
  SimCallPlan plan = state_->Plan(kHostApiIndex, 24);
  if (!plan.work) return SimHostState::Refuse(plan, error);
  state_->console.push_back(text != nullptr ? text : "");
  SimHostState::Finish(plan, error, 0);
  return plan.hr;
}

HRESULT STDMETHODCALLTYPE SimFaceHostApi::GetIntProp(ObjectId document, ObjectId object,
                                                     const PropertyIdent* ident, int32_t* error,
                                                     int32_t* value) {
  SimCallPlan plan = state_->Plan(kHostApiIndex, 85);
  if (!plan.work) return SimHostState::Refuse(plan, error);
  int32_t code = 0;
  if (const SimObject* o = state_->Find(document, object, ident, code)) {
    auto it = o->ints.find(ident->num);
    if (it == o->ints.end()) {
      code = kSimNoSuchProperty;
    } else if (value != nullptr) {
      *value = it->second;
    }
  }
  SimHostState::Finish(plan, error, code);
  return plan.hr;
}

HRESULT STDMETHODCALLTYPE SimFaceHostApi::GetIdProp(ObjectId document, ObjectId object,
                                                    const PropertyIdent* ident, int32_t* error,
                                                    ObjectId* value) {
  SimCallPlan plan = state_->Plan(kHostApiIndex, 89);
  if (!plan.work) return SimHostState::Refuse(plan, error);
  int32_t code = 0;
  if (const SimObject* o = state_->Find(document, object, ident, code)) {
    auto it = o->ids.find(ident->num);
    if (it == o->ids.end()) {
      code = kSimNoSuchProperty;
    } else if (value != nullptr) {
      *value = it->second;
    }
  }
  SimHostState::Finish(plan, error, code);
  return plan.hr;
}

HRESULT STDMETHODCALLTYPE SimFaceHostApi::GetStringProp(ObjectId document, ObjectId object,
                                                        const PropertyIdent* ident, int32_t* error,
                                                        char** value) {
  SimCallPlan plan = state_->Plan(kHostApiIndex, 97);
  if (!plan.work) return SimHostState::Refuse(plan, error);
  int32_t code = 0;
  if (const SimObject* o = state_->Find(document, object, ident, code)) {
    auto it = o->strings.find(ident->num);
    if (it == o->strings.end()) {
      code = kSimNoSuchProperty;
    } else if (value != nullptr) {
      *value =
          it->second ? state_->blocks.CopyString(it->second->c_str(), state_->shared) : nullptr;
      if (it->second && *value == nullptr) return E_OUTOFMEMORY;
    }
  }
  SimHostState::Finish(plan, error, code);
  return plan.hr;
}

HRESULT STDMETHODCALLTYPE SimFaceHostMemoryPolicy::QuerySharedMemory(int32_t query) {
  SimCallPlan plan = state_->Plan(kHostMemoryPolicyIndex, 3);
  if (!plan.work) return plan.hr;
  ++state_->sharedQueries;
  return query == 1 && state_->shared ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE SimFaceHostModuleLink::SetClientModule(HMODULE module) {
  SimCallPlan plan = state_->Plan(kHostModuleLinkIndex, 3);
  if (!plan.work) return plan.hr;
  state_->moduleSet = true;
  state_->module = module;
  return plan.hr;
}
