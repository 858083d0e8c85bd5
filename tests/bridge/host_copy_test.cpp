// The copy and release pairs of host data: every block a copy takes is given back exactly once by
// its release, whatever allocation is refused on the way; a null string stays null; tagged texts
// and compact payloads are followed only for the kind and type that own them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "bridge/host_copy.h"
#include "bridge/host_memory.h"
#include "props/property_list.h"
#include "strings/memory.h"

namespace {

// An allocator that counts, refusing every allocation after the first `budget`.
std::set<void*> g_live;
int g_budget = -1;  // -1: no limit
int g_allocations = 0;
int g_badFrees = 0;

void* CountingAlloc(size_t bytes) {
  if (g_budget >= 0 && g_allocations >= g_budget) return nullptr;
  ++g_allocations;
  void* block = std::malloc(bytes);
  g_live.insert(block);
  return block;
}

void CountingFree(void* block) {
  if (g_live.erase(block) == 0) {
    ++g_badFrees;
    return;
  }
  std::free(block);
}

char* Text(const char* s) {
  return static_cast<char*>(MemDup(s, std::strlen(s) + 1, 0));
}

// A list holding a value of every type code that owns memory, and a null string.
PropertyValueList EveryPayload() {
  PropertyValueList list{0, nullptr};
  PropListSetString(&list, 1, "text");
  StringList strings{0, nullptr};
  StringListAppend(&strings, Text("a"));
  StringListAppend(&strings, Text("b"));
  PropListSetStrings(&list, 2, strings);
  StringListFree(&strings);
  int32_t words[3] = {1, 2, 3};
  TypedValue value{};
  value.valType = PropWords;
  value.payload.words = {3, words};
  PropListSet(&list, 3, &value);
  TextEntry entries[2] = {{1, 2, const_cast<char*>("x"), 7}, {3, 4, nullptr, 8}};
  value = {};
  value.valType = PropTextEntries;
  value.payload.textEntries = {2, entries};
  PropListSet(&list, 4, &value);
  TypedValue inner[2] = {};
  inner[0].valType = PropString;
  inner[0].payload.string = const_cast<char*>("inner");
  inner[1].valType = PropInt;
  ValueList values = {2, inner};
  value = {};
  value.valType = PropValues;
  value.payload.values = &values;
  PropListSet(&list, 5, &value);
  char block[kPropBlockSize] = "block";
  value = {};
  value.valType = PropBlock;
  value.payload.block = block;
  PropListSet(&list, 6, &value);
  // A named entry, and a string that is null in the host's list.
  PropListSetInt(&list, 7, 9);
  list.items[6].ident = {0, Text("named")};
  PropListSetInt(&list, 8, 0);
  list.items[7].value.valType = PropString;
  list.items[7].value.payload.string = nullptr;
  return list;
}

TEST(HostCopyTest, EveryRefusalLeavesAReleasableCopy) {
  PropertyValueList source = EveryPayload();
  g_budget = -1;
  g_allocations = 0;
  PropertyValueList full = HostCopyValue(source, CountingAlloc);
  const int needed = g_allocations;
  // The items, 1 + 3 + 1 + 2 + 3 + 1 blocks of payloads (props made the null entry text ""), a
  // name.
  EXPECT_EQ(needed, 14);
  EXPECT_EQ(full.items[7].value.payload.string, nullptr);  // a null string stays null
  EXPECT_STREQ(full.items[6].ident.name, "named");
  EXPECT_NE(full.items[6].ident.name, source.items[6].ident.name);
  HostReleaseValue(&full, CountingFree);
  EXPECT_EQ(full.count, 0u);
  for (int budget = 0; budget <= needed; ++budget) {
    SCOPED_TRACE(budget);
    g_budget = budget;
    g_allocations = 0;
    PropertyValueList copy = HostCopyValue(source, CountingAlloc);
    HostReleaseValue(&copy, CountingFree);
    EXPECT_TRUE(g_live.empty());
  }
  EXPECT_EQ(g_badFrees, 0);
  g_budget = -1;
  PropListFree(&source);
}

TEST(HostCopyTest, TaggedAndCompactTextsOnlyWhereOwned) {
  char hosts[] = "host's";
  TaggedItem items[2] = {{1, 1, Text("owned")}, {2, 2, hosts}};
  TaggedItemList tagged = {2, items};
  CompactValue compacts[2] = {};
  compacts[0].valType = PropString;
  compacts[0].payload.text = Text("owned");
  compacts[1].valType = PropInt;
  compacts[1].payload.text = hosts;
  CompactValueList compact = {2, compacts};
  g_budget = -1;
  TaggedItemList taggedCopy = HostCopyValue(tagged, CountingAlloc);
  CompactValueList compactCopy = HostCopyValue(compact, CountingAlloc);
  EXPECT_STREQ(taggedCopy.items[0].text, "owned");
  EXPECT_NE(taggedCopy.items[0].text, items[0].text);
  EXPECT_EQ(taggedCopy.items[1].text, hosts);
  EXPECT_NE(compactCopy.items[0].payload.text, compacts[0].payload.text);
  EXPECT_EQ(compactCopy.items[1].payload.text, hosts);
  HostReleaseValue(&taggedCopy, CountingFree);
  HostReleaseValue(&compactCopy, CountingFree);
  EXPECT_TRUE(g_live.empty());
  EXPECT_EQ(g_badFrees, 0);
  MemFree(items[0].text);
  MemFree(compacts[0].payload.text);
}

TEST(HostCopyTest, NestedRecordsThroughPointers) {
  HostFiveStrings five = {{Text("1"), nullptr, Text("3"), Text("4"), Text("5")}};
  HostFiveStrings* pointers[1] = {&five};
  HostFiveStringsList list = {1, pointers};
  HostFiveStringsList copy = HostCopyValue(list, CountingAlloc);
  ASSERT_NE(copy.items, nullptr);
  ASSERT_NE(copy.items[0], &five);
  EXPECT_STREQ(copy.items[0]->texts[4], "5");
  EXPECT_EQ(copy.items[0]->texts[1], nullptr);
  HostReleaseValue(&copy, CountingFree);
  EXPECT_TRUE(g_live.empty());
  HostReleaseValue(&five, HostClientFree);
  EXPECT_EQ(five.texts[0], nullptr);
}

// A host value built in blocks of its own, which the test scribbles over and frees after the copy:
// a copy that shares any block with its source then reads garbage (or, under the sanitizers, a
// freed block).
class HostBuilt {
 public:
  ~HostBuilt() { Scrap(); }
  void* Block(size_t bytes) {
    void* block = std::calloc(1, bytes);
    blocks_.push_back({block, bytes});
    return block;
  }
  char* S(const char* text) {
    return static_cast<char*>(
        std::memcpy(Block(std::strlen(text) + 1), text, std::strlen(text) + 1));
  }
  StringList Strings(std::initializer_list<const char*> texts) {
    auto** items = static_cast<char**>(Block(texts.size() * sizeof(char*)));
    uint32_t n = 0;
    for (const char* t : texts) items[n++] = t != nullptr ? S(t) : nullptr;
    return {n, items};
  }
  template <typename T>
  T* Items(uint32_t n) {
    return static_cast<T*>(Block(n * sizeof(T)));
  }
  void Scrap() {
    for (auto& [block, bytes] : blocks_) {
      std::memset(block, 0xEE, bytes);
      std::free(block);
    }
    blocks_.clear();
  }

 private:
  std::vector<std::pair<void*, size_t>> blocks_;
};

std::string Show(const char* text) {
  return text != nullptr ? text : "(null)";
}
std::string Show(const StringList& list) {
  std::string out = "[";
  for (uint32_t i = 0; list.items != nullptr && i < list.count; ++i) {
    out += (i != 0 ? "," : "") + Show(list.items[i]);
  }
  return out + "]";
}
template <typename List>
std::string ShowNumbers(const List& list) {
  std::string out = "{";
  for (uint32_t i = 0; list.items != nullptr && i < list.count; ++i) {
    out += (i != 0 ? "," : "") + std::to_string(list.items[i]);
  }
  return out + "}";
}

// What a typed value holds, read field by field as the payload records are laid out.
std::string Show(const TypedValue& v) {
  const TypedPayload& p = v.payload;
  std::string out = std::to_string(v.valType) + ":";
  switch (v.valType) {
    case PropString:
      return out + Show(p.string);
    case PropWords:
    case PropWords13:
    case PropWords15:
      return out + ShowNumbers(p.words);
    case PropStrings:
      return out + Show(p.strings);
    case PropQwords:
    case PropQwords12:
      return out + ShowNumbers(p.qwords);
    case PropBytes:
      return out + ShowNumbers(p.bytes);
    case PropTextEntries:
      for (uint32_t i = 0; i < p.textEntries.count; ++i) {
        const TextEntry& e = p.textEntries.items[i];
        out += std::to_string(e.word0) + "," + std::to_string(e.word1) + "," + Show(e.text) + "," +
               std::to_string(e.tail) + ";";
      }
      return out;
    case PropCompoundEntries:
      for (uint32_t i = 0; i < p.compoundEntries.count; ++i) {
        const CompoundEntry& e = p.compoundEntries.items[i];
        out += Show(e.name) + "," + std::to_string(e.word0) + "," + std::to_string(e.word1) + "," +
               std::to_string(e.word2) + "," + Show(e.list0) + "," + Show(e.list1) + "," +
               Show(e.text0) + "," + Show(e.text1) + ";";
      }
      return out;
    case PropNamedStrings:
      for (uint32_t i = 0; i < p.namedStrings.count; ++i) {
        const NamedStrings& e = p.namedStrings.items[i];
        out += Show(e.name) + "," + Show(e.values) + "," + std::to_string(e.flag0) + "," +
               std::to_string(e.flag1) + ";";
      }
      return out;
    case PropNamedStringsPairs:
      for (uint32_t i = 0; i < p.namedStringsPairs.count; ++i) {
        const NamedStringsPair& e = p.namedStringsPairs.items[i];
        out += Show(e.name) + "," + Show(e.list0) + "," + Show(e.list1) + "," +
               std::to_string(e.flag0 + e.flag1 * 10 + e.flag2 * 100) + ";";
      }
      return out;
    case PropKeyedStrings:
      for (uint32_t i = 0; i < p.keyedStrings.count; ++i) {
        const KeyedStrings& e = p.keyedStrings.items[i];
        out += std::to_string(e.key) + "," + Show(e.values) + ";";
      }
      return out;
    case PropBlock:
      return out + (p.block != nullptr ? Show(static_cast<const char*>(p.block)) : "(null)");
    case PropValues:
      if (p.values == nullptr) return out + "(null)";
      for (uint32_t i = 0; i < p.values->count; ++i) out += "<" + Show(p.values->items[i]) + ">";
      return out;
    default:
      return out + std::to_string(p.intValue);
  }
}

// Every list payload kind and every owned text of the element records, copied deep: the copy
// still reads whole after the source's every block is scribbled over and freed.
TEST(HostCopyTest, EveryPayloadKindIsCopiedDeep) {
  HostBuilt host;
  std::vector<TypedValue> values;
  auto add = [&](int32_t type, auto fill) {
    TypedValue v{};
    v.valType = type;
    fill(v.payload);
    values.push_back(v);
  };
  add(PropString, [&](TypedPayload& p) { p.string = host.S("text"); });
  for (int32_t type : {PropWords, PropWords13, PropWords15}) {
    add(type, [&](TypedPayload& p) {
      p.words = {3, host.Items<int32_t>(3)};
      p.words.items[0] = 7;
      p.words.items[2] = -1;
    });
  }
  add(PropStrings, [&](TypedPayload& p) { p.strings = host.Strings({"a", nullptr, "c"}); });
  for (int32_t type : {PropQwords, PropQwords12}) {
    add(type, [&](TypedPayload& p) {
      p.qwords = {2, host.Items<uint64_t>(2)};
      p.qwords.items[1] = 1ull << 40;
    });
  }
  add(PropBytes, [&](TypedPayload& p) {
    p.bytes = {2, host.Items<uint8_t>(2)};
    p.bytes.items[0] = 200;
  });
  add(PropTextEntries, [&](TypedPayload& p) {
    p.textEntries = {2, host.Items<TextEntry>(2)};
    p.textEntries.items[0] = {1, 2, host.S("t0"), 99};
    p.textEntries.items[1] = {3, 4, nullptr, 5};
  });
  add(PropCompoundEntries, [&](TypedPayload& p) {
    p.compoundEntries = {2, host.Items<CompoundEntry>(2)};
    p.compoundEntries.items[0] = {
        host.S("n0"), 1,           2, 3, host.Strings({"x", "y"}), host.Strings({"z"}),
        host.S("t0"), host.S("u0")};
    p.compoundEntries.items[1] = {nullptr, 4, 5, 6, {}, host.Strings({"w"}), nullptr, host.S("u1")};
  });
  add(PropNamedStrings, [&](TypedPayload& p) {
    p.namedStrings = {1, host.Items<NamedStrings>(1)};
    p.namedStrings.items[0] = {host.S("n"), host.Strings({"v1", "v2"}), 1, 2};
  });
  add(PropNamedStringsPairs, [&](TypedPayload& p) {
    p.namedStringsPairs = {1, host.Items<NamedStringsPair>(1)};
    p.namedStringsPairs.items[0] = {
        host.S("n"), host.Strings({"a"}), host.Strings({"b", "c"}), 1, 2, 3};
  });
  add(PropKeyedStrings, [&](TypedPayload& p) {
    p.keyedStrings = {2, host.Items<KeyedStrings>(2)};
    p.keyedStrings.items[0] = {9, host.Strings({"k"})};
    p.keyedStrings.items[1] = {8, {}};
  });
  add(PropBlock, [&](TypedPayload& p) {
    p.block = host.Block(kPropBlockSize);
    std::memcpy(p.block, "block", 6);
  });
  add(PropValues, [&](TypedPayload& p) {
    p.values = host.Items<ValueList>(1);
    p.values->count = 2;
    p.values->items = host.Items<TypedValue>(2);
    p.values->items[0].valType = PropString;
    p.values->items[0].payload.string = host.S("inner");
    p.values->items[1].valType = PropStrings;
    p.values->items[1].payload.strings = host.Strings({"deep"});
  });
  const std::vector<std::string> expected = {
      "3:text",
      "5:{7,0,-1}",
      "13:{7,0,-1}",
      "15:{7,0,-1}",
      "6:[a,(null),c]",
      "7:{0,1099511627776}",
      "12:{0,1099511627776}",
      "14:{200,0}",
      "8:1,2,t0,99;3,4,(null),5;",
      "17:n0,1,2,3,[x,y],[z],t0,u0;(null),4,5,6,[],[w],(null),u1;",
      "18:n,[v1,v2],1,2;",
      "21:n,[a],[b,c],321;",
      "22:9,[k];8,[];",
      "19:block",
      "20:<3:inner><6:[deep]>",
  };
  ASSERT_EQ(values.size(), expected.size());
  std::vector<TypedValue> copies;
  for (size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(expected[i]);
    EXPECT_EQ(Show(values[i]), expected[i]);  // the source as built
    bool complete = false;
    copies.push_back(HostCopyValue(values[i], HostClientAlloc, &complete));
    EXPECT_TRUE(complete);
  }
  host.Scrap();
  for (size_t i = 0; i < copies.size(); ++i) {
    SCOPED_TRACE(expected[i]);
    EXPECT_EQ(Show(copies[i]), expected[i]);
    HostReleaseValue(&copies[i], HostClientFree);
  }
}

}  // namespace
