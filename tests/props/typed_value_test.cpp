// Typed values: copy and release of every type code, nested value lists, text-and-values lists.
#include "props/typed_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "tests/props/props_test_support.h"
#include "tests/support/fault_injection.h"

namespace {

template <typename Item>
Item* HeapItems(std::initializer_list<Item> items) {
  auto* block = static_cast<Item*>(MemCalloc(items.size(), sizeof(Item), kMemFatal));
  size_t i = 0;
  for (const Item& item : items) block[i++] = item;
  return block;
}

std::string Str(const char* text) {
  return text == nullptr ? "(null)" : '"' + std::string(text) + '"';
}

std::string Strs(const StringList& list) {
  std::string out = "[" + std::to_string(list.count) + ":";
  for (uint32_t i = 0; list.items && i < list.count; ++i) out += Str(list.items[i]) + ",";
  return out + "]";
}

template <typename List>
std::string Plain(const List& list) {
  std::string out = "[" + std::to_string(list.count) + ":";
  const auto* bytes = reinterpret_cast<const uint8_t*>(list.items);
  for (size_t i = 0; bytes && i < list.count * sizeof(*list.items); ++i) {
    out += std::to_string(bytes[i]) + ",";
  }
  return out + "]";
}

template <typename List, typename Fn>
std::string Each(const List& list, Fn describe) {
  std::string out = "[" + std::to_string(list.count) + ":";
  for (uint32_t i = 0; list.items && i < list.count; ++i) out += describe(list.items[i]) + ";";
  return out + "]";
}

// Everything a value holds, followed through its pointers: equal descriptions mean equal contents.
std::string Describe(const TypedValue& v) {
  const TypedPayload& p = v.payload;
  std::string out = "t" + std::to_string(v.valType) + ":";
  switch (v.valType) {
    case PropInt:
    case PropFixed:
    case PropWord:
      return out + std::to_string(p.word);
    case PropString:
      return out + Str(p.string);
    case PropWords:
    case PropWords13:
    case PropWords15:
      return out + Plain(p.words);
    case PropStrings:
      return out + Strs(p.strings);
    case PropQwords:
    case PropQwords12:
      return out + Plain(p.qwords);
    case PropTextEntries:
      return out + Each(p.textEntries, [](const TextEntry& e) {
               return std::to_string(e.word0) + "," + std::to_string(e.word1) + "," + Str(e.text) +
                      "," + std::to_string(e.tail);
             });
    case PropInline8:
      return out + std::string(reinterpret_cast<const char*>(p.inline8), 8);
    case PropInline16:
      return out + std::string(reinterpret_cast<const char*>(p.inline16), 16);
    case PropBytes:
      return out + Plain(p.bytes);
    case PropCompoundEntries:
      return out + Each(p.compoundEntries, [](const CompoundEntry& e) {
               return Str(e.name) + std::to_string(e.word0) + std::to_string(e.word1) +
                      std::to_string(e.word2) + Strs(e.list0) + Strs(e.list1) + Str(e.text0) +
                      Str(e.text1);
             });
    case PropNamedStrings:
      return out + Each(p.namedStrings, [](const NamedStrings& e) {
               return Str(e.name) + Strs(e.values) + std::to_string(e.flag0) +
                      std::to_string(e.flag1);
             });
    case PropBlock:
      return out +
             (p.block ? std::string(static_cast<const char*>(p.block), kPropBlockSize) : "(null)");
    case PropValues:
      if (p.values == nullptr) return out + "(null)";
      return out + Each(*p.values, [](const TypedValue& item) { return Describe(item); });
    case PropNamedStringsPairs:
      return out + Each(p.namedStringsPairs, [](const NamedStringsPair& e) {
               return Str(e.name) + Strs(e.list0) + Strs(e.list1) + std::to_string(e.flag0) +
                      std::to_string(e.flag1) + std::to_string(e.flag2);
             });
    case PropKeyedStrings:
      return out + Each(p.keyedStrings, [](const KeyedStrings& e) {
               return std::to_string(e.key) + Strs(e.values);
             });
    default:
      return out;
  }
}

// Every block a value owns, to check that a copy shares none with its source.
void AddOwned(const StringList& list, std::set<const void*>* out) {
  if (list.items == nullptr) return;
  out->insert(list.items);
  for (uint32_t i = 0; i < list.count; ++i) out->insert(list.items[i]);
}

std::set<const void*> Owned(const TypedValue& v) {
  std::set<const void*> out;
  const TypedPayload& p = v.payload;
  switch (v.valType) {
    case PropString:
      out.insert(p.string);
      break;
    case PropWords:
    case PropWords13:
    case PropWords15:
    case PropQwords:
    case PropQwords12:
    case PropBytes:
      out.insert(p.words.items);
      break;  // the same list shape
    case PropStrings:
      AddOwned(p.strings, &out);
      break;
    case PropTextEntries:
      out.insert(p.textEntries.items);
      for (uint32_t i = 0; i < p.textEntries.count; ++i) out.insert(p.textEntries.items[i].text);
      break;
    case PropCompoundEntries:
      out.insert(p.compoundEntries.items);
      for (uint32_t i = 0; i < p.compoundEntries.count; ++i) {
        const CompoundEntry& e = p.compoundEntries.items[i];
        out.insert({e.name, e.text0, e.text1});
        AddOwned(e.list0, &out);
        AddOwned(e.list1, &out);
      }
      break;
    case PropNamedStrings:
      out.insert(p.namedStrings.items);
      for (uint32_t i = 0; i < p.namedStrings.count; ++i) {
        out.insert(p.namedStrings.items[i].name);
        AddOwned(p.namedStrings.items[i].values, &out);
      }
      break;
    case PropBlock:
      out.insert(p.block);
      break;
    case PropValues:
      out.insert(p.values);
      if (p.values != nullptr) {
        out.insert(p.values->items);
        for (uint32_t i = 0; i < p.values->count; ++i) out.merge(Owned(p.values->items[i]));
      }
      break;
    case PropNamedStringsPairs:
      out.insert(p.namedStringsPairs.items);
      for (uint32_t i = 0; i < p.namedStringsPairs.count; ++i) {
        out.insert(p.namedStringsPairs.items[i].name);
        AddOwned(p.namedStringsPairs.items[i].list0, &out);
        AddOwned(p.namedStringsPairs.items[i].list1, &out);
      }
      break;
    case PropKeyedStrings:
      out.insert(p.keyedStrings.items);
      for (uint32_t i = 0; i < p.keyedStrings.count; ++i)
        AddOwned(p.keyedStrings.items[i].values, &out);
      break;
    default:
      break;
  }
  out.erase(nullptr);
  return out;
}

// A value of the given code with every pointer it may own filled, all on the library's heap.
TypedValue Make(int32_t code) {
  TypedValue v{code, {}};
  TypedPayload& p = v.payload;
  switch (code) {
    case PropInt:
      p.intValue = -7;
      break;
    case PropFixed:
      p.fixedValue = 0x48000;
      break;
    case PropWord:
      p.word = 0xDEADBEEF;
      break;
    case PropString:
      p.string = HeapString("a string");
      break;
    case PropWords:
    case PropWords13:
    case PropWords15:
      p.words = {3, HeapItems<int32_t>({-1, 0, 1 << 30})};
      break;
    case PropStrings:
      p.strings = MakeStringList({"s1", "", "s3"});
      break;
    case PropQwords:
    case PropQwords12:
      p.qwords = {2, HeapItems<uint64_t>({~0ull, 42})};
      break;
    case PropTextEntries:
      p.textEntries = {
          2, HeapItems<TextEntry>({{1, 2, HeapString("te1"), 3}, {4, 5, HeapString("te2"), 6}})};
      break;
    case PropInline8:
      std::memcpy(p.inline8, "8 bytes!", 8);
      break;
    case PropInline16:
      std::memcpy(p.inline16, "sixteen bytes..!", 16);
      break;
    case PropBytes:
      p.bytes = {3, HeapItems<uint8_t>({0, 0x80, 0xFF})};
      break;
    case PropCompoundEntries:
      p.compoundEntries = {
          1, HeapItems<CompoundEntry>(
                 {{HeapString("ce"), 1, 2, 3, MakeStringList({"x"}), MakeStringList({"y", "z"}),
                   HeapString("t0"), HeapString("t1")}})};
      break;
    case PropNamedStrings:
      p.namedStrings = {1,
                        HeapItems<NamedStrings>({{HeapString("ns"), MakeStringList({"v"}), 1, 2}})};
      break;
    case PropBlock:
      p.block = MemDup("twenty-four bytes here!", kPropBlockSize, kMemFatal);
      break;
    case PropValues: {
      auto* list = static_cast<ValueList*>(MemAlloc(sizeof(ValueList), kMemFatal));
      list->count = 3;
      list->items = HeapItems<TypedValue>({Make(PropString), Make(PropInt), Make(PropStrings)});
      p.values = list;
      break;
    }
    case PropNamedStringsPairs:
      p.namedStringsPairs = {
          1, HeapItems<NamedStringsPair>(
                 {{HeapString("np"), MakeStringList({"a"}), MakeStringList({"b"}), 1, 2, 3}})};
      break;
    case PropKeyedStrings:
      p.keyedStrings = {2, HeapItems<KeyedStrings>(
                               {{1, MakeStringList({"k1"})}, {2, MakeStringList({"k2", "k3"})}})};
      break;
    default:
      std::memset(p.inline16, 0x5A, 16);
      break;  // nothing here is the library's
  }
  return v;
}

// A PropValues value nested three deep, with strings at every level.
TypedValue MakeNested() {
  TypedValue inner = Make(PropValues);
  auto* list = static_cast<ValueList*>(MemAlloc(sizeof(ValueList), kMemFatal));
  list->count = 2;
  list->items = HeapItems<TypedValue>({inner, Make(PropString)});
  TypedValue outer{PropValues, {}};
  outer.payload.values = list;
  return outer;
}

}  // namespace

TEST(TypedValueTest, EveryCodeCopiesDeeplyAndReleasesCleanly) {
  for (int32_t code = 1; code <= 22; ++code) {
    SCOPED_TRACE(code);
    TypedValue source = Make(code);
    std::string expected = Describe(source);
    std::set<const void*> sourceBlocks = Owned(source);
    TypedValue copy = TypedValueCopy(&source);
    for (const void* block : Owned(copy)) EXPECT_EQ(sourceBlocks.count(block), 0u);
    TypedValueFree(&source);
    EXPECT_EQ(source.valType, code);  // the code stays
    EXPECT_TRUE(Owned(source).empty());
    EXPECT_EQ(Describe(copy), expected);  // the sanitizer watches every pointer it follows
    TypedValueFree(&copy);
    TypedValueFree(&copy);  // twice: everything is null or empty now
  }
}

TEST(TypedValueTest, CodesWithNothingManagedCopyOnlyTheCode) {
  for (int32_t code : {0, +PropCode11, +PropCode16, 23, -1, 1000}) {
    SCOPED_TRACE(code);
    TypedValue source = Make(code);
    TypedValue copy = TypedValueCopy(&source);
    EXPECT_EQ(copy.valType, code);
    uint8_t zero[16] = {};
    EXPECT_EQ(std::memcmp(copy.payload.inline16, zero, 16), 0);
    TypedValueFree(&source);  // releases nothing: the bytes are not pointers of ours
    EXPECT_EQ(source.payload.inline16[15], 0x5A);
  }
}

TEST(TypedValueTest, ScalarCodesCopyOnlyTheirFourBytes) {
  for (int32_t code : {+PropInt, +PropFixed, +PropWord}) {
    SCOPED_TRACE(code);
    TypedValue source{code, {}};
    std::memset(source.payload.inline16, 0xEE, 16);
    TypedValue copy = TypedValueCopy(&source);
    EXPECT_EQ(copy.payload.word, 0xEEEEEEEEu);
    EXPECT_EQ(copy.payload.inline16[4], 0);
  }
}

TEST(TypedValueTest, NullPointersInPayloads) {
  TypedValue string{PropString, {}};
  TypedValue copy = TypedValueCopy(&string);
  ASSERT_NE(copy.payload.string, nullptr);  // a new empty string, not null
  EXPECT_STREQ(copy.payload.string, "");
  TypedValueFree(&copy);
  EXPECT_EQ(copy.payload.string, nullptr);

  for (int32_t code : {+PropBlock, +PropValues}) {
    SCOPED_TRACE(code);
    TypedValue value{code, {}};
    TypedValue valueCopy = TypedValueCopy(&value);
    EXPECT_EQ(valueCopy.payload.block, nullptr);  // null stays null
    TypedValueFree(&value);                       // does nothing
    EXPECT_EQ(value.valType, code);
  }
  TypedValueFree(nullptr);
  EXPECT_EQ(RaisedCode([] { TypedValueCopy(nullptr); }), 1);
}

TEST(TypedValueTest, FreeingABlockNullsItsPointer) {
  TypedValue block = Make(PropBlock);
  TypedValueFree(&block);
  EXPECT_EQ(block.payload.block, nullptr);
  EXPECT_EQ(block.valType, PropBlock);
}

TEST(TypedValueTest, NestedValueListsCopyAndReleaseRecursively) {
  TypedValue source = MakeNested();
  std::string expected = Describe(source);
  TypedValue copy = TypedValueCopy(&source);
  TypedValueFree(&source);
  EXPECT_EQ(source.payload.values, nullptr);
  EXPECT_EQ(Describe(copy), expected);
  TypedValueFree(&copy);
}

TEST(TypedValueTest, CopyUnderEveryRefusalLeaksNothing) {
  TypedValue source = MakeNested();
  for (long allowed = 0;; ++allowed) {
    SCOPED_TRACE(allowed);
    TypedValue copy;
    long refused;
    {
      ScopedAllocationFailure refuse(allowed);
      copy = TypedValueCopy(&source);
      refused = refuse.refused();
    }
    if (allowed == 0) {
      EXPECT_EQ(copy.payload.values, nullptr);  // no record, nothing else
    }
    if (refused == 0) {
      EXPECT_EQ(Describe(copy), Describe(source));
    }
    TypedValueFree(&copy);  // whatever the copy got is released; the sanitizer reports the rest
    if (refused == 0) break;
  }
  TypedValueFree(&source);
}

TEST(ValueListTest, CopyAndClear) {
  EXPECT_EQ(ValueListCopy(nullptr), nullptr);
  ValueList source{2, HeapItems<TypedValue>({Make(PropString), Make(PropWords)})};
  ValueList* copy = ValueListCopy(&source);
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(copy->count, 2u);
  EXPECT_STREQ(copy->items[0].payload.string, "a string");
  ValueListClear(&source);
  EXPECT_EQ(source.count, 2u);  // the count and the record stay
  EXPECT_EQ(source.items, nullptr);
  ValueListClear(&source);
  ValueListClear(nullptr);
  EXPECT_EQ(copy->items[1].payload.words.items[2], 1 << 30);
  ValueListClear(copy);
  MemFree(copy);
}

TEST(ValueListTest, CopyWithRefusedItemsKeepsTheCountWithNullItems) {
  ValueList source{1, HeapItems<TypedValue>({Make(PropInt)})};
  ValueList* copy;
  {
    ScopedAllocationFailure refuse(1);  // the record, not the items
    copy = ValueListCopy(&source);
  }
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->count, 1u);
  EXPECT_EQ(copy->items, nullptr);
  MemFree(copy);
  ValueListClear(&source);
}

TEST(TextValuesListTest, FreeReleasesTextsAndValueListsAndKeepsTheCount) {
  TextValuesList list = ListOf<TextValuesList>(ListAlloc32(3));
  auto* values = static_cast<ValueList*>(MemAlloc(sizeof(ValueList), kMemFatal));
  *values = {2, HeapItems<TypedValue>({Make(PropString), Make(PropValues)})};
  list.items[0] = {1, HeapString("first"), 2, values};
  list.items[1] = {3, nullptr, 4, nullptr};
  list.items[2] = {5, HeapString("third"), 6, nullptr};
  TextValuesListFree(&list);
  EXPECT_EQ(list.count, 3u);
  EXPECT_EQ(list.items, nullptr);
  TextValuesListFree(&list);  // reads as empty now
  TextValuesListFree(nullptr);
}

TEST(TextValuesListTest, FreeLeavesAListOfCountZeroUntouched) {
  TextValuesList list = ListOf<TextValuesList>(ListAlloc32(0));
  TextValuesEntry* block = list.items;
  ASSERT_NE(block, nullptr);
  TextValuesListFree(&list);  // the block may still be the caller's
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.items, block);
  MemFree(block);
}
