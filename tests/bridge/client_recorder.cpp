// Recording client callbacks for the bridge's tests.
#include "tests/bridge/client_recorder.h"

#include "bridge/notify_fields.h"

ClientRecorder g_recorder;

namespace {
RecordedCall Call(const char* name, int64_t a, int64_t b = 0, int64_t c = 0,
                  const void* p = nullptr, const void* q = nullptr) {
  RecordedCall call;
  call.name = name;
  call.a = a;
  call.b = b;
  call.c = c;
  call.p = p;
  call.q = q;
  return call;
}
}  // namespace

void ClientInitialize(int32_t code) {
  g_recorder.calls.push_back(Call("Initialize", code));
  if (g_recorder.onInitialize != nullptr) g_recorder.onInitialize();
}

void ClientCommand(int32_t command) {
  g_recorder.calls.push_back(Call("Command", command));
}

void ClientMessage(intptr_t value, int32_t first, int32_t second) {
  g_recorder.calls.push_back(Call("Message", value, first, second));
}

void ClientDialogEvent(int32_t first, int32_t second, int32_t third) {
  g_recorder.calls.push_back(Call("DialogEvent", first, second, third));
}

void ClientNotify(int32_t notification, ObjectId object, const char* text, int32_t value) {
  RecordedCall call = Call("Notify", notification, object, value, text);
  if (text != nullptr) call.text = text;
  if (notification == kNotifyFields) {
    const NotifyFieldRecord* record = NotifyFieldsOf(text);
    for (const char* field : record->fields) {
      call.fields.push_back(field ? std::optional<std::string>(field) : std::nullopt);
    }
    call.moreCount = record->count;
    for (uint32_t i = 0; i < record->count; ++i) call.fields.push_back(record->more[i]);
  }
  g_recorder.calls.push_back(call);
}

void ClientHtmlDialogEventEx(int32_t code, void* first, void* second) {
  g_recorder.calls.push_back(Call("HtmlDialogEventEx", code, 0, 0, first, second));
}

void ClientCmsCommand(int32_t command, void* data, int32_t count, void* extra,
                      CmsCommandResult* result) {
  const CmsCommandResult zero = {};
  if (result->value != zero.value || result->text != nullptr || result->count != 0 ||
      result->items != nullptr) {
    g_recorder.cmsSawZeroed = false;
  }
  g_recorder.calls.push_back(Call("CmsCommand", command, count, 0, data, extra));
  *result = g_recorder.cmsFill;
}
