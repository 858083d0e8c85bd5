// Writes the interface definition (IDL) of the host's interfaces and of the client's sink
// interfaces from the slot tables, for a proxy/stub compiler (widl, MIDL): usage
// write_host_idl OUTPUT.idl
//
// Every row of bridge/host_slots.inc and bridge/sink_slots.inc becomes one method, in slot order,
// with the interface's identifier. The records that cross a process are declared with what the
// marshaller needs to carry every value the in-process calls pass: strings as [string, unique],
// counted lists as [size_is(count)] arrays, type-coded payloads as unions switched on their code,
// pointers that may be null as [unique]. Memory laid out the same as the library's records, so the
// marshaller reads and writes the client's and the host's records as they are.
//
// Out-parameters that the caller presets (error codes, scalar values, fixed records) are
// [in, out], so that a host that leaves one unwritten leaves the caller's preset, as in process;
// out-parameters that receive host memory are [out] and arrive allocated with CoTaskMemAlloc.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Interface {
  const char* name;
  uint32_t l;
  uint16_t w1, w2;
  uint8_t b[8];
  bool sink;
};

struct Slot {
  const char* interface;
  int slot;
  const char* method;
  const char* shape;   // host slots: the wrapper shape; sink slots: null
  const char* type;    // the value type the shape carries
  const char* params;  // "(type, type)" for host slots, "(type name, ...)" for sink slots
};

const Interface kInterfaces[] = {
#define HOST_INTERFACE(Name, l, w1, w2, b0, b1, b2, b3, b4, b5, b6, b7) \
  {#Name, l, w1, w2, {b0, b1, b2, b3, b4, b5, b6, b7}, false},
#include "bridge/host_slots.inc"
#define SINK_INTERFACE(Name, l, w1, w2, b0, b1, b2, b3, b4, b5, b6, b7) \
  {#Name, l, w1, w2, {b0, b1, b2, b3, b4, b5, b6, b7}, true},
#include "bridge/sink_slots.inc"
};

const Slot kSlots[] = {
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params) \
  {#Interface, slot, #Method, #Shape, #Type, #Params},
#include "bridge/host_slots.inc"
#define SINK_SLOT(Interface, slot, Method, Params) \
  {#Interface, slot, #Method, nullptr, "", #Params},
#include "bridge/sink_slots.inc"
};

// The record types, in an order in which each is declared before it is used (ValueList is
// recursive through the typed payload and comes forward-declared).
const char kRecords[] = R"(
// A string the marshaller carries with its terminator; null crosses as null.
typedef [string, unique] char* HostString;

// A property's name is a string only when its number is 0; a numbered property's name is not
// read, and crosses as the bare value.
typedef [switch_type(int)] union IdentName {
  [case(0)] HostString name;
  [default] hyper unread;
} IdentName;

typedef struct PropertyIdent {
  int num;
  [switch_is(num)] IdentName name;
} PropertyIdent;

typedef struct ByteList {
  unsigned int count;
  [size_is(count)] byte* items;
} ByteList;

typedef struct IntList {
  unsigned int count;
  [size_is(count)] int* items;
} IntList;

typedef struct QwordList {
  unsigned int count;
  [size_is(count)] unsigned hyper* items;
} QwordList;

typedef struct Block16 {
  byte bytes[16];
} Block16;

typedef struct Block16List {
  unsigned int count;
  [size_is(count)] Block16* items;
} Block16List;

typedef struct Block24 {
  byte bytes[24];
} Block24;

typedef struct StringList {
  unsigned int count;
  [size_is(count)] HostString* items;
} StringList;

typedef struct TextEntry {
  unsigned int word0;
  unsigned int word1;
  HostString text;
  unsigned hyper tail;
} TextEntry;

typedef struct TextEntryList {
  unsigned int count;
  [size_is(count)] TextEntry* items;
} TextEntryList;

typedef struct CompoundEntry {
  HostString name;
  unsigned int word0;
  unsigned int word1;
  unsigned int word2;
  StringList list0;
  StringList list1;
  HostString text0;
  HostString text1;
} CompoundEntry;

typedef struct CompoundEntryList {
  unsigned int count;
  [size_is(count)] CompoundEntry* items;
} CompoundEntryList;

typedef struct NamedStrings {
  HostString name;
  StringList values;
  byte flag0;
  byte flag1;
} NamedStrings;

typedef struct NamedStringsList {
  unsigned int count;
  [size_is(count)] NamedStrings* items;
} NamedStringsList;

typedef struct NamedStringsPair {
  HostString name;
  StringList list0;
  StringList list1;
  byte flag0;
  byte flag1;
  byte flag2;
} NamedStringsPair;

typedef struct NamedStringsPairList {
  unsigned int count;
  [size_is(count)] NamedStringsPair* items;
} NamedStringsPairList;

typedef struct KeyedStrings {
  unsigned int key;
  StringList values;
} KeyedStrings;

typedef struct KeyedStringsList {
  unsigned int count;
  [size_is(count)] KeyedStrings* items;
} KeyedStringsList;

// The text of a tagged item is a string the receiver owns only when kind is 1; otherwise it is
// the host's and crosses as the bare value.
typedef [switch_type(unsigned int)] union TaggedText {
  [case(1)] HostString owned;
  [default] hyper hosts;
} TaggedText;

typedef struct TaggedItem {
  unsigned int value;
  unsigned int kind;
  [switch_is(kind)] TaggedText text;
} TaggedItem;

typedef struct TaggedItemList {
  unsigned int count;
  [size_is(count)] TaggedItem* items;
} TaggedItemList;

typedef [switch_type(int)] union CompactPayload {
  [case(3)] HostString text;
  [default] unsigned hyper bits;
} CompactPayload;

typedef struct CompactValue {
  unsigned hyper key;
  int valType;
  [switch_is(valType)] CompactPayload payload;
} CompactValue;

typedef struct CompactValueList {
  unsigned int count;
  [size_is(count)] CompactValue* items;
} CompactValueList;

struct ValueList;

// The 16 payload bytes of a typed value, read by its type code; codes whose payload owns nothing
// cross as the 16 bytes themselves.
typedef [switch_type(int)] union TypedPayload {
  [case(3)] HostString string;
  [case(5, 13, 15)] IntList words;
  [case(6)] StringList strings;
  [case(7, 12)] QwordList qwords;
  [case(8)] TextEntryList textEntries;
  [case(14)] ByteList bytes;
  [case(17)] CompoundEntryList compoundEntries;
  [case(18)] NamedStringsList namedStrings;
  [case(19)] Block24* block;
  [case(20)] struct ValueList* values;
  [case(21)] NamedStringsPairList namedStringsPairs;
  [case(22)] KeyedStringsList keyedStrings;
  [default] Block16 raw;
} TypedPayload;

typedef struct TypedValue {
  int valType;
  [switch_is(valType)] TypedPayload payload;
} TypedValue;

typedef struct ValueList {
  unsigned int count;
  [size_is(count)] TypedValue* items;
} ValueList;

typedef struct TextValuesEntry {
  unsigned hyper key;
  HostString text;
  unsigned hyper extra;
  ValueList* valueList;
} TextValuesEntry;

typedef struct TextValuesList {
  unsigned int count;
  [size_is(count)] TextValuesEntry* items;
} TextValuesList;

typedef struct PropertyValue {
  PropertyIdent ident;
  TypedValue value;
} PropertyValue;

typedef struct PropertyValueList {
  unsigned int count;
  [size_is(count)] PropertyValue* items;
} PropertyValueList;

typedef PropertyValueList ClientDescription;

typedef struct HostRecord24 {
  byte bytes[24];
} HostRecord24;

// A value and a pointer that means something only to the host: the pointer crosses as its value.
typedef struct HostValuePointer {
  int value;
  hyper pointer;
} HostValuePointer;

typedef struct HostKeyText {
  unsigned hyper key;
  HostString text;
} HostKeyText;

typedef struct HostKeyKeyText {
  unsigned hyper key;
  unsigned hyper extra;
  HostString text;
} HostKeyKeyText;

typedef struct HostThreeStrings {
  HostString first;
  HostString second;
  HostString third;
} HostThreeStrings;

typedef struct HostTextInts {
  HostString text;
  IntList values;
} HostTextInts;

typedef struct HostFiveStrings {
  HostString texts[5];
} HostFiveStrings;

typedef struct HostFiveStringsList {
  unsigned int count;
  [size_is(count)] HostFiveStrings** items;
} HostFiveStringsList;

typedef struct HostRecord32 {
  unsigned hyper key;
  HostString text0;
  unsigned hyper extra;
  HostString text1;
} HostRecord32;

typedef struct HostRecord32List {
  unsigned int count;
  [size_is(count)] HostRecord32** items;
} HostRecord32List;

typedef struct HostValueText {
  int value;
  HostString text;
} HostValueText;

typedef struct HostValueTextList {
  unsigned int count;
  [size_is(count)] HostValueText* items;
} HostValueTextList;

// What "GetResource" hands back: size bytes the host then owns.
typedef struct HostResource {
  unsigned int size;
  [size_is(size)] byte* data;
} HostResource;

// A value out-parameter that is itself a pointer crosses in a record of that one pointer, laid out
// as the pointer alone: widl describes a pointer to a pointer parameter one level short.
typedef struct HostStringOut {
  HostString text;
} HostStringOut;

typedef struct ValueListOut {
  ValueList* pointer;
} ValueListOut;

typedef struct HostRecord32Out {
  HostRecord32* pointer;
} HostRecord32Out;

typedef struct HostFiveStringsOut {
  HostFiveStrings* pointer;
} HostFiveStringsOut;

typedef struct CmsCommandResult {
  hyper value;
  HostString text;
  unsigned int count;
  [size_is(count)] int* items;
} CmsCommandResult;
)";

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "write_host_idl: %s\n", message.c_str());
  std::exit(1);
}

std::string Trim(std::string text) {
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// "(a, b c, d)" as its comma-separated items.
std::vector<std::string> SplitParams(const char* params) {
  std::string inner(params);
  if (inner.size() < 2 || inner.front() != '(' || inner.back() != ')') {
    Fail(std::string("a parameter list that is not parenthesised: ") + params);
  }
  inner = inner.substr(1, inner.size() - 2);
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= inner.size()) {
    const size_t comma = inner.find(',', start);
    const std::string item = Trim(inner.substr(start, comma - start));
    if (!item.empty()) items.push_back(item);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

bool IsStruct(const std::string& type) {
  static const char* const kStructs[] = {"PropertyIdent",
                                         "ByteList",
                                         "IntList",
                                         "QwordList",
                                         "Block16",
                                         "Block16List",
                                         "StringList",
                                         "TextEntryList",
                                         "CompoundEntry",
                                         "CompoundEntryList",
                                         "NamedStrings",
                                         "NamedStringsList",
                                         "NamedStringsPair",
                                         "NamedStringsPairList",
                                         "KeyedStrings",
                                         "KeyedStringsList",
                                         "TaggedItemList",
                                         "CompactValueList",
                                         "TypedValue",
                                         "ValueList",
                                         "TextValuesEntry",
                                         "TextValuesList",
                                         "PropertyValue",
                                         "PropertyValueList",
                                         "ClientDescription",
                                         "HostRecord24",
                                         "HostValuePointer",
                                         "HostKeyText",
                                         "HostKeyKeyText",
                                         "HostThreeStrings",
                                         "HostTextInts",
                                         "HostFiveStrings",
                                         "HostFiveStringsList",
                                         "HostRecord32",
                                         "HostRecord32List",
                                         "HostValueText",
                                         "HostValueTextList",
                                         "HostResource",
                                         "CmsCommandResult"};
  for (const char* name : kStructs) {
    if (type == name) return true;
  }
  return false;
}

// Records the host writes in place and that hold no pointer: they cross both ways.
bool IsFlatRecord(const std::string& type) {
  return type == "Block16" || type == "HostRecord24";
}

// The IDL spelling of a scalar C++ type, or "" when it is none.
std::string Scalar(const std::string& type) {
  if (type == "int32_t") return "int";
  if (type == "uint32_t" || type == "ObjectId") return "unsigned int";
  if (type == "uint64_t") return "unsigned hyper";
  // Values that mean something only in the process that passes them (a module handle, the host's
  // own pointers) cross as pointer-sized values.
  if (type == "intptr_t" || type == "HMODULE" || type == "void*") return "hyper";
  return "";
}

// One parameter going to the callee.
std::string InParam(const std::string& type, const std::string& name) {
  if (const std::string s = Scalar(type); !s.empty()) return "[in] " + s + " " + name;
  if (type == "const char*") return "[in] HostString " + name;
  if (type == "IUnknown*") return "[in, unique] IUnknown* " + name;
  const std::string constPrefix = "const ";
  if (type.rfind(constPrefix, 0) == 0 && type.back() == '*') {
    const std::string pointee =
        type.substr(constPrefix.size(), type.size() - constPrefix.size() - 1);
    if (IsStruct(pointee)) return "[in, unique] " + pointee + "* " + name;
  }
  if (type.back() == '*') {
    const std::string pointee = type.substr(0, type.size() - 1);
    if (pointee == "HostResource") return "[out] HostResource* " + name;
    if (pointee == "CmsCommandResult") return "[in, out] CmsCommandResult* " + name;
  }
  Fail("no marshalling for the parameter type " + type);
}

// The value out-parameter of a shape that carries type.
std::string OutParam(const std::string& type, const std::string& name) {
  if (const std::string s = Scalar(type); !s.empty()) return "[in, out] " + s + "* " + name;
  if (type == "char*") return "[out] HostStringOut* " + name;
  if (IsFlatRecord(type)) return "[in, out] " + type + "* " + name;
  if (IsStruct(type)) return "[out] " + type + "* " + name;
  if (type.back() == '*' && IsStruct(type.substr(0, type.size() - 1))) {
    return "[out] " + type.substr(0, type.size() - 1) + "Out* " + name;
  }
  Fail("no marshalling for the out type " + type);
}

std::string HostMethod(const Slot& s) {
  const std::string shape = s.shape;
  std::vector<std::string> params;
  int index = 0;
  for (const std::string& type : SplitParams(s.params)) {
    params.push_back(InParam(type, "a" + std::to_string(++index)));
  }
  const std::string type = s.type;
  const bool code = shape == "Status" || shape == "Set" || shape == "Truth" || shape == "Convert" ||
                    shape == "Optional" || shape == "Get" || shape == "ConvertResult" ||
                    shape == "Kept" || shape == "Two";
  const bool value = shape == "Value" || shape == "ValueOrMinus1" || shape == "Pair" ||
                     shape == "Get" || shape == "ConvertResult" || shape == "Kept" ||
                     shape == "Two";
  if (!code && !value && shape != "Startup" && shape != "Plain" && shape != "Policy") {
    Fail("unknown shape " + shape);
  }
  if (code) params.push_back("[in, out] int* error");
  if (value) params.push_back(OutParam(type, "value"));
  if (shape == "Two") params.push_back(OutParam(type, "second"));
  std::string out = std::string("  HRESULT ") + s.method + "(";
  for (size_t i = 0; i < params.size(); ++i) out += (i ? ", " : "") + params[i];
  return out + ");\n";
}

std::string SinkMethod(const Slot& s) {
  std::vector<std::string> params;
  for (const std::string& item : SplitParams(s.params)) {
    const size_t space = item.find_last_of(" *");
    if (space == std::string::npos)
      Fail(std::string("a sink parameter without a name: ") + s.params);
    params.push_back(InParam(Trim(item.substr(0, space + 1)), item.substr(space + 1)));
  }
  std::string out = std::string("  HRESULT ") + s.method + "(";
  for (size_t i = 0; i < params.size(); ++i) out += (i ? ", " : "") + params[i];
  return out + ");\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) Fail("usage: write_host_idl OUTPUT.idl");
  std::string idl =
      "// Generated from bridge/host_slots.inc and bridge/sink_slots.inc by write_host_idl: the\n"
      "// host's interfaces and the client's sink interfaces, for a proxy/stub compiler.\n"
      "import \"unknwn.idl\";\n"
      // rpcrt4 exports the proxies of IUnknown's own methods; not every set of Windows headers
      // declares them.
      "cpp_quote(\"HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, "
      "REFIID riid, void** ppvObject);\")\n"
      "cpp_quote(\"ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);\")\n"
      "cpp_quote(\"ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);\")\n";
  idl += kRecords;
  for (const Interface& i : kInterfaces) {
    char uuid[40];
    std::snprintf(uuid, sizeof uuid, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", i.l, i.w1,
                  i.w2, i.b[0], i.b[1], i.b[2], i.b[3], i.b[4], i.b[5], i.b[6], i.b[7]);
    idl += std::string("\n[object, uuid(") + uuid + "), pointer_default(unique)]\ninterface " +
           i.name + " : IUnknown\n{\n";
    int expected = 3;
    for (const Slot& s : kSlots) {
      if (std::strcmp(s.interface, i.name) != 0) continue;
      // The host's optional interfaces begin after slots that only the client's entry uses;
      // every slot of the table is a method, so a table that skips one is refused here.
      if (s.slot != expected) {
        Fail(std::string(i.name) + ": slot " + std::to_string(s.slot) + " where " +
             std::to_string(expected) + " was due");
      }
      ++expected;
      idl += i.sink ? SinkMethod(s) : HostMethod(s);
    }
    idl += "}\n";
  }
  FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) Fail(std::string("cannot write ") + argv[1]);
  const bool written = std::fwrite(idl.data(), 1, idl.size(), file) == idl.size();
  if (std::fclose(file) != 0 || !written) Fail(std::string("cannot write ") + argv[1]);
  return 0;
}
