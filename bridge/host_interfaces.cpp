// The interface table's identifiers and names, by index.
#include "bridge/host_interfaces.h"

namespace {

const IID* const kIids[kHostInterfaceCount] = {
#define HOST_INTERFACE(Name, ...) &IID_##Name,
#include "bridge/host_slots.inc"
};

const char* const kNames[kHostInterfaceCount] = {
#define HOST_INTERFACE(Name, ...) #Name,
#include "bridge/host_slots.inc"
};

}  // namespace

const IID& HostInterfaceIid(int index) {
  return *kIids[index];
}

const char* HostInterfaceName(int index) {
  return index >= 0 && index < kHostInterfaceCount ? kNames[index] : "";
}
