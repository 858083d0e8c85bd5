// The client's description for the host, read from the library's version resource: the string
// values of the US-English Unicode table ("\StringFileInfo\040904b0\") under property numbers.
//
//   2 ClientName   3 ClientType     4 FileDescription  5 ClientProducts  6 ClientFacet
//   7 ClientFormatId  8 ClientVendor  9 ClientSuffix  10 ClientInFormat  11 ClientOutFormat
#pragma once

#include <cstdint>

#include "bridge/host_types.h"
#include "platform/win_module.h"
#include "props/property_list.h"

// Reads module's version resource into description (keys that are missing leave their numbers
// out): 1 when the resource was read, 0 otherwise.
int ReadClientDescription(HMODULE module, ClientDescription& description);
// Stores the string of key from versionBlock under number (replacing an entry with that number):
// 1 when the key was found, else 0.
int ReadVersionString(const void* versionBlock, ClientDescription& description, int32_t number,
                      const char* key);

// The description that start-up builds when the host passed none; empty until read.
class LocalClientDescription {
 public:
  LocalClientDescription() = default;
  ~LocalClientDescription() { Free(); }
  LocalClientDescription(const LocalClientDescription&) = delete;
  LocalClientDescription& operator=(const LocalClientDescription&) = delete;

  ClientDescription& list() { return list_; }  // the list itself
  // Frees every entry; the list is empty afterwards.
  void Free();

 private:
  PropertyValueList list_ = {};
};
