// StrArray: growth, insertion and removal at the ends, lookups, and failure that leaves the
// array as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "strings/memory.h"
#include "strings/str_array.h"
#include "tests/support/fault_injection.h"

namespace {

// Owns an array for the length of a test.
struct Owned {
  StrArray* array;
  explicit Owned(StrArray* a) : array(a) {}
  ~Owned() { StrArrayClear(array); }
  StrArray* operator->() const { return array; }
  operator StrArray*() const { return array; }
};

// The items, checking on the way that the slots from count up to capacity are null.
std::vector<std::string> Items(const StrArray* array) {
  std::vector<std::string> out;
  for (uint32_t i = 0; i < array->count; ++i) {
    out.push_back(array->items[i] != nullptr ? array->items[i] : "<null>");
  }
  for (uint32_t i = array->count; i <= array->capacity; ++i) {
    EXPECT_EQ(array->items[i], nullptr) << "slot " << i;
  }
  return out;
}

using Strings = std::vector<std::string>;

Owned Make(const Strings& items, int capacity = 0, int growBy = 0) {
  Owned array(StrArrayNew(capacity, growBy));
  for (const std::string& s : items) EXPECT_EQ(StrArrayAppend(array, s.c_str()), 0);
  return array;
}

TEST(StrArray, GrowsByGrowByOrByWhatIsNeeded) {
  const struct {
    int line;
    int capacity;
    int growBy;
    std::vector<uint32_t> capacities;  // after each of the appends
  } kRows[] = {
      {__LINE__, 0, 0, {1, 2, 3, 4, 5}},  // exactly one slot per append
      {__LINE__, 0, 2, {2, 2, 4, 4, 6}},
      {__LINE__, 2, 0, {2, 2, 3, 4, 5}},
      {__LINE__, 1, 3, {1, 4, 4, 4, 7}},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Owned array(StrArrayNew(row.capacity, row.growBy));
    ASSERT_NE(array.array, nullptr);
    EXPECT_EQ(array->capacity, static_cast<uint32_t>(row.capacity));
    EXPECT_EQ(array->growBy, static_cast<uint32_t>(row.growBy));
    EXPECT_EQ(array->count, 0u);
    Strings expected;
    for (uint32_t want : row.capacities) {
      std::string item = "item" + std::to_string(expected.size());
      ASSERT_EQ(StrArrayAppend(array, item.c_str()), 0);
      expected.push_back(item);
      EXPECT_EQ(array->capacity, want);
      EXPECT_EQ(Items(array), expected);
    }
  }
}

TEST(StrArray, ItemsAreOwnedCopies) {
  char text[] = "abc";
  Owned array = Make({});
  ASSERT_EQ(StrArrayAppend(array, text), 0);
  text[0] = 'X';
  EXPECT_STREQ(StrArrayGet(array, 0), "abc");
  EXPECT_NE(StrArrayGet(array, 0), text);
  EXPECT_EQ(StrArrayAppend(array, nullptr), -1);
  EXPECT_EQ(StrArrayAppend(nullptr, "x"), -1);
  EXPECT_EQ(StrArrayCount(array), 1);
}

TEST(StrArray, NewRefusesNegativeSizes) {
  EXPECT_EQ(StrArrayNew(-1, 0), nullptr);
  EXPECT_EQ(StrArrayNew(0, -1), nullptr);
}

TEST(StrArray, InsertAtTheEndsAndInside) {
  const struct {
    int line;
    int index;
    int result;
    Strings expected;
  } kRows[] = {
      {__LINE__, 0, 0, {"new", "a", "b", "c"}}, {__LINE__, 1, 0, {"a", "new", "b", "c"}},
      {__LINE__, 3, 0, {"a", "b", "c", "new"}},  // index == count appends
      {__LINE__, 4, -1, {"a", "b", "c"}},        // checked before anything is appended
      {__LINE__, -1, -1, {"a", "b", "c"}},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Owned array = Make({"a", "b", "c"});
    EXPECT_EQ(StrArrayInsert(array, "new", row.index), row.result);
    EXPECT_EQ(Items(array), row.expected);
  }
  EXPECT_EQ(StrArrayInsert(nullptr, "x", 0), -1);
  Owned empty = Make({});
  EXPECT_EQ(StrArrayInsert(empty, "x", 0), 0);
  EXPECT_EQ(Items(empty), Strings{"x"});
}

TEST(StrArray, ReplaceAndRemoveAtTheEnds) {
  const struct {
    int line;
    bool remove;  // else replace by "new"
    int index;
    int result;
    Strings expected;
  } kRows[] = {
      {__LINE__, false, 0, 0, {"new", "b", "c"}}, {__LINE__, false, 2, 0, {"a", "b", "new"}},
      {__LINE__, false, 3, -1, {"a", "b", "c"}},  {__LINE__, false, -1, -1, {"a", "b", "c"}},
      {__LINE__, true, 0, 0, {"b", "c"}},         {__LINE__, true, 1, 0, {"a", "c"}},
      {__LINE__, true, 2, 0, {"a", "b"}},         {__LINE__, true, 3, -1, {"a", "b", "c"}},
      {__LINE__, true, -1, -1, {"a", "b", "c"}},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Owned array = Make({"a", "b", "c"});
    int result =
        row.remove ? StrArrayRemoveAt(array, row.index) : StrArrayReplace(array, "new", row.index);
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(Items(array), row.expected);
  }
}

TEST(StrArray, ReplaceWhoseCopyFailsLeavesTheSlotNull) {
  Owned array = Make({"a", "b"});
  {
    ScopedAllocationFailure refuse(0);
    EXPECT_EQ(StrArrayReplace(array, "new", 0), -1);
  }
  EXPECT_EQ(StrArrayGet(array, 0), nullptr);
  EXPECT_EQ(StrArrayIndexOf(array, "b"), 1);
  EXPECT_EQ(StrArrayIndexOf(array, ""), 0);  // the null slot reads as empty
}

TEST(StrArray, Lookups) {
  Owned array = Make({"Alpha", "beta", "alpha", "Beta"});
  const struct {
    int line;
    const char* s;
    int exact;
    int inexact;
  } kRows[] = {
      {__LINE__, "alpha", 2, 0},   {__LINE__, "Beta", 3, 1}, {__LINE__, "BETA", -1, 1},
      {__LINE__, "gamma", -1, -1}, {__LINE__, "", -1, -1},   {__LINE__, nullptr, -1, -1},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(StrArrayIndexOf(array, row.s), row.exact);
    EXPECT_EQ(StrArrayFind(array, row.s, 1), row.exact);
    EXPECT_EQ(StrArrayIIndexOf(array, row.s), row.inexact);
    EXPECT_EQ(StrArrayFind(array, row.s, 0), row.inexact);
  }
  EXPECT_EQ(StrArrayIndexOf(nullptr, "a"), -1);
  EXPECT_EQ(StrArrayRemove(array, "alpha"), 0);
  EXPECT_EQ(StrArrayRemove(array, "alpha"), -1);
  EXPECT_EQ(Items(array), (Strings{"Alpha", "beta", "Beta"}));
}

TEST(StrArray, AccessorsAndCopyItem) {
  Owned array = Make({"abcdef"});
  EXPECT_EQ(StrArrayCount(nullptr), 0);
  EXPECT_EQ(StrArrayItems(nullptr), nullptr);
  EXPECT_EQ(StrArrayItems(array), array->items);
  EXPECT_EQ(StrArrayGet(array, 1), nullptr);
  EXPECT_EQ(StrArrayGet(array, -1), nullptr);
  EXPECT_EQ(StrArrayGet(nullptr, 0), nullptr);
  char buffer[4] = "xyz";
  EXPECT_EQ(StrArrayCopyItem(array, 0, buffer, sizeof buffer), 3);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(StrArrayCopyItem(array, 5, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(StrArrayCopyItem(array, 0, buffer, 0), 0);  // no room: untouched
}

TEST(StrArray, ReserveGrowsOnlyWhenShort) {
  Owned array = Make({"a"}, 2, 10);
  EXPECT_EQ(StrArrayReserve(array, 2), 0);
  EXPECT_EQ(array->capacity, 2u);
  EXPECT_EQ(StrArrayReserve(array, -5), 0);
  EXPECT_EQ(StrArrayReserve(array, 3), 0);
  EXPECT_EQ(array->capacity, 12u);  // capacity + growBy
  EXPECT_EQ(StrArrayReserve(array, 40), 0);
  EXPECT_EQ(array->capacity, 40u);
  EXPECT_EQ(Items(array), Strings{"a"});
  EXPECT_EQ(StrArrayReserve(nullptr, 1), -1);
  EXPECT_EQ(StrArrayReserve(array, INT32_MAX), -1);  // more than the array can index
  EXPECT_EQ(array->capacity, 40u);
}

TEST(StrArray, AppendAll) {
  Owned array = Make({"a", "b"});
  Owned other = Make({"c", "d", "e"});
  EXPECT_EQ(StrArrayAppendAll(array, other), 0);
  EXPECT_EQ(Items(array), (Strings{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(Items(other), (Strings{"c", "d", "e"}));
  EXPECT_NE(array->items[2], other->items[0]);  // copies
  EXPECT_EQ(StrArrayAppendAll(array, nullptr), 0);
  Owned empty = Make({});
  EXPECT_EQ(StrArrayAppendAll(array, empty), 0);
  EXPECT_EQ(StrArrayCount(array), 5);
  EXPECT_EQ(StrArrayAppendAll(nullptr, other), -1);
  Owned self = Make({"x", "y"});
  EXPECT_EQ(StrArrayAppendAll(self, self), 0);
  EXPECT_EQ(Items(self), (Strings{"x", "y", "x", "y"}));
}

TEST(StrArray, AppendAllThatFailsLeavesTheArrayAsItWas) {
  // Budget: 0 refuses the growth, 1 lets the growth through and refuses the first copy, 2 the
  // second copy, and so on.
  for (long allowed = 0; allowed <= 3; ++allowed) {
    SCOPED_TRACE(allowed);
    Owned array = Make({"a", "b"}, 2, 0);
    Owned other = Make({"c", "d", "e"});
    std::vector<char*> before(array->items, array->items + array->count);
    {
      ScopedAllocationFailure refuse(allowed);
      EXPECT_EQ(StrArrayAppendAll(array, other), -1);
      EXPECT_GT(refuse.refused(), 0);
    }
    EXPECT_EQ(Items(array), (Strings{"a", "b"}));
    EXPECT_EQ(std::vector<char*>(array->items, array->items + array->count), before);
    EXPECT_EQ(StrArrayAppend(array, "f"), 0);  // still usable
    EXPECT_EQ(Items(array), (Strings{"a", "b", "f"}));
  }
}

TEST(StrArray, FailedAppendAndInsertChangeNothing) {
  Owned array = Make({"a"}, 1, 0);
  {
    ScopedAllocationFailure refuse(0);
    EXPECT_EQ(StrArrayAppend(array, "b"), -1);  // the copy is refused
    refuse.Allow(1);
    EXPECT_EQ(StrArrayInsert(array, "b", 0), -1);  // the copy passes, the growth is refused
  }
  EXPECT_EQ(Items(array), Strings{"a"});
}

TEST(StrArray, FreeItemsKeepsTheRecord) {
  StrArray* array = StrArrayNew(4, 1);
  ASSERT_EQ(StrArrayAppend(array, "a"), 0);
  StrArrayFreeItems(&array);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->capacity, 0u);
  EXPECT_EQ(array->count, 0u);
  EXPECT_EQ(StrArrayItems(array), nullptr);
  EXPECT_EQ(StrArrayIndexOf(array, "a"), -1);
  EXPECT_EQ(StrArrayAppend(array, "b"), 0);  // grows again from nothing
  EXPECT_EQ(Items(array), Strings{"b"});
  StrArrayDispose(&array);
  EXPECT_EQ(array, nullptr);
}

TEST(StrArray, NullArraysAreFatalForDisposeAndFreeItems) {
  StrArray* none = nullptr;
  EXPECT_EQ(RaisedCode([&] { StrArrayDispose(&none); }), 1);
  EXPECT_EQ(RaisedCode([&] { StrArrayFreeItems(&none); }), 1);
  EXPECT_EQ(RaisedCode([] { StrArrayDispose(nullptr); }), 1);
  EXPECT_EQ(RaisedCode([] { StrArrayFreeItems(nullptr); }), 1);
  StrArrayClear(nullptr);  // Clear tolerates null
}

TEST(StrArray, RefusedItemArrayIsFatal) {
  ScopedAllocationFailure refuse(0);
  EXPECT_EQ(RaisedCode([] { StrArrayNew(4, 1); }), 1);
  refuse.Allow(1);  // the item array passes, the record is refused
  EXPECT_EQ(StrArrayNew(4, 1), nullptr);
}

}  // namespace
