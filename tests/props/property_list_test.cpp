// Property value lists: set, find, copy, release and the status bit set.
#include "props/property_list.h"

#include <gtest/gtest.h>

#include <cstring>

#include "bridge/host_errno.h"
#include "tests/props/props_test_support.h"
#include "tests/support/fault_injection.h"

namespace {

// Saves HostErrno and restores it, so tests can read what one call wrote.
class PropertyListTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = HostErrno; }
  void TearDown() override { HostErrno = saved_; }

 private:
  int32_t saved_ = 0;
};

// A list of n entries numbered 1..n holding PropInt 10 × number, built by appending.
PropertyValueList Numbered(uint32_t n) {
  PropertyValueList list{0, nullptr};
  for (uint32_t i = 1; i <= n; ++i) PropListSetInt(&list, static_cast<int32_t>(i), 10 * i);
  return list;
}

// A named entry in place, as the host or a caller filling a PropListAlloc list makes it.
void Name(PropertyValue* entry, const char* name, int32_t value) {
  entry->ident = {0, HeapString(name)};
  entry->value.valType = PropInt;
  entry->value.payload.intValue = value;
}

}  // namespace

TEST_F(PropertyListTest, AllocGivesZeroedEntries) {
  PropertyValueList list = PropListAlloc(3);
  ASSERT_EQ(list.count, 3u);
  ASSERT_NE(list.items, nullptr);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(list.items[i].ident.num, 0);
    EXPECT_EQ(list.items[i].ident.name, nullptr);
    EXPECT_EQ(list.items[i].value.valType, 0);
  }
  PropListFree(&list);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.items, nullptr);
  {
    ScopedAllocationFailure refuse(0);
    list = PropListAlloc(3);
  }
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.items, nullptr);
}

TEST_F(PropertyListTest, AppendsGrowToTheNextPowerOfTwoFromEight) {
  struct Row {
    int line;
    uint32_t allocated;  // entries made by PropListAlloc first (0: none)
    uint32_t appended;   // entries appended before the measured one
    size_t block;        // entries the block is resized to by the measured append
  };
  const Row rows[] = {
      {__LINE__, 0, 0, 8},  {__LINE__, 0, 6, 8},   {__LINE__, 0, 7, 8},
      {__LINE__, 0, 8, 16}, {__LINE__, 0, 15, 16}, {__LINE__, 0, 16, 32},
      {__LINE__, 3, 0, 8},  {__LINE__, 8, 0, 16},  {__LINE__, 0, 64, 128},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PropertyValueList list = PropListAlloc(row.allocated);
    for (uint32_t i = 0; i < row.allocated; ++i) list.items[i].ident.num = 1000 + i;
    for (uint32_t i = 1; i <= row.appended; ++i) PropListSetInt(&list, i, i);
    {
      AllocationRecorder recorder;
      PropListSetInt(&list, 999, 1);
      ASSERT_EQ(recorder.sizes().size(), 1u);  // every append reallocates
      EXPECT_EQ(recorder.last(), row.block * sizeof(PropertyValue));
    }
    uint32_t n = row.allocated + row.appended;
    ASSERT_EQ(list.count, n + 1);
    EXPECT_EQ(list.items[n].ident.num, 999);
    EXPECT_EQ(PropListFind(&list, 999), static_cast<int32_t>(n));
    PropListFree(&list);
  }
}

TEST_F(PropertyListTest, SettingANumberAgainReplacesItsValue) {
  PropertyValueList list = Numbered(3);
  PropListSetString(&list, 2, "first");
  PropListSetString(&list, 2, "second");  // the first copy is released: no leak
  ASSERT_EQ(list.count, 3u);
  EXPECT_EQ(list.items[1].value.valType, PropString);
  EXPECT_STREQ(list.items[1].value.payload.string, "second");
  PropListSetInt(&list, 2, 5);  // a different type replaces the string
  EXPECT_EQ(list.items[1].value.valType, PropInt);
  EXPECT_EQ(list.items[1].value.payload.intValue, 5);
  PropListFree(&list);
}

TEST_F(PropertyListTest, SettingNumberZeroReplacesTheFirstNamedEntryAndDropsItsName) {
  PropertyValueList list = PropListAlloc(3);
  list.items[0].ident.num = 4;
  Name(&list.items[1], "first name", 1);
  Name(&list.items[2], "second name", 2);
  EXPECT_EQ(PropListFind(&list, 0), 1);
  PropListSetInt(&list, 0, 77);
  EXPECT_EQ(list.items[1].ident.num, 0);
  EXPECT_EQ(list.items[1].ident.name, nullptr);  // released, not leaked
  EXPECT_EQ(list.items[1].value.payload.intValue, 77);
  EXPECT_STREQ(list.items[2].ident.name, "second name");
  PropListFree(&list);
}

TEST_F(PropertyListTest, ValuesFromInsideTheListAreCopiedBeforeTheListChanges) {
  PropertyValueList list{0, nullptr};
  for (int32_t i = 1; i <= 8; ++i)
    PropListSetString(&list, i, ("text " + std::to_string(i)).c_str());
  // Replacing an entry with its own value: the old one is released only after the copy.
  PropListSet(&list, 3, &list.items[2].value);
  EXPECT_STREQ(list.items[2].value.payload.string, "text 3");
  // Appending an entry's value: the reallocation to 16 entries moves the block it lives in.
  PropListSet(&list, 9, &list.items[0].value);
  ASSERT_EQ(list.count, 9u);
  EXPECT_STREQ(list.items[8].value.payload.string, "text 1");
  EXPECT_NE(list.items[8].value.payload.string, list.items[0].value.payload.string);
  PropListFree(&list);
}

TEST_F(PropertyListTest, RefusedGrowthLeavesTheListAndReports) {
  PropertyValueList list = Numbered(8);
  PropertyValue* items = list.items;
  HostErrno = 0;
  {
    ScopedAllocationFailure refuse(1);  // the string copy succeeds, the reallocation does not
    PropListSetString(&list, 100, "lost");
  }
  EXPECT_EQ(HostErrno, ErrPropNoMemory);
  EXPECT_EQ(list.count, 8u);
  EXPECT_EQ(list.items, items);
  EXPECT_EQ(list.items[7].value.payload.intValue, 80);
  PropListFree(&list);  // the copy of "lost" was released: the sanitizer sees no leak
}

TEST_F(PropertyListTest, NullItemsReadAsEmpty) {
  PropertyValueList list{5, nullptr};
  EXPECT_EQ(PropListFind(&list, 0), PropNotFound);
  PropertyValueList copy = PropListCopy(&list);
  EXPECT_EQ(copy.count, 0u);
  EXPECT_EQ(copy.items, nullptr);
  PropListSetInt(&list, 1, 1);
  ASSERT_EQ(list.count, 1u);
  EXPECT_EQ(list.items[0].ident.num, 1);
  PropListFree(&list);
  PropertyValueList countOnly{3, nullptr};
  PropListFree(&countOnly);
  EXPECT_EQ(countOnly.count, 0u);
  PropListFree(nullptr);
}

TEST_F(PropertyListTest, ConvenienceSettersStoreTheirOwnCopies) {
  PropertyValueList list{0, nullptr};
  char* text = HeapString("caller's");
  StringList strings = MakeStringList({"one", "two"});
  PropListSetString(&list, 1, text);
  PropListSetInt(&list, 2, -3);
  PropListSetFixed(&list, 3, 72 * 65536);
  PropListSetStrings(&list, 4, strings);
  PropListSetString(&list, 5, nullptr);
  MemFree(text);
  StringListFree(&strings);
  ASSERT_EQ(list.count, 5u);
  EXPECT_EQ(list.items[0].value.valType, PropString);
  EXPECT_STREQ(list.items[0].value.payload.string, "caller's");
  EXPECT_EQ(list.items[1].value.valType, PropInt);
  EXPECT_EQ(list.items[1].value.payload.intValue, -3);
  EXPECT_EQ(list.items[2].value.valType, PropFixed);
  EXPECT_EQ(list.items[2].value.payload.fixedValue, 4718592);
  EXPECT_EQ(list.items[3].value.valType, PropStrings);
  ASSERT_EQ(list.items[3].value.payload.strings.count, 2u);
  EXPECT_STREQ(list.items[3].value.payload.strings.items[1], "two");
  EXPECT_STREQ(list.items[4].value.payload.string, "");
  PropListFree(&list);
}

TEST_F(PropertyListTest, FindReturnsTheFirstMatch) {
  PropertyValueList list = PropListAlloc(4);
  int32_t nums[] = {7, 3, 7, 0};
  for (int i = 0; i < 4; ++i) list.items[i].ident.num = nums[i];
  struct Row {
    int line;
    int32_t num;
    int32_t expected;
  };
  const Row rows[] = {{__LINE__, 7, 0}, {__LINE__, 3, 1}, {__LINE__, 0, 3}, {__LINE__, 8, -4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(PropListFind(&list, row.num), row.expected);
  }
  EXPECT_EQ(PropListFind(nullptr, 7), PropNotFound);
  PropertyValueList empty{0, nullptr};
  EXPECT_EQ(PropListFind(&empty, 0), PropNotFound);
  PropListFree(&list);
}

TEST_F(PropertyListTest, CopyIsDeepAndSurvivesItsSource) {
  static const char kNumberedName[] = "not owned";
  PropertyValueList source = PropListAlloc(3);
  Name(&source.items[0], "named", 1);
  source.items[1].ident = {2, kNumberedName};  // a numbered ident's name is only a pointer
  source.items[1].value.valType = PropString;
  source.items[1].value.payload.string = HeapString("value");
  source.items[2].ident = {0, nullptr};  // named with a null name: the copy's stays null
  PropertyValueList copy = PropListCopy(&source);
  ASSERT_EQ(copy.count, 3u);
  EXPECT_NE(copy.items[0].ident.name, source.items[0].ident.name);
  EXPECT_EQ(copy.items[1].ident.name, kNumberedName);
  EXPECT_EQ(copy.items[2].ident.name, nullptr);
  PropListFree(&source);  // does not release the numbered entry's name
  EXPECT_STREQ(copy.items[0].ident.name, "named");
  EXPECT_STREQ(copy.items[1].value.payload.string, "value");
  EXPECT_EQ(PropListFind(&copy, 2), 1);
  PropListFree(&copy);
  PropListFree(&copy);  // twice is harmless
}

TEST_F(PropertyListTest, CopyOfNothingIsTheEmptyList) {
  PropertyValueList copy = PropListCopy(nullptr);
  EXPECT_EQ(copy.count, 0u);
  EXPECT_EQ(copy.items, nullptr);
}

TEST_F(PropertyListTest, CopyUnderEveryRefusalLeaksNothing) {
  PropertyValueList source = PropListAlloc(2);
  Name(&source.items[0], "n", 1);
  source.items[1].ident.num = 5;
  source.items[1].value.valType = PropStrings;
  source.items[1].value.payload.strings = MakeStringList({"a", "b"});
  for (long allowed = 0;; ++allowed) {
    SCOPED_TRACE(allowed);
    PropertyValueList copy;
    long refused;
    {
      ScopedAllocationFailure refuse(allowed);
      copy = PropListCopy(&source);
      refused = refuse.refused();
    }
    EXPECT_EQ(copy.count, allowed == 0 ? 0u : 2u);
    PropListFree(&copy);
    if (refused == 0) break;
  }
  PropListFree(&source);
}

TEST_F(PropertyListTest, StatusBitReadsTheSetUnderThreeOrElseOne) {
  IntList setThree{1, static_cast<int32_t*>(MemAlloc(4, kMemFatal))};
  setThree.items[0] = static_cast<int32_t>(0x80000001u);
  IntList setOne{2, static_cast<int32_t*>(MemCalloc(2, 4, kMemFatal))};
  setOne.items[1] = 0x4;  // bit 34
  TypedValue three{PropWords, {}};
  three.payload.words = setThree;
  TypedValue one{PropWords, {}};
  one.payload.words = setOne;

  PropertyValueList both{0, nullptr};
  PropListSet(&both, 1, &one);
  PropListSet(&both, 3, &three);
  PropertyValueList onlyOne{0, nullptr};
  PropListSet(&onlyOne, 1, &one);
  PropertyValueList neither = Numbered(2);
  neither.items[0].ident.num = 4;
  PropertyValueList scalar{0, nullptr};
  PropListSetInt(&scalar, 3, 1);  // reads as count 1 with null items
  PropertyValueList nullItems{0, nullptr};
  PropertyValueList strayCount{0, nullptr};
  PropListSetInt(&strayCount, 1, 5);
  // Byte lists hold only the bits of their bytes; blocks of exactly that size, so that the
  // sanitizer sees a read past them.
  auto byteSet = [](std::initializer_list<uint8_t> bytes) {
    TypedValue value{PropBytes, {}};
    value.payload.bytes = {static_cast<uint32_t>(bytes.size()),
                           static_cast<uint8_t*>(MemAlloc(bytes.size(), kMemFatal))};
    std::memcpy(value.payload.bytes.items, bytes.begin(), bytes.size());
    PropertyValueList list{0, nullptr};
    PropListSet(&list, 3, &value);
    MemFree(value.payload.bytes.items);
    return list;
  };
  PropertyValueList fourBytes = byteSet({0x01, 0, 0, 0x80});
  PropertyValueList fiveBytes = byteSet({0, 0, 0, 0, 0x82});

  struct Row {
    int line;
    const PropertyValueList* list;
    int32_t bit;
    int expected;
    int32_t errno_;  // HostErrno afterwards (set to 99 before)
  };
  const Row rows[] = {
      {__LINE__, &both, 0, 1, 99},       {__LINE__, &both, 1, 0, 99},
      {__LINE__, &both, 31, 1, 99},      {__LINE__, &both, 32, 0, -4},
      {__LINE__, &both, -1, 0, -4},      {__LINE__, &onlyOne, 34, 1, 99},
      {__LINE__, &onlyOne, 33, 0, 99},   {__LINE__, &onlyOne, 63, 0, 99},
      {__LINE__, &onlyOne, 64, 0, -4},   {__LINE__, &neither, 0, 0, -5},
      {__LINE__, nullptr, 0, 0, -5},     {__LINE__, &nullItems, 0, 0, -5},
      {__LINE__, &scalar, 0, 0, -4},     {__LINE__, &strayCount, 3, 0, -4},
      {__LINE__, &fourBytes, 0, 1, 99},  {__LINE__, &fourBytes, 31, 1, 99},
      {__LINE__, &fourBytes, 32, 0, -4}, {__LINE__, &fourBytes, 40, 0, -4},
      {__LINE__, &fiveBytes, 33, 1, 99}, {__LINE__, &fiveBytes, 39, 1, 99},
      {__LINE__, &fiveBytes, 38, 0, 99}, {__LINE__, &fiveBytes, 40, 0, -4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    HostErrno = 99;
    EXPECT_EQ(PropStatusBit(row.list, row.bit), row.expected);
    EXPECT_EQ(HostErrno, row.errno_);
  }
  for (PropertyValueList* list :
       {&both, &onlyOne, &neither, &scalar, &strayCount, &fourBytes, &fiveBytes}) {
    PropListFree(list);
  }
  PlainListFree(&setThree);
  PlainListFree(&setOne);
}

TEST_F(PropertyListTest, ValueAndIdentCopies) {
  PropertyValue none = PropValueCopy(nullptr);
  EXPECT_EQ(none.ident.num, 0);
  EXPECT_EQ(none.ident.name, nullptr);
  EXPECT_EQ(none.value.valType, PropInt);
  EXPECT_EQ(none.value.payload.intValue, 0);
  PropertyIdent noIdent = PropIdentCopy(nullptr);
  EXPECT_EQ(noIdent.num, 0);
  EXPECT_EQ(noIdent.name, nullptr);

  PropertyValue named{{0, HeapString("n")}, {PropString, {}}};
  named.value.payload.string = HeapString("v");
  PropertyValue copy = PropValueCopy(&named);
  PropValueFree(&named);
  EXPECT_EQ(named.ident.name, nullptr);
  EXPECT_EQ(named.value.payload.string, nullptr);
  EXPECT_STREQ(copy.ident.name, "n");
  EXPECT_STREQ(copy.value.payload.string, "v");
  PropValueFree(&copy);
  PropValueFree(nullptr);

  static const char kName[] = "static";
  PropertyIdent numbered{9, kName};
  PropertyIdent numberedCopy = PropIdentCopy(&numbered);
  EXPECT_EQ(numberedCopy.name, kName);
  PropIdentFree(&numberedCopy);  // a numbered ident is left alone
  EXPECT_EQ(numberedCopy.name, kName);
  PropIdentFree(nullptr);
}

TEST_F(PropertyListTest, NullListOrValueIsABrokenInvariant) {
  TypedValue value{PropInt, {}};
  PropertyValueList list{0, nullptr};
  EXPECT_EQ(RaisedCode([&] { PropListSet(nullptr, 1, &value); }), 1);
  EXPECT_EQ(RaisedCode([&] { PropListSet(&list, 1, nullptr); }), 1);
}
