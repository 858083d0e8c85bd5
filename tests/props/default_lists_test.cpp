// The default option lists against their tables, written out again here in a compact form; the
// consistency check; and the convenience calls against a host that notes the options it gets.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/client_state.h"
#include "bridge/host_errno.h"
#include "encoding/dialog_encoding.h"
#include "props/default_lists.h"
#include "tests/support/fault_injection.h"

namespace {

// One entry as text: "num:value", the value an integer, F<number> for a fixed value, null for a
// null string, "text" for a string, [] for an empty string list, z16 for 16 zero bytes.
std::string Render(const PropertyValue& e) {
  std::string head = std::to_string(e.ident.num) + ":";
  if (e.ident.name != nullptr) return head + "named?";
  const TypedValue& v = e.value;
  switch (v.valType) {
    case PropInt:
      return head + std::to_string(v.payload.intValue);
    case PropFixed:
      return head + "F" + std::to_string(v.payload.fixedValue / 65536.0).substr(0, 4);
    case PropString:
      return head +
             (v.payload.string == nullptr ? "null" : "\"" + std::string(v.payload.string) + "\"");
    case PropStrings:
      return head +
             (v.payload.strings.count == 0 && v.payload.strings.items == nullptr ? "[]" : "list?");
    case PropInline16: {
      for (uint8_t b : v.payload.inline16) {
        if (b != 0) return head + "inline?";
      }
      return head + "z16";
    }
    default:
      return head + "type" + std::to_string(v.valType);
  }
}

std::vector<std::string> Rendered(const PropertyValueList& list) {
  std::vector<std::string> out;
  for (uint32_t i = 0; i < list.count; ++i) out.push_back(Render(list.items[i]));
  return out;
}

// Expands "a-b:v" into one token per number.
std::vector<std::string> Expand(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    const size_t colon = token.find(':');
    const std::string numbers = token.substr(0, colon);
    const std::string value = token.substr(colon);
    const size_t dash = numbers.find('-');
    const int first = std::stoi(numbers.substr(0, dash));
    const int last = dash == std::string::npos ? first : std::stoi(numbers.substr(dash + 1));
    for (int n = first; n <= last; ++n) out.push_back(std::to_string(n) + value);
  }
  return out;
}

const struct BuilderRow {
  int line;
  const char* name;
  std::function<PropertyValueList()> build;
  size_t count;
  const char* entries;
} kBuilders[] = {
    {__LINE__, "Dictionary", PropDefaultsDictionary, 8,
     "1005:1 1000:6137 1001:\"!,.:;?\" 1002:\"!%),.:;?]}\" 1003:\"$([{\" 1004:\".\" "
     "1006:\"resultfile.dct\" 1007:1"},
    {__LINE__, "NamedCall(0)", [] { return PropDefaultsNamedCall(0); }, 17,
     "1:1 2:1 14-23:4 28:4 24:4 25:4 4:1 44:0"},
    {__LINE__, "NamedCall(1)", [] { return PropDefaultsNamedCall(1); }, 18,
     "1:1 2:1 14-23:4 28:4 24:4 25:4 4:1 44:0 29:1"},
    {__LINE__, "ObjectCall", PropDefaultsObjectCall, 4, "4:1 5:0 8:1 2:1"},
    {__LINE__, "29", PropDefaults29, 1, "29:1"},
    {__LINE__, "6", PropDefaults6, 6, "1-5:null 6:1"},
    {__LINE__, "12", PropDefaults12, 12, "1-2:1 3:0 4-8:1 9-11:0 12:1"},
    {__LINE__, "14", PropDefaults14, 14, "1:1 2:0 3:1 6:1 4:0 5:1 7-11:1 12-13:0 14:1"},
    {__LINE__, "17", PropDefaults17, 17,
     "1-3:0 4:1 6:z16 5:8 7-10:0 11:1 13:438 15:72 12:1 14:null 16:null 17:60"},
    {__LINE__, "48", PropDefaults48, 48,
     "1-2:0 4:5 5:0 6:null 7-12:0 33:0 43:0 17:0 13:1 15:72 14:1 16:12 18:1 32:1 37:1 19:1 "
     "20:null 21:10 22-24:1 25:null 26:1 27:0 29:null 30:1 28:1 31:1 34:null 3:0 35:null 36:0 "
     "38:F72.0 39-40:F0.00 41:0 45:-1 50:null 51-52:0 47:0 53:null"},
    {__LINE__, "54", PropDefaults54, 54,
     "1:0 5:1 7-8:0 33:0 43:0 9-11:0 13:0 2:0 14-15:0 16:12 17:5 18-20:0 21:5 22-23:0 28:0 "
     "24-25:0 32:0 26:1 27:0 29:0 6:0 30:0 42:0 4:0 3:0 12:0 31:null 36:12 35:12 52:12 34:null "
     "37:0 38-39:null 40-41:0 44-51:0 53:-1 54:0"},
    {__LINE__, "87", PropDefaults87, 87,
     "1:0 4:1 5-6:2 7-8:0 10:0 9:0 11:1 13:438 2:0 12:0 3:0 14:0 16:null 18:null 17:0 20:0 19:0 "
     "21:0 44:0 22-23:null 24:4 27:12 25-26:12 28:12 29:4 30:null 31-32:3 33:null 34:-1 62:-1 "
     "35-37:-1 38-43:F0.00 61:-1 45-46:null 47:[] 48:-1 49:[] 50:0 51-52:-1 53-54:null "
     "55-60:-1 63-64:F0.00 65-75:null 76-82:12 83:2 84:null 85:-1 86-88:null"},
};

TEST(DefaultListsTest, EveryBuilderAgainstItsTable) {
  for (const BuilderRow& row : kBuilders) {
    SCOPED_TRACE(std::string(row.name) + " at line " + std::to_string(row.line));
    PropertyValueList list = row.build();
    EXPECT_EQ(list.count, row.count);
    EXPECT_EQ(Rendered(list), Expand(row.entries));
    // No number twice.
    for (uint32_t i = 0; i < list.count; ++i) {
      for (uint32_t j = 0; j < i; ++j) EXPECT_NE(list.items[i].ident.num, list.items[j].ident.num);
    }
    PropListFree(&list);
  }
}

TEST(DefaultListsTest, FixedValuesAreExact) {
  PropertyValueList list = PropDefaults48();
  const int at = PropListFind(&list, 38);
  ASSERT_GE(at, 0);
  EXPECT_EQ(list.items[at].value.payload.fixedValue, 4718592);
  PropListFree(&list);
}

TEST(DefaultListsTest, ChangingAnOptionKeepsLengthAndOrder) {
  PropertyValueList list = PropDefaultsDictionary();
  const std::vector<std::string> before = Rendered(list);
  PropListSetString(&list, 1003, "<");
  std::vector<std::string> after = Rendered(list);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[4], "1003:\"<\"");
  after[4] = before[4];
  EXPECT_EQ(after, before);
  PropListFree(&list);
}

// The allocation the builders see: n + skew entries, or none at all.
int32_t g_skew = 0;
bool g_refuse = false;
PropertyValueList SkewedAlloc(uint32_t n) {
  if (g_refuse) return {0, nullptr};
  return PropListAlloc(n + g_skew);
}

std::vector<std::string> g_console;
int RecordConsole(const char* text) {
  g_console.push_back(text);
  return 0;
}

class DefaultListsSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_skew = 0;
    g_refuse = false;
    g_console.clear();
    PropDefaultsAllocate = SkewedAlloc;
    savedHook_ = ConsoleHook;
    ConsoleHook = RecordConsole;
    savedEncoding_ = CurrentDialogEncoding;
    CurrentDialogEncoding = kDialogUtf8;  // the console text as it stands
  }
  void TearDown() override {
    PropDefaultsAllocate = PropListAlloc;
    ConsoleHook = savedHook_;
    CurrentDialogEncoding = savedEncoding_;
  }
  ConsoleHookFn savedHook_ = nullptr;
  DialogEncoding savedEncoding_ = kDialogHostRoman;
};

TEST_F(DefaultListsSeamTest, ACountThatDiffersIsFatalAfterItsMessage) {
  const struct {
    int line;
    std::function<PropertyValueList()> build;
    bool checked;
  } rows[] = {
      {__LINE__, PropDefaults48, true},  {__LINE__, PropDefaults6, true},
      {__LINE__, PropDefaults12, true},  {__LINE__, PropDefaults54, true},
      {__LINE__, PropDefaults17, true},  {__LINE__, PropDefaults87, true},
      {__LINE__, PropDefaults14, true},  {__LINE__, PropDefaultsDictionary, false},
      {__LINE__, PropDefaults29, false}, {__LINE__, PropDefaultsObjectCall, false},
  };
  for (int32_t skew : {1, -1}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(row.line);
      g_skew = skew;
      g_console.clear();
      PropertyValueList list{0, nullptr};
      const long raised = RaisedCode([&] { list = row.build(); });
      if (row.checked) {
        EXPECT_EQ(raised, 1);
        EXPECT_EQ(g_console, std::vector<std::string>{
                                 "Error: Default params list has an incorrect number of items.\n"});
      } else {
        EXPECT_EQ(raised, -1);
        EXPECT_TRUE(g_console.empty());
      }
      PropListFree(&list);
    }
  }
}

TEST_F(DefaultListsSeamTest, ARefusedAllocationGivesTheEmptyListQuietly) {
  g_refuse = true;
  for (const BuilderRow& row : kBuilders) {
    SCOPED_TRACE(row.line);
    PropertyValueList list = row.build();
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.items, nullptr);
  }
  EXPECT_TRUE(g_console.empty());
}

}  // namespace
