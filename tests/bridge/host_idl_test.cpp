// The interface definition written for the proxy/stub compiler and the interfaces the library
// declares agree: the same interfaces in the same order with their identifiers, the same methods
// in slot order, each with as many parameters as the declaration, so that a proxy built from the
// definition calls the host's and the sink's vtables as the library lays them out.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bridge/host_interfaces.h"
#include "bridge/sink_interfaces.h"

namespace {

struct IdlMethod {
  std::string name;
  int parameters;
};

struct IdlInterface {
  std::string name;
  std::string uuid;
  std::vector<IdlMethod> methods;
};

// Parameters of a declaration "HRESULT M(a, b)": top-level commas (attributes' lists are
// bracketed).
int CountParameters(const std::string& list) {
  if (list.find_first_not_of(' ') == std::string::npos) return 0;
  int depth = 0, count = 1;
  for (char c : list) {
    if (c == '(' || c == '[') ++depth;
    if (c == ')' || c == ']') --depth;
    if (c == ',' && depth == 0) ++count;
  }
  return count;
}

// The interfaces of the definition, as its writer lays them out: an attribute line with the uuid,
// "interface Name : IUnknown", then one "  HRESULT Method(...);" line per method.
std::vector<IdlInterface> ReadIdl(const char* path, std::string& error) {
  std::vector<IdlInterface> interfaces;
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    error = std::string("cannot open ") + path;
    return interfaces;
  }
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  std::string uuid;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.rfind("[object, uuid(", 0) == 0) {
      uuid = line.substr(14, 36);
    } else if (line.rfind("interface ", 0) == 0) {
      const size_t colon = line.find(" : ");
      interfaces.push_back({line.substr(10, colon - 10), uuid, {}});
      uuid.clear();
    } else if (line.rfind("  HRESULT ", 0) == 0 && !interfaces.empty()) {
      const size_t open = line.find('(');
      const size_t close = line.rfind(')');
      interfaces.back().methods.push_back(
          {line.substr(10, open - 10), CountParameters(line.substr(open + 1, close - open - 1))});
    }
  }
  return interfaces;
}

template <typename Class, typename... Args>
constexpr int Arity(HRESULT (STDMETHODCALLTYPE Class::*)(Args...)) {
  return sizeof...(Args);
}

struct DeclaredSlot {
  const char* interface;
  int slot;
  const char* method;
  int parameters;
};

const DeclaredSlot kDeclared[] = {
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params) \
  {#Interface, slot, #Method, Arity(&Interface::Method)},
#include "bridge/host_slots.inc"
#define SINK_SLOT(Interface, slot, Method, Params) \
  {#Interface, slot, #Method, Arity(&Interface::Method)},
#include "bridge/sink_slots.inc"
};

// The host's interfaces, in the client's table order, with their identifiers and the last slot
// each offers; then the client's sink interfaces.
struct Expected {
  const char* name;
  const char* uuid;
  int lastSlot;
};
const Expected kExpected[] = {
    {"HostApiExt1", "9EB9EBDE-EF45-4FAA-BA83-80C37E746DD7", 20},
    {"HostApiExt2", "F9EDAC1F-75C2-4544-A65E-36E3C5A4DBA1", 20},
    {"HostApiExt3", "755FF112-0DD6-4947-BDCC-D322283139A7", 16},
    {"HostApi", "CA913130-7B0A-11D0-985E-0060970BEC0B", 164},
    {"HostApiExt4", "5B0455F0-0DB8-11D1-986D-0060970BEC0B", 14},
    {"HostApiExt5", "EA34B890-2289-11D3-BC05-00805FD98389", 3},
    {"HostApiExt6", "895D2502-96ED-43E1-A88B-4578A1AAA2B5", 7},
    {"HostApiExt7", "F8A1A179-B5C9-4AF8-8E1A-DA71430EDBA1", 5},
    {"HostApiExt8", "02AC84A3-499F-4128-9362-0E38BB1620C9", 4},
    {"HostApiExt9", "B2159D69-A7F0-4978-84A3-C2CA5498F9FE", 13},
    {"HostApiExt10", "A76BE1F8-B073-4F2D-9553-98543854E0FB", 47},
    {"HostApiExt11", "9D1E44A4-9CCC-4AB5-B555-6FFAE778342C", 48},
    {"HostApiExt12", "EC7B1498-ED2D-4278-AE91-07481BCBBFD0", 17},
    {"HostApiExt13", "B550535A-BAA1-4274-9D2C-41B60F1835B8", 3},
    {"HostApiExt14", "00F4DCB5-4CAE-4ACC-8A3D-5D276E9028BB", 53},
    {"HostMemoryPolicy", "04C8B860-BC3B-11D0-8E04-444553540000", 4},
    {"HostModuleLink", "F5AE87C2-3FF6-11D1-9457-00805F292B02", 7},
    {"HostAuxiliary", "E1E9B610-97D0-11D3-BC10-00805FD98389", 3},
    {"IHostCMSNotifications0", "7AA0C49A-1141-44EF-A784-155593F95025", 3},
    {"IHostNotifications0", "EB813990-B81C-11D0-985E-0060970BEC0B", 9},
    {"IHostNotifications1", "A4B8972D-5B3A-4B57-93C5-3EB3D62A4F1D", 3},
};

TEST(HostIdlTest, InterfacesIdentifiersAndMethodsAgreeWithTheDeclarations) {
  std::string error;
  const std::vector<IdlInterface> idl = ReadIdl(TANSEL_HOST_IDL_PATH, error);
  ASSERT_EQ(error, "");
  ASSERT_EQ(idl.size(), std::size(kExpected));
  size_t declared = 0;
  for (size_t i = 0; i < idl.size(); ++i) {
    const Expected& expected = kExpected[i];
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(idl[i].name, expected.name);
    EXPECT_EQ(idl[i].uuid, expected.uuid);
    // Every slot from 3 up is a method, in slot order.
    ASSERT_EQ(idl[i].methods.size(), static_cast<size_t>(expected.lastSlot - 2));
    for (size_t m = 0; m < idl[i].methods.size(); ++m, ++declared) {
      ASSERT_LT(declared, std::size(kDeclared));
      const DeclaredSlot& d = kDeclared[declared];
      SCOPED_TRACE(std::string(d.interface) + " slot " + std::to_string(d.slot));
      EXPECT_EQ(d.interface, idl[i].name);
      EXPECT_EQ(d.slot, static_cast<int>(m) + 3);
      EXPECT_EQ(idl[i].methods[m].name, d.method);
      EXPECT_EQ(idl[i].methods[m].parameters, d.parameters);
    }
  }
  EXPECT_EQ(declared, std::size(kDeclared));
}

}  // namespace
