// The plug-in's host calls, one slot each.
#include "bridge/host_calls.h"

#include "bridge/host_call.h"

int32_t HostRequestNotification(int32_t notification, int32_t state) {
  return HostStatusCall<HostApi>(&HostApi::SetNotification, notification, state);
}

int HostConsoleWrite(const char* text) {
  return HostStatusCall<HostApi>(&HostApi::ConsoleWrite, text);
}

int32_t HostShowMessage(const char* text, int32_t type) {
  return HostValueNoCodeCall<int32_t>(0, &HostApi::ShowMessage, text, type);
}

int32_t HostGetIntByIdent(ObjectId document, ObjectId object, const PropertyIdent* ident) {
  return HostValueCall<int32_t>(0, &HostApi::GetIntProp, document, object, ident);
}

ObjectId HostGetIdByIdent(ObjectId document, ObjectId object, const PropertyIdent* ident) {
  return HostValueCall<ObjectId>(0, &HostApi::GetIdProp, document, object, ident);
}

char* HostGetStringByIdent(ObjectId document, ObjectId object, const PropertyIdent* ident) {
  return HostStringCall<HostApi>(&HostApi::GetStringProp, document, object, ident);
}

int32_t HostGetInt(ObjectId document, ObjectId object, int32_t number) {
  const PropertyIdent ident = {number, nullptr};
  return HostGetIntByIdent(document, object, &ident);
}

ObjectId HostGetId(ObjectId document, ObjectId object, int32_t number) {
  const PropertyIdent ident = {number, nullptr};
  return HostGetIdByIdent(document, object, &ident);
}

char* HostGetString(ObjectId document, ObjectId object, int32_t number) {
  const PropertyIdent ident = {number, nullptr};
  return HostGetStringByIdent(document, object, &ident);
}
