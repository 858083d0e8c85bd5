// Element records of payloads: deep copies, releases and their lists, under refused allocations.
#include "props/payload_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "props/prop_type.h"
#include "tests/props/props_test_support.h"
#include "tests/support/fault_injection.h"

namespace {

// Appends every owned string of a list, a null one for each slot of a list with null items.
void AddStrings(std::vector<const char*>* out, const StringList& list) {
  for (uint32_t i = 0; i < list.count; ++i) out->push_back(list.items ? list.items[i] : nullptr);
}

std::string Text(const char* stem, int seed) {
  return stem + std::to_string(seed);
}

// What each record type needs for the shared tests: a source with every owned field filled, one
// whose strings (and the strings of its lists) are null, its owned strings in a fixed order, its
// scalar fields, and its operations.
struct TextEntryTraits {
  using Element = TextEntry;
  using List = TextEntryList;
  static Element Make(int seed) {
    return {0xA0000000u + seed, 7u, HeapString(Text("text", seed).c_str()), 0x1122334455667788u};
  }
  static Element MakeNulls() { return {1, 2, nullptr, 3}; }
  static std::vector<const char*> Strings(const Element& e) { return {e.text}; }
  static std::vector<uint64_t> Scalars(const Element& e) { return {e.word0, e.word1, e.tail}; }
  static Element Copy(const Element* e) { return TextEntryCopy(e); }
  static void Free(Element* e) { TextEntryFree(e); }
  static List ListCopy(const List* l) { return TextEntryListCopy(l); }
  static void ListFree(List* l) { TextEntryListFree(l); }
};

struct CompoundEntryTraits {
  using Element = CompoundEntry;
  using List = CompoundEntryList;
  static Element Make(int seed) {
    return {HeapString(Text("name", seed).c_str()),
            1u,
            2u + seed,
            3u,
            MakeStringList({"x", nullptr, "z"}),
            MakeStringList({Text("l1-", seed).c_str()}),
            HeapString("t0"),
            HeapString(Text("t1-", seed).c_str())};
  }
  static Element MakeNulls() {
    return {nullptr, 9, 8, 7, MakeStringList({nullptr, nullptr}), {0, nullptr}, nullptr, nullptr};
  }
  static std::vector<const char*> Strings(const Element& e) {
    std::vector<const char*> out{e.name, e.text0, e.text1};
    AddStrings(&out, e.list0);
    AddStrings(&out, e.list1);
    return out;
  }
  static std::vector<uint64_t> Scalars(const Element& e) { return {e.word0, e.word1, e.word2}; }
  static Element Copy(const Element* e) { return CompoundEntryCopy(e); }
  static void Free(Element* e) { CompoundEntryFree(e); }
  static List ListCopy(const List* l) { return CompoundEntryListCopy(l); }
  static void ListFree(List* l) { CompoundEntryListFree(l); }
};

struct NamedStringsTraits {
  using Element = NamedStrings;
  using List = NamedStringsList;
  static Element Make(int seed) {
    return {HeapString(Text("n", seed).c_str()), MakeStringList({"v1", "v2"}),
            static_cast<uint8_t>(seed), 0xFF};
  }
  static Element MakeNulls() { return {nullptr, MakeStringList({nullptr}), 1, 0}; }
  static std::vector<const char*> Strings(const Element& e) {
    std::vector<const char*> out{e.name};
    AddStrings(&out, e.values);
    return out;
  }
  static std::vector<uint64_t> Scalars(const Element& e) { return {e.flag0, e.flag1}; }
  static Element Copy(const Element* e) { return NamedStringsCopy(e); }
  static void Free(Element* e) { NamedStringsFree(e); }
  static List ListCopy(const List* l) { return NamedStringsListCopy(l); }
  static void ListFree(List* l) { NamedStringsListFree(l); }
};

struct NamedStringsPairTraits {
  using Element = NamedStringsPair;
  using List = NamedStringsPairList;
  static Element Make(int seed) {
    return {HeapString(Text("pair", seed).c_str()),
            MakeStringList({"a"}),
            MakeStringList({"b", nullptr}),
            1,
            static_cast<uint8_t>(seed),
            0x80};
  }
  static Element MakeNulls() { return {nullptr, {0, nullptr}, MakeStringList({nullptr}), 0, 0, 1}; }
  static std::vector<const char*> Strings(const Element& e) {
    std::vector<const char*> out{e.name};
    AddStrings(&out, e.list0);
    AddStrings(&out, e.list1);
    return out;
  }
  static std::vector<uint64_t> Scalars(const Element& e) { return {e.flag0, e.flag1, e.flag2}; }
  static Element Copy(const Element* e) { return NamedStringsPairCopy(e); }
  static void Free(Element* e) { NamedStringsPairFree(e); }
  static List ListCopy(const List* l) { return NamedStringsPairListCopy(l); }
  static void ListFree(List* l) { NamedStringsPairListFree(l); }
};

struct KeyedStringsTraits {
  using Element = KeyedStrings;
  using List = KeyedStringsList;
  static Element Make(int seed) {
    return {0xFFFFFFF0u + seed, MakeStringList({"k", Text("v", seed).c_str(), nullptr})};
  }
  static Element MakeNulls() { return {4, MakeStringList({nullptr, nullptr})}; }
  static std::vector<const char*> Strings(const Element& e) {
    std::vector<const char*> out;
    AddStrings(&out, e.values);
    return out;
  }
  static std::vector<uint64_t> Scalars(const Element& e) { return {e.key}; }
  static Element Copy(const Element* e) { return KeyedStringsCopy(e); }
  static void Free(Element* e) { KeyedStringsFree(e); }
  static List ListCopy(const List* l) { return KeyedStringsListCopy(l); }
  static void ListFree(List* l) { KeyedStringsListFree(l); }
};

// Every string of copy is its own block holding the source's text (a null source string reading
// as ""); with partial, a string the copy could not get may be null instead.
template <typename Traits>
void ExpectCopied(const typename Traits::Element& source, const typename Traits::Element& copy,
                  bool partial) {
  EXPECT_EQ(Traits::Scalars(copy), Traits::Scalars(source));
  std::vector<const char*> from = Traits::Strings(source);
  std::vector<const char*> to = Traits::Strings(copy);
  ASSERT_EQ(to.size(), from.size());  // every list keeps its count
  for (size_t i = 0; i < from.size(); ++i) {
    SCOPED_TRACE(i);
    if (to[i] == nullptr) {
      EXPECT_TRUE(partial);
      continue;
    }
    EXPECT_NE(to[i], from[i]);
    EXPECT_STREQ(to[i], from[i] == nullptr ? "" : from[i]);
  }
}

template <typename Traits>
typename Traits::List MakeList(std::initializer_list<int> seeds) {
  using Element = typename Traits::Element;
  typename Traits::List list{static_cast<uint32_t>(seeds.size()), nullptr};
  list.items = static_cast<Element*>(MemCalloc(seeds.size(), sizeof(Element), kMemFatal));
  size_t i = 0;
  for (int seed : seeds) list.items[i++] = Traits::Make(seed);
  return list;
}

template <typename Traits>
class RecordTest : public ::testing::Test {};
using RecordTraits = ::testing::Types<TextEntryTraits, CompoundEntryTraits, NamedStringsTraits,
                                      NamedStringsPairTraits, KeyedStringsTraits>;
TYPED_TEST_SUITE(RecordTest, RecordTraits);

}  // namespace

TYPED_TEST(RecordTest, ElementCopyIsDeepAndSurvivesItsSource) {
  auto source = TypeParam::Make(1);
  auto keep = TypeParam::Make(1);  // the same contents, to compare with after source is gone
  auto copy = TypeParam::Copy(&source);
  ExpectCopied<TypeParam>(source, copy, false);
  TypeParam::Free(&source);
  ExpectCopied<TypeParam>(keep, copy, false);
  TypeParam::Free(&copy);
  TypeParam::Free(&keep);
}

TYPED_TEST(RecordTest, NullStringsBecomeNewEmptyStrings) {
  auto source = TypeParam::MakeNulls();
  auto copy = TypeParam::Copy(&source);
  ExpectCopied<TypeParam>(source, copy, false);
  for (const char* text : TypeParam::Strings(copy)) {
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
  }
  TypeParam::Free(&copy);
  TypeParam::Free(&source);
}

TYPED_TEST(RecordTest, ElementFreeNullsEveryOwnedFieldAndMayRepeat) {
  auto element = TypeParam::Make(2);
  auto scalars = TypeParam::Scalars(element);
  TypeParam::Free(&element);
  for (const char* text : TypeParam::Strings(element)) EXPECT_EQ(text, nullptr);
  EXPECT_EQ(TypeParam::Scalars(element), scalars);
  TypeParam::Free(&element);
  TypeParam::Free(nullptr);
}

TYPED_TEST(RecordTest, ListCopyIsDeepAndSurvivesItsSource) {
  auto source = MakeList<TypeParam>({1, 2, 3});
  auto keep = MakeList<TypeParam>({1, 2, 3});
  auto copy = TypeParam::ListCopy(&source);
  TypeParam::ListFree(&source);
  EXPECT_EQ(source.count, 0u);
  EXPECT_EQ(source.items, nullptr);
  ASSERT_EQ(copy.count, 3u);
  for (uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ExpectCopied<TypeParam>(keep.items[i], copy.items[i], false);
  }
  TypeParam::ListFree(&copy);
  TypeParam::ListFree(&copy);  // twice: reads as empty after the first
  TypeParam::ListFree(nullptr);
  TypeParam::ListFree(&keep);
}

TYPED_TEST(RecordTest, ListCopyOfNullItemsKeepsTheCount) {
  typename TypeParam::List source{2, nullptr};
  auto copy = TypeParam::ListCopy(&source);
  EXPECT_EQ(copy.count, 2u);
  EXPECT_NE(copy.items, nullptr);
  TypeParam::ListFree(&copy);  // zero-filled entries own nothing
  EXPECT_EQ(copy.count, 0u);
}

TYPED_TEST(RecordTest, ListCopyUnderEveryRefusalLeaksNothing) {
  auto source = MakeList<TypeParam>({5, 6});
  for (long allowed = 0;; ++allowed) {
    SCOPED_TRACE(allowed);
    typename TypeParam::List copy;
    long refused;
    {
      ScopedAllocationFailure refuse(allowed);
      copy = TypeParam::ListCopy(&source);
      refused = refuse.refused();
    }
    EXPECT_EQ(copy.count, 2u);
    if (allowed == 0) {
      EXPECT_EQ(copy.items, nullptr);
    } else {
      ASSERT_NE(copy.items, nullptr);
      for (uint32_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ExpectCopied<TypeParam>(source.items[i], copy.items[i], refused != 0);
      }
    }
    TypeParam::ListFree(&copy);  // the sanitizer reports any block the partial copy lost
    if (refused == 0) break;
  }
  TypeParam::ListFree(&source);
}

TYPED_TEST(RecordTest, NullSourceIsABrokenInvariant) {
  EXPECT_EQ(RaisedCode([] { TypeParam::Copy(nullptr); }), 1);
  EXPECT_EQ(RaisedCode([] { TypeParam::ListCopy(nullptr); }), 1);
}

TEST(TaggedItemTest, CopyDuplicatesTextOnlyForKindOne) {
  char shared[] = "host's";
  struct Row {
    int line;
    TaggedItem source;
    bool duplicated;
  };
  Row rows[] = {
      {__LINE__, {5, 0, shared}, false},
      {__LINE__, {5, 2, shared}, false},
      {__LINE__, {5, 1, HeapString("own")}, true},
      {__LINE__, {0xFFFFFFFF, 1, nullptr}, true},  // null text: a new empty string
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.line);
    TaggedItem copy = TaggedItemCopy(&row.source);
    EXPECT_EQ(copy.value, row.source.value);
    EXPECT_EQ(copy.kind, row.source.kind);
    if (row.duplicated) {
      ASSERT_NE(copy.text, nullptr);
      EXPECT_NE(copy.text, row.source.text);
      EXPECT_STREQ(copy.text, row.source.text ? row.source.text : "");
    } else {
      EXPECT_EQ(copy.text, shared);
    }
    TaggedItemFree(&copy);
    EXPECT_EQ(copy.text, row.duplicated ? nullptr : shared);
    TaggedItemFree(&row.source);
  }
}

TEST(TaggedItemTest, CopyOfNullIsKindOneWithNullText) {
  TaggedItem copy = TaggedItemCopy(nullptr);
  EXPECT_EQ(copy.value, 0u);
  EXPECT_EQ(copy.kind, 1u);
  EXPECT_EQ(copy.text, nullptr);
  TaggedItemFree(nullptr);
}

TEST(TaggedItemTest, ListCopyDuplicatesOnlyKindOneTexts) {
  char shared[] = "host's";
  TaggedItemList source = ListOf<TaggedItemList>(ListAlloc16(2));
  source.items[0] = {1, 0, shared};
  source.items[1] = {2, 1, HeapString("second")};
  TaggedItemList copy = TaggedItemListCopy(&source);
  ASSERT_EQ(copy.count, 2u);
  EXPECT_EQ(copy.items[0].text, shared);
  EXPECT_NE(copy.items[1].text, source.items[1].text);
  EXPECT_STREQ(copy.items[1].text, "second");
  TaggedItemListFree(&source);
  EXPECT_STREQ(copy.items[1].text, "second");
  TaggedItemListFree(&copy);
  TaggedItemListFree(&copy);
  EXPECT_EQ(copy.count, 0u);
  EXPECT_EQ(copy.items, nullptr);
}

TEST(TaggedItemTest, ListCopyOfNothingIsEmptyWithOneSlot) {
  TaggedItemList nullItems{4, nullptr};
  for (const TaggedItemList* source : {static_cast<const TaggedItemList*>(nullptr),
                                       static_cast<const TaggedItemList*>(&nullItems)}) {
    AllocationRecorder recorder;
    TaggedItemList copy = TaggedItemListCopy(source);
    EXPECT_EQ(copy.count, 0u);
    EXPECT_NE(copy.items, nullptr);
    EXPECT_EQ(recorder.last(), sizeof(TaggedItem));
    TaggedItemListFree(&copy);
  }
}

TEST(TaggedItemTest, ListCopyUnderEveryRefusalLeaksNothing) {
  TaggedItemList source = ListOf<TaggedItemList>(ListAlloc16(3));
  for (uint32_t i = 0; i < 3; ++i) source.items[i] = {i, 1, HeapString("t")};
  for (long allowed = 0; allowed <= 4; ++allowed) {
    SCOPED_TRACE(allowed);
    TaggedItemList copy;
    {
      ScopedAllocationFailure refuse(allowed);
      copy = TaggedItemListCopy(&source);
    }
    if (allowed == 0) {
      EXPECT_EQ(copy.count, 0u);  // unlike the other copies, the count goes too
      EXPECT_EQ(copy.items, nullptr);
    } else {
      ASSERT_EQ(copy.count, 3u);
      for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(copy.items[i].value, i);
        bool reached = static_cast<long>(i) < allowed - 1;  // first to last
        EXPECT_EQ(copy.items[i].text != nullptr, reached);
      }
    }
    TaggedItemListFree(&copy);
  }
  TaggedItemListFree(&source);
}

TEST(CompactValueTest, FreeReleasesOnlyStringPayloadsAndKeepsTheCount) {
  char* hostString = HeapString("not a string payload");
  CompactValueList list = ListOf<CompactValueList>(ListAlloc24(2));
  list.items[0] = {11, PropInt, {}};
  list.items[0].payload.text = hostString;  // code 1: 8 bytes the library leaves alone
  list.items[1] = {12, PropString, {}};
  list.items[1].payload.text = HeapString("owned");
  CompactValueListFree(&list);
  EXPECT_EQ(list.count, 2u);
  EXPECT_EQ(list.items, nullptr);
  CompactValueListFree(&list);  // reads as empty now
  EXPECT_EQ(list.count, 2u);
  CompactValueListFree(nullptr);
  EXPECT_STREQ(hostString, "not a string payload");
  MemFree(hostString);
}

TEST(CompactValueTest, FreeLeavesAListOfCountZeroUntouched) {
  CompactValueList list = ListOf<CompactValueList>(ListAlloc24(0));
  CompactValue* block = list.items;
  ASSERT_EQ(list.count, 0u);
  ASSERT_NE(block, nullptr);
  CompactValueListFree(&list);  // the block may still be the caller's
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.items, block);
  MemFree(block);
}
