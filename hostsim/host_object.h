// The simulated host: a host object that a client connects to with F_ApiClientInit, holding
// documents and markers, capturing what the client shows, and calling the client back.
//
// It answers QueryInterface for every host interface (any can be withdrawn), counts the references
// it hands out per interface, answers the calls of a plug-in's road from its documents, and
// a sample value of the slot's shape from every other slot. Tests can make a slot answer busy,
// fail, or succeed without writing its error code; memory it returns comes from CoTaskMemAlloc and
// is tracked.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bridge/host_interfaces.h"
#include "bridge/sink_interfaces.h"
#include "hostsim/document_file.h"
#include "hostsim/task_blocks.h"

// How a slot answers instead of doing its work.
enum class SimFault {
  kNone,           // normally
  kBusy,           // RPC_E_SERVERCALL_RETRYLATER, nothing written
  kFail,           // E_FAIL, nothing written
  kNoCode,         // S_OK after doing its work, without writing the error code
  kCode,           // S_OK after doing its work, writing the given error code
  kFailAfterZero,  // E_FAIL after writing 0 as the error code, and nothing else
  kGone,           // RPC_E_DISCONNECTED, nothing written: the host's process has ended
};

// The host's own error codes for a bad request.
inline constexpr int32_t kSimNoSuchObject = 17;    // the object (or document) does not exist
inline constexpr int32_t kSimNoSuchProperty = 18;  // the object has no such property

struct SimShownMessage {
  std::optional<std::string> text;  // nullopt: the client passed null
  int32_t type;                     // message type
};

// One entry of the description the client registered with, as it was at registration.
struct SimDescriptionEntry {
  int32_t number;                    // the property number
  std::optional<std::string> value;  // its string; nullopt for a null or non-string value
};

struct SimRequestedNotification {
  int32_t notification;  // number
  int32_t state;         // 1 on, 0 off
};

struct SimHostState;

class SimHost {
 public:
  SimHost();
  ~SimHost();  // lets the sink go if still held, then reclaims its memory
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  // The host object's IUnknown, as the client receives it; the SimHost keeps owning it.
  IUnknown* Object();

  // ---- Interfaces and references ----
  // Offers or withdraws the interface at index (HostInterfaceIndex); all are offered at first.
  void Offer(int index, bool offered);
  // Offers only the interfaces listed.
  void OfferOnly(const std::vector<int>& indexes);
  // References handed out on the interface at index (or, at kHostInterfaceCount, on the object's
  // IUnknown) and not yet released.
  int32_t Outstanding(int index) const;
  // References handed out on every face and not yet released.
  int32_t OutstandingTotal() const;
  // Releases beyond what was handed out, on any face (a client fault).
  int32_t OverReleases() const;
  // How often the slot of the interface at index was called.
  int32_t Calls(int index, int slot) const;
  // The last slot called, as {index, slot}; {-1, -1} before any.
  std::pair<int, int> LastCall() const;
  // The slots, as {index, slot}, called from a thread other than the one that made the host.
  const std::vector<std::pair<int, int>>& ForeignThreadCalls() const;

  // ---- Behaviour ----
  // Makes the slot of the interface at index answer with fault (code for SimFault::kCode).
  void SetFault(int index, int slot, SimFault fault, int32_t code = 0);
  // Makes every slot of every interface answer with fault.
  void SetFaultEverywhere(SimFault fault);
  void ClearFaults();
  // QuerySharedMemory answers S_OK (shared: the client must not free what the host returns) or
  // S_FALSE (the default).
  void SetSharedMemory(bool shared);
  // The result ShowMessage writes (1 by default).
  void SetMessageResult(int32_t result);

  // ---- Documents ----
  // Object 0 read with document 0 is the host application itself: its properties are set with
  // the setters below on object 0 (e.g. string 89, the directory that holds "icu_data").
  // A new document with property 110 = search and no markers (116 = 0); returns its id.
  ObjectId AddDocument(int32_t search = 1);
  // Appends a marker to the document's chain (116 or the last marker's 1051 points to it, its
  // 1051 is 0) with type (20) and text (1050); returns its id.
  ObjectId AddMarker(ObjectId document, std::optional<std::string> type,
                     std::optional<std::string> text);
  // Adds the documents of a document file, with their ids, properties and marker chains.
  void AddDocuments(const std::vector<SimDocument>& documents);
  void SetInt(ObjectId object, int32_t number, int32_t value);
  void SetId(ObjectId object, int32_t number, ObjectId value);
  void SetString(ObjectId object, int32_t number, std::optional<std::string> value);
  void RemoveProperty(ObjectId object, int32_t number);

  // ---- What the client did ----
  const std::vector<SimShownMessage>& Messages() const;
  const std::vector<std::string>& Console() const;
  const std::vector<SimRequestedNotification>& RequestedNotifications() const;
  // The state of the notification as last requested; 0 when never requested.
  int32_t NotificationState(int32_t notification) const;
  int32_t Registrations() const;                           // RegisterClient calls
  int32_t RegisteredVersion() const;                       // the version passed to RegisterClient
  const ClientDescription* RegisteredDescription() const;  // as passed (may be freed since)
  // The entries of the registered description, copied when it was registered.
  const std::vector<SimDescriptionEntry>& RegisteredDescriptionEntries() const;
  bool ClientModuleSet() const;         // SetClientModule was called
  HMODULE ClientModule() const;         // the module it passed
  int32_t SharedMemoryQueries() const;  // QuerySharedMemory calls

  // ---- Memory handed to the client ----
  // The host frees the blocks it handed out while its memory was shared itself; the others are the
  // client's to free.
  size_t BlocksHandedOut() const;
  size_t BlocksFreedByClient() const;   // given back with CoTaskMemFree
  size_t BlocksFreedWrongly() const;    // freed through the library's heap instead (and not since)
  bool BlockFreed(size_t index) const;  // given back; in hand-out order
  // What the client did wrong with the host's memory and the task allocator, in order; writes
  // into shared blocks are found by CheckSharedBlocks (after each call into the client).
  const std::vector<SimMemoryFault>& MemoryFaults() const;
  void CheckSharedBlocks();
  // Frees the blocks the client never gave back and forgets every block (the counts above start
  // again from 0): for after they were reported.
  void ReclaimBlocks();

  // ---- The client's sink ----
  bool HasSink() const;
  // References the client's sink object holds in total (its own count), 0 without a sink.
  int32_t SinkRefCount() const;
  HRESULT SendInitialize(int32_t code);
  HRESULT SendQuit();
  HRESULT SendCommand(int32_t command);
  HRESULT SendMessage(intptr_t value, int32_t first, int32_t second);
  HRESULT SendDialogEvent(int32_t first, int32_t second, int32_t third);
  HRESULT SendNotify(int32_t number, ObjectId object, const char* text, int32_t value);
  HRESULT SendGetResource(int32_t type, const char* name, HostResource* out);
  HRESULT SendHtmlDialogEventEx(int32_t code, void* first, void* second);
  HRESULT SendCmsCommand(int32_t command, void* data, int32_t count, void* extra,
                         CmsCommandResult* result);
  // Shut-down: the host releases its reference to the sink (the client's end follows).
  void ReleaseSink();
  // When on, the host releases the sink as soon as the client has released every interface.
  void ReleaseSinkWhenLetGo(bool on);
  // Runs hook(context, notification, state) inside every notification request the host takes,
  // before it answers (null: none): a host may call the client back from there.
  void OnNotificationRequest(void (*hook)(void* context, int32_t notification, int32_t state),
                             void* context);
  // Runs hook(context) inside every registration, once the client's sink is recorded and before
  // the host answers (null: none): a host may call the client back from there.
  void OnRegistration(void (*hook)(void* context), void* context);

 private:
  std::unique_ptr<SimHostState> state_;
};
