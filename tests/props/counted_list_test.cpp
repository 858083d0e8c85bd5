// Counted lists: allocation, plain and string list copies, release, and string list growth.
#include "props/counted_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/props/props_test_support.h"
#include "tests/support/fault_injection.h"

namespace {

bool AllZero(const void* block, size_t bytes) {
  const auto* p = static_cast<const uint8_t*>(block);
  for (size_t i = 0; i < bytes; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

}  // namespace

TEST(ListAllocTest, ZeroFilledBlocksOfTheAskedSize) {
  struct Row {
    int line;
    CountedList (*alloc)(uint32_t);
    uint32_t n;
    size_t expectedBytes;  // what the heap is asked for
  };
  const Row rows[] = {
      {__LINE__, ListAlloc16, 0, 16},  // at least one item, count still 0
      {__LINE__, ListAlloc16, 1, 16}, {__LINE__, ListAlloc16, 5, 80},
      {__LINE__, ListAlloc24, 1, 24}, {__LINE__, ListAlloc24, 7, 168},
      {__LINE__, ListAlloc32, 1, 32}, {__LINE__, ListAlloc32, 9, 288},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    CountedList list;
    {
      AllocationRecorder recorder;
      list = row.alloc(row.n);
      ASSERT_EQ(recorder.sizes().size(), 1u);
      EXPECT_EQ(recorder.last(), row.expectedBytes);
    }
    EXPECT_EQ(list.count, row.n);
    ASSERT_NE(list.items, nullptr);
    EXPECT_TRUE(AllZero(list.items, row.expectedBytes));
    PlainListFree(&list);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.items, nullptr);
  }
}

TEST(ListAllocTest, RefusedBlockGivesTheEmptyList) {
  ScopedAllocationFailure refuse(0);
  for (auto alloc : {ListAlloc16, ListAlloc24, ListAlloc32}) {
    CountedList list = alloc(4);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.items, nullptr);
  }
}

TEST(ListAllocTest, ListOfKeepsCountAndBlock) {
  CountedList raw = ListAlloc16(3);
  Block16List typed = ListOf<Block16List>(raw);
  EXPECT_EQ(typed.count, 3u);
  EXPECT_EQ(static_cast<void*>(typed.items), raw.items);
  PlainListFree(&typed);
}

// Every plain list copies bit for bit into a block of its own, whatever its item width.
template <typename List>
class PlainListCopyTest : public ::testing::Test {};
using PlainLists = ::testing::Types<ByteList, IntList, QwordList, Block16List>;
TYPED_TEST_SUITE(PlainListCopyTest, PlainLists);

template <typename List>
List CopyOf(const List* list) {
  if constexpr (std::is_same_v<List, ByteList>) return ByteListCopy(list);
  if constexpr (std::is_same_v<List, IntList>) return IntListCopy(list);
  if constexpr (std::is_same_v<List, QwordList>) return QwordListCopy(list);
  if constexpr (std::is_same_v<List, Block16List>) return Block16ListCopy(list);
}

TYPED_TEST(PlainListCopyTest, CopiesSurviveTheirSource) {
  using Item = std::remove_pointer_t<decltype(TypeParam::items)>;
  std::mt19937 random(20240611);
  for (uint32_t n : {1u, 2u, 17u, 300u}) {
    SCOPED_TRACE(n);
    TypeParam source{n, static_cast<Item*>(MemCalloc(n, sizeof(Item), kMemFatal))};
    auto* bytes = reinterpret_cast<uint8_t*>(source.items);
    for (size_t i = 0; i < n * sizeof(Item); ++i) bytes[i] = static_cast<uint8_t>(random());
    std::vector<uint8_t> expected(bytes, bytes + n * sizeof(Item));

    TypeParam copy = CopyOf(&source);
    PlainListFree(&source);
    ASSERT_EQ(copy.count, n);
    ASSERT_NE(copy.items, nullptr);
    EXPECT_EQ(std::memcmp(copy.items, expected.data(), expected.size()), 0);
    PlainListFree(&copy);
  }
}

TYPED_TEST(PlainListCopyTest, NullItemsGiveAZeroFilledBlockOfTheSameCount) {
  using Item = std::remove_pointer_t<decltype(TypeParam::items)>;
  TypeParam source{3, nullptr};
  TypeParam copy;
  {
    AllocationRecorder recorder;
    copy = CopyOf(&source);
    EXPECT_EQ(recorder.last(), 3 * sizeof(Item));
  }
  EXPECT_EQ(copy.count, 3u);
  ASSERT_NE(copy.items, nullptr);
  EXPECT_TRUE(AllZero(copy.items, 3 * sizeof(Item)));
  PlainListFree(&copy);
}

TYPED_TEST(PlainListCopyTest, RefusedBlockKeepsTheCountWithNullItems) {
  using Item = std::remove_pointer_t<decltype(TypeParam::items)>;
  TypeParam source{2, static_cast<Item*>(MemCalloc(2, sizeof(Item), kMemFatal))};
  TypeParam copy;
  {
    ScopedAllocationFailure refuse(0);
    copy = CopyOf(&source);
  }
  EXPECT_EQ(copy.count, 2u);
  EXPECT_EQ(copy.items, nullptr);
  PlainListFree(&copy);  // reads as empty: nothing to release
  EXPECT_EQ(copy.count, 0u);
  PlainListFree(&source);
}

TYPED_TEST(PlainListCopyTest, NullSourceIsABrokenInvariant) {
  EXPECT_EQ(RaisedCode([] { CopyOf<TypeParam>(nullptr); }), 1);
}

TYPED_TEST(PlainListCopyTest, ReleasingTwiceOrNothingIsHarmless) {
  using Item = std::remove_pointer_t<decltype(TypeParam::items)>;
  TypeParam list{4, static_cast<Item*>(MemCalloc(4, sizeof(Item), kMemFatal))};
  PlainListFree(&list);
  PlainListFree(&list);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.items, nullptr);
  PlainListFree(static_cast<TypeParam*>(nullptr));
  TypeParam countOnly{9, nullptr};
  PlainListFree(&countOnly);
  EXPECT_EQ(countOnly.count, 0u);
}

TEST(StringListTest, CopyDuplicatesEveryStringAndSurvivesItsSource) {
  StringList source = MakeStringList({"alpha", "", "gamma delta", nullptr});
  StringList copy = StringListCopy(&source);
  ExpectSameStrings(source, copy);
  StringListFree(&source);
  EXPECT_STREQ(copy.items[0], "alpha");
  EXPECT_STREQ(copy.items[3], "");  // a null string becomes a new empty string
  StringListFree(&copy);
}

TEST(StringListTest, CopyOfNullItemsKeepsTheCount) {
  StringList source{2, nullptr};
  StringList copy = StringListCopy(&source);
  EXPECT_EQ(copy.count, 2u);
  ASSERT_NE(copy.items, nullptr);
  EXPECT_EQ(copy.items[0], nullptr);
  EXPECT_EQ(copy.items[1], nullptr);
  StringListFree(&copy);
}

TEST(StringListTest, CopyUnderEveryRefusalLeaksNothing) {
  StringList source = MakeStringList({"one", nullptr, "three"});
  for (long allowed = 0; allowed <= 4; ++allowed) {
    SCOPED_TRACE(allowed);
    StringList copy;
    {
      ScopedAllocationFailure refuse(allowed);
      copy = StringListCopy(&source);
    }
    EXPECT_EQ(copy.count, 3u);
    if (allowed == 0) {
      EXPECT_EQ(copy.items, nullptr);
    } else {
      // Strings are copied last to first: the ones the budget did not reach are null.
      ASSERT_NE(copy.items, nullptr);
      for (uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        bool reached = static_cast<long>(3 - i) <= allowed - 1;
        if (reached) {
          ASSERT_NE(copy.items[i], nullptr);
          EXPECT_STREQ(copy.items[i], source.items[i] == nullptr ? "" : source.items[i]);
        } else {
          EXPECT_EQ(copy.items[i], nullptr);
        }
      }
    }
    StringListFree(&copy);
  }
  StringListFree(&source);
}

TEST(StringListTest, FreeReleasesEveryStringOnceAndLeavesTheEmptyList) {
  StringList list = MakeStringList({"a", nullptr, "c"});
  StringListFree(&list);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.items, nullptr);
  StringListFree(&list);
  StringListFree(nullptr);
  StringList countOnly{5, nullptr};
  StringListFree(&countOnly);
  EXPECT_EQ(countOnly.count, 0u);
}

TEST(StringListAppendTest, GrowsInStepsOfSixteenAndAdoptsTheStrings) {
  StringList list{0, nullptr};
  std::vector<char*> appended;
  struct Row {
    int line;
    uint32_t countBefore;
    size_t expectedBlock;  // bytes of the block after the append
  };
  const Row rows[] = {
      {__LINE__, 0, 16 * sizeof(char*)},  {__LINE__, 1, 16 * sizeof(char*)},
      {__LINE__, 15, 16 * sizeof(char*)}, {__LINE__, 16, 32 * sizeof(char*)},
      {__LINE__, 17, 32 * sizeof(char*)}, {__LINE__, 31, 32 * sizeof(char*)},
      {__LINE__, 32, 48 * sizeof(char*)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    while (list.count < row.countBefore) {
      char* text = HeapString(std::to_string(list.count).c_str());
      appended.push_back(text);
      StringListAppend(&list, text);
    }
    char* text = HeapString(std::to_string(list.count).c_str());
    appended.push_back(text);
    {
      AllocationRecorder recorder;
      StringListAppend(&list, text);
      ASSERT_EQ(recorder.sizes().size(), 1u);
      EXPECT_EQ(recorder.last(), row.expectedBlock);
    }
    ASSERT_EQ(list.count, row.countBefore + 1);
  }
  for (uint32_t i = 0; i < list.count; ++i) EXPECT_EQ(list.items[i], appended[i]);  // not copied
  StringListFree(&list);  // releases every adopted string: the sanitizer sees no leak
}

TEST(StringListAppendTest, SixteenthAndSeventeenthAppendsMoveThePointers) {
  StringList list{0, nullptr};
  for (int i = 0; i < 17; ++i) StringListAppend(&list, HeapString(std::to_string(i).c_str()));
  ASSERT_EQ(list.count, 17u);
  for (int i = 0; i < 17; ++i) EXPECT_STREQ(list.items[i], std::to_string(i).c_str());
  StringListFree(&list);
}

TEST(StringListAppendTest, AppendsToACopiedListStayInsideTheBlock) {
  // A copy of 5 strings has exactly 5 slots: growing only at multiples of 16 would write past it.
  StringList source = MakeStringList({"a", "b", "c", "d", "e"});
  StringList copy = StringListCopy(&source);
  StringListFree(&source);
  for (int i = 0; i < 14; ++i) StringListAppend(&copy, HeapString("more"));
  ASSERT_EQ(copy.count, 19u);
  EXPECT_STREQ(copy.items[4], "e");
  EXPECT_STREQ(copy.items[5], "more");
  EXPECT_STREQ(copy.items[18], "more");
  StringListFree(&copy);
}

TEST(StringListAppendTest, NullItemsCountAsEmpty) {
  StringList list{7, nullptr};
  StringListAppend(&list, HeapString("x"));
  ASSERT_EQ(list.count, 1u);
  EXPECT_STREQ(list.items[0], "x");
  StringListFree(&list);
}

TEST(StringListAppendTest, RefusedGrowthAppendsNothingAndLeavesTheStringToTheCaller) {
  StringList list = MakeStringList({"kept"});
  char* text = HeapString("mine");
  {
    ScopedAllocationFailure refuse(0);
    StringListAppend(&list, text);
  }
  ASSERT_EQ(list.count, 1u);
  EXPECT_STREQ(list.items[0], "kept");
  MemFree(text);
  StringListFree(&list);
}

TEST(StringListAppendTest, NullListIsABrokenInvariant) {
  EXPECT_EQ(RaisedCode([] { StringListAppend(nullptr, nullptr); }), 1);
}
