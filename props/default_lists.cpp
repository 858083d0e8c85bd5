// The default option lists, written as tables of entries, and the convenience calls over them.
#include "props/default_lists.h"

#include "bridge/host_errno.h"
#include "bridge/host_wrappers.h"
#include "channel/channel_format.h"
#include "encoding/convert.h"
#include "encoding/dialog_encoding.h"
#include "props/string_copy.h"
#include "strings/memory.h"

PropertyValueList (*PropDefaultsAllocate)(uint32_t n) = PropListAlloc;

namespace {

enum class Kind : uint8_t { kInt, kFixed, kNullString, kString, kEmptyStrings, kZero16 };

struct Entry {
  int32_t num;
  Kind kind;
  int32_t value;     // kInt
  double fixed;      // kFixed
  const char* text;  // kString
};

constexpr Entry I(int32_t num, int32_t value) {
  return {num, Kind::kInt, value, 0, nullptr};
}
constexpr Entry F(int32_t num, double value) {
  return {num, Kind::kFixed, 0, value, nullptr};
}
constexpr Entry N(int32_t num) {  // a null string
  return {num, Kind::kNullString, 0, 0, nullptr};
}
constexpr Entry S(int32_t num, const char* text) {
  return {num, Kind::kString, 0, 0, text};
}
constexpr Entry L(int32_t num) {  // an empty string list
  return {num, Kind::kEmptyStrings, 0, 0, nullptr};
}
constexpr Entry Z(int32_t num) {  // 16 zero bytes in place
  return {num, Kind::kZero16, 0, 0, nullptr};
}

constexpr char kCountMessage[] = "Error: Default params list has an incorrect number of items.\n";

void Fill(PropertyValue& entry, const Entry& from) {
  entry.ident = {from.num, nullptr};
  TypedValue& v = entry.value;
  v.valType = PropInt;
  switch (from.kind) {
    case Kind::kInt:
      v.payload.intValue = from.value;
      break;
    case Kind::kFixed:
      v.valType = PropFixed;
      v.payload.fixedValue = FixedFromDouble(from.fixed);
      break;
    case Kind::kNullString:
      v.valType = PropString;
      v.payload.string = nullptr;
      break;
    case Kind::kString:
      v.valType = PropString;
      v.payload.string = PropStringCopy(from.text);
      break;
    case Kind::kEmptyStrings:
      v.valType = PropStrings;
      v.payload.strings = {0, nullptr};
      break;
    case Kind::kZero16:
      v.valType = PropInline16;
      v.payload = {};
      break;
  }
}

// Allocates declared entries and fills them from entries in order, never past the list's end.
// With checked, a list whose count differs from the table's entries is a broken invariant: the
// message goes to the console, the list is released and the fatal error raised.
template <size_t n>
PropertyValueList Build(uint32_t declared, const Entry (&entries)[n], bool checked) {
  PropertyValueList list = PropDefaultsAllocate(declared);
  if (list.count == 0 || list.items == nullptr) {
    PropListFree(&list);  // an empty list may still hold a block
    return PropertyValueList{0, nullptr};
  }
  uint32_t filled = 0;
  for (; filled < n && filled < list.count; ++filled) Fill(list.items[filled], entries[filled]);
  if (checked && n != list.count) {
    ChanPrintf(nullptr, "%s", kCountMessage);
    PropListFree(&list);
    MemRaiseFatal();
  }
  return list;
}

constexpr Entry k48[] = {I(1, 0),   I(2, 0),   I(4, 5),   I(5, 0),     N(6),     I(7, 0),  I(8, 0),
                         I(9, 0),   I(10, 0),  I(11, 0),  I(12, 0),    I(33, 0), I(43, 0), I(17, 0),
                         I(13, 1),  I(15, 72), I(14, 1),  I(16, 12),   I(18, 1), I(32, 1), I(37, 1),
                         I(19, 1),  N(20),     I(21, 10), I(22, 1),    I(23, 1), I(24, 1), N(25),
                         I(26, 1),  I(27, 0),  N(29),     I(30, 1),    I(28, 1), I(31, 1), N(34),
                         I(3, 0),   N(35),     I(36, 0),  F(38, 72.0), F(39, 0), F(40, 0), I(41, 0),
                         I(45, -1), N(50),     I(51, 0),  I(52, 0),    I(47, 0), N(53)};

constexpr Entry k6[] = {N(1), N(2), N(3), N(4), N(5), I(6, 1)};

constexpr Entry k12[] = {I(1, 1), I(2, 1), I(3, 0), I(4, 1),  I(5, 1),  I(6, 1),
                         I(7, 1), I(8, 1), I(9, 0), I(10, 0), I(11, 0), I(12, 1)};

constexpr Entry k54[] = {
    I(1, 0),   I(5, 1),   I(7, 0),  I(8, 0),  I(33, 0),  I(43, 0), I(9, 0),  I(10, 0),  I(11, 0),
    I(13, 0),  I(2, 0),   I(14, 0), I(15, 0), I(16, 12), I(17, 5), I(18, 0), I(19, 0),  I(20, 0),
    I(21, 5),  I(22, 0),  I(23, 0), I(28, 0), I(24, 0),  I(25, 0), I(32, 0), I(26, 1),  I(27, 0),
    I(29, 0),  I(6, 0),   I(30, 0), I(42, 0), I(4, 0),   I(3, 0),  I(12, 0), N(31),     I(36, 12),
    I(35, 12), I(52, 12), N(34),    I(37, 0), N(38),     N(39),    I(40, 0), I(41, 0),  I(44, 0),
    I(45, 0),  I(46, 0),  I(47, 0), I(48, 0), I(49, 0),  I(50, 0), I(51, 0), I(53, -1), I(54, 0)};

constexpr Entry k17[] = {I(1, 0),   I(2, 0),  I(3, 0), I(4, 1),  Z(6),     I(5, 8),
                         I(7, 0),   I(8, 0),  I(9, 0), I(10, 0), I(11, 1), I(13, 0666),
                         I(15, 72), I(12, 1), N(14),   N(16),    I(17, 60)};

constexpr Entry k87[] = {
    I(1, 0),   I(4, 1),     I(5, 2),   I(6, 2),   I(7, 0),   I(8, 0),   I(10, 0),  I(9, 0),
    I(11, 1),  I(13, 0666), I(2, 0),   I(12, 0),  I(3, 0),   I(14, 0),  N(16),     N(18),
    I(17, 0),  I(20, 0),    I(19, 0),  I(21, 0),  I(44, 0),  N(22),     N(23),     I(24, 4),
    I(27, 12), I(25, 12),   I(26, 12), I(28, 12), I(29, 4),  N(30),     I(31, 3),  I(32, 3),
    N(33),     I(34, -1),   I(62, -1), I(35, -1), I(36, -1), I(37, -1), F(38, 0),  F(39, 0),
    F(40, 0),  F(41, 0),    F(42, 0),  F(43, 0),  I(61, -1), N(45),     N(46),     L(47),
    I(48, -1), L(49),       I(50, 0),  I(51, -1), I(52, -1), N(53),     N(54),     I(55, -1),
    I(56, -1), I(57, -1),   I(58, -1), I(59, -1), I(60, -1), F(63, 0),  F(64, 0),  N(65),
    N(66),     N(67),       N(68),     N(69),     N(70),     N(71),     N(72),     N(73),
    N(74),     N(75),       I(76, 12), I(77, 12), I(78, 12), I(79, 12), I(80, 12), I(81, 12),
    I(82, 12), I(83, 2),    N(84),     I(85, -1), N(86),     N(87),     N(88)};

constexpr Entry k14[] = {I(1, 1), I(2, 0), I(3, 1),  I(6, 1),  I(4, 0),  I(5, 1),  I(7, 1),
                         I(8, 1), I(9, 1), I(10, 1), I(11, 1), I(12, 0), I(13, 0), I(14, 1)};

constexpr Entry kDictionary[] = {
    I(1005, 1),      I(1000, 6137), S(1001, "!,.:;?"),         S(1002, "!%),.:;?]}"),
    S(1003, "$([{"), S(1004, "."),  S(1006, "resultfile.dct"), I(1007, 1)};

constexpr Entry kNamedCall[] = {I(1, 1),  I(2, 1),  I(14, 4), I(15, 4), I(16, 4), I(17, 4),
                                I(18, 4), I(19, 4), I(20, 4), I(21, 4), I(22, 4), I(23, 4),
                                I(28, 4), I(24, 4), I(25, 4), I(4, 1),  I(44, 0), I(29, 1)};

constexpr Entry kObjectCall[] = {I(4, 1), I(5, 0), I(8, 1), I(2, 1)};

constexpr Entry k29[] = {I(29, 1)};

// The name as the host reads it: UTF-8, converted into a block of its own unless the dialog
// encoding is UTF-8 already.
class HostNameText {
 public:
  explicit HostNameText(const char* name) {
    if (CurrentDialogEncoding == kDialogUtf8) {
      text_ = name;
    } else {
      converted_ = EncCurrentToUtf8(name);
      text_ = converted_;
    }
  }
  ~HostNameText() { MemFree(converted_); }
  HostNameText(const HostNameText&) = delete;
  HostNameText& operator=(const HostNameText&) = delete;
  const char* get() const { return text_; }

 private:
  const char* text_ = nullptr;
  char* converted_ = nullptr;
};

// Runs call(options, &result) and releases the option list and the result list the call left.
// A list that was needed and could not be built makes no call: HostErrno = ErrNoDefaultList, 0.
template <typename Call>
int32_t CallWithOptions(PropertyValueList options, bool needed, Call call) {
  if (needed && options.count == 0) {
    HostErrno = ErrNoDefaultList;
    return 0;
  }
  PropertyValueList* result = nullptr;
  const int32_t status = call(&options, &result);
  PropListFree(&options);
  if (result != nullptr) PropListFree(result);
  return status;
}

}  // namespace

PropertyValueList PropDefaults48() {
  return Build(48, k48, true);
}
PropertyValueList PropDefaults6() {
  return Build(6, k6, true);
}
PropertyValueList PropDefaults12() {
  return Build(12, k12, true);
}
PropertyValueList PropDefaults54() {
  return Build(54, k54, true);
}
PropertyValueList PropDefaults17() {
  return Build(17, k17, true);
}
PropertyValueList PropDefaults87() {
  return Build(87, k87, true);
}
PropertyValueList PropDefaults14() {
  return Build(14, k14, true);
}
PropertyValueList PropDefaultsDictionary() {
  return Build(8, kDictionary, false);
}
PropertyValueList PropDefaults29() {
  return Build(1, k29, false);
}
PropertyValueList PropDefaultsNamedCall(int32_t flag) {
  return Build(flag != 0 ? 18 : 17, kNamedCall, false);
}
PropertyValueList PropDefaultsObjectCall() {
  return Build(4, kObjectCall, false);
}

int32_t PropCallNamedWithDefaults(const char* name, int32_t useDefaults) {
  const PropertyValueList options =
      useDefaults != 0 ? PropDefaultsNamedCall(0) : PropertyValueList{0, nullptr};
  return CallWithOptions(options, useDefaults != 0, [&](auto* list, auto** result) {
    return HostNamedListCall(HostNameText(name).get(), list, result);
  });
}

int32_t PropCallNamedWith29(const char* name, int32_t useDefaults) {
  const PropertyValueList options = useDefaults != 0 ? PropDefaultsNamedCall(1) : PropDefaults29();
  return CallWithOptions(options, true, [&](auto* list, auto** result) {
    return HostNamedListCall(name, list, result);  // the name as it stands
  });
}

int32_t PropCallObjectWithDefaults(ObjectId object, const char* name, int32_t useDefaults) {
  const PropertyValueList options =
      useDefaults != 0 ? PropDefaultsObjectCall() : PropertyValueList{0, nullptr};
  return CallWithOptions(options, useDefaults != 0, [&](auto* list, auto** result) {
    return HostObjectListCall(object, HostNameText(name).get(), list, result);
  });
}
