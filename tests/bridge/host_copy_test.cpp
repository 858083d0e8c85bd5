// The copy and release pairs of host data: every block a copy takes is given back exactly once by
// its release, whatever allocation is refused on the way; a null string stays null; tagged texts
// and compact payloads are followed only for the kind and type that own them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "bridge/host_copy.h"
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

}  // namespace
