// The slot table against the host's published layout, stated here on its own: which slots each
// interface wraps, which convert their code, return -1 on failure, answer a truth value, come in
// pairs, keep their list, and which deliver strings or structured results. The walk over every
// wrapper takes each shape's promise from the table, so the table itself is checked here.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "bridge/host_wrappers.h"

namespace {

struct Row {
  int index;
  int slot;
  const char* wrapper;
  HostShape shape;
  bool string;      // the result is a string (or two)
  bool structured;  // the result is a record, a list or a typed value
  const std::type_info* type;
};

template <typename T>
constexpr bool kIsString = std::is_same_v<T, char*>;
template <typename T>
constexpr bool kIsStructured = !std::is_void_v<T> && !std::is_arithmetic_v<T> && !kIsString<T>;

template <typename T>
const std::type_info* TypeOf() {
  if constexpr (std::is_void_v<T>) {
    return nullptr;
  } else {
    return &typeid(T);
  }
}

const Row kRows[] = {
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params)               \
  {k##Interface##Index, slot,          #Wrapper, HostShape::k##Shape, kIsString<Type>, \
   kIsStructured<Type>, TypeOf<Type>()},
#include "bridge/host_slots.inc"
};

using Slots = std::map<int, std::set<int>>;  // interface index -> slots

std::set<int> Range(int first, int last) {
  std::set<int> slots;
  for (int s = first; s <= last; ++s) slots.insert(s);
  return slots;
}

// The slots the table has a row for: every wrapped slot, and slot 3 of the two interfaces whose
// slot 3 only the client's entry calls.
const Slots kWrapped = {
    {kHostApiExt1Index, Range(3, 20)},   {kHostApiExt2Index, Range(3, 20)},
    {kHostApiExt3Index, Range(3, 16)},   {kHostApiIndex, Range(3, 164)},
    {kHostApiExt4Index, Range(3, 14)},   {kHostApiExt5Index, Range(3, 3)},
    {kHostApiExt6Index, Range(3, 7)},    {kHostApiExt7Index, Range(3, 5)},
    {kHostApiExt8Index, Range(3, 4)},    {kHostApiExt9Index, Range(3, 13)},
    {kHostApiExt10Index, Range(3, 47)},  {kHostApiExt11Index, Range(3, 48)},
    {kHostApiExt12Index, Range(3, 17)},  {kHostApiExt13Index, Range(3, 3)},
    {kHostApiExt14Index, Range(3, 53)},  {kHostMemoryPolicyIndex, Range(3, 4)},
    {kHostModuleLinkIndex, Range(3, 7)}, {kHostAuxiliaryIndex, Range(3, 3)},
};

const Slots kStartup = {{kHostMemoryPolicyIndex, {3}}, {kHostModuleLinkIndex, {3}}};
const Slots kPolicy = {{kHostMemoryPolicyIndex, {4}}};
const Slots kOptional = {{kHostModuleLinkIndex, {4, 5, 6, 7}}, {kHostAuxiliaryIndex, {3}}};
const Slots kConverting = {{kHostApiIndex, {21, 22, 23, 25, 26}},
                           {kHostApiExt9Index, {4, 13}},
                           {kHostApiExt10Index, {30}}};
const Slots kConvertingWithResults = {
    {kHostApiIndex, {22, 25}}, {kHostApiExt9Index, {4, 13}}, {kHostApiExt10Index, {30}}};
const Slots kMinusOne = {{kHostApiIndex, {4, 27, 154, 161, 162, 163}}, {kHostApiExt14Index, {3}}};
const Slots kTruth = {{kHostApiIndex, {78}}};
const Slots kPairs = {{kHostApiIndex, {159, 160}}};
const Slots kKept = {{kHostApiIndex, {32, 33, 37, 55}},
                     {kHostApiExt5Index, {3}},
                     {kHostApiExt11Index, {25}},
                     {kHostApiExt12Index, {12}},
                     {kHostApiExt14Index, {48}}};
const Slots kStrings = {
    {kHostApiExt1Index, {10}},          {kHostApiExt2Index, {3, 16}},
    {kHostApiExt3Index, {14}},          {kHostApiIndex, {22, 25, 43, 44, 45, 97, 155, 156}},
    {kHostApiExt4Index, {6, 8}},        {kHostApiExt8Index, {4}},
    {kHostApiExt9Index, {4, 13}},       {kHostApiExt10Index, {19, 28, 30, 32, 37, 38, 39, 47}},
    {kHostApiExt11Index, {26, 39}},     {kHostApiExt12Index, {13}},
    {kHostApiExt14Index, {16, 18, 46}},
};
const Slots kStructured = {
    {kHostApiExt1Index, {4, 7, 18}},
    {kHostApiExt2Index, {12, 15}},
    {kHostApiIndex, {32,  33,  37,  55,  41,  79,  81,  83,  87,  95,  99,  101, 103, 105, 107,
                     109, 110, 111, 112, 113, 115, 116, 118, 120, 141, 143, 145, 148, 157}},
    {kHostApiExt4Index, {3, 4, 10}},
    {kHostApiExt5Index, {3}},
    {kHostApiExt9Index, {8}},
    {kHostApiExt10Index, {18, 40, 44}},
    {kHostApiExt11Index, {25, 6, 8, 14, 16, 20, 22, 23, 24, 31, 32, 34, 45}},
    {kHostApiExt12Index, {12, 3, 16}},
    {kHostApiExt14Index, {48, 4}},
};

bool In(const Slots& slots, const Row& row) {
  auto it = slots.find(row.index);
  return it != slots.end() && it->second.count(row.slot) != 0;
}

TEST(SlotFamiliesTest, EveryPublishedSlotHasItsRowsInOrder) {
  std::map<std::pair<int, int>, int> rows;  // {index, slot} -> rows
  int lastIndex = -1;
  int lastSlot = 0;
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.wrapper);
    ++rows[{row.index, row.slot}];
    // Interfaces in the client's table order, slots ascending within each.
    EXPECT_TRUE(row.index > lastIndex || (row.index == lastIndex && row.slot >= lastSlot));
    lastIndex = row.index;
    lastSlot = row.slot;
  }
  size_t published = 0;
  for (const auto& [index, slots] : kWrapped) {
    for (int slot : slots) {
      SCOPED_TRACE(std::to_string(index) + ":" + std::to_string(slot));
      ++published;
      EXPECT_EQ(rows[std::make_pair(index, slot)], 1);  // a Pair row stands for its two wrappers
    }
  }
  EXPECT_EQ(rows.size(), published);  // no row for a slot the host does not publish
  // 412 wrappers: a wrapper per row, none for the entry's own two rows, two for a pair's.
  size_t wrappers = 0;
  for (const Row& row : kRows) {
    wrappers += row.shape == HostShape::kStartup ? 0 : row.shape == HostShape::kPair ? 2 : 1;
  }
  EXPECT_EQ(wrappers, 412u);
}

TEST(SlotFamiliesTest, EachShapeSitsOnThePublishedSlots) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.wrapper);
    const HostShape s = row.shape;
    EXPECT_EQ(s == HostShape::kStartup, In(kStartup, row));
    EXPECT_EQ(s == HostShape::kPolicy, In(kPolicy, row));
    EXPECT_EQ(s == HostShape::kOptional, In(kOptional, row));
    EXPECT_EQ(s == HostShape::kConvert || s == HostShape::kConvertResult, In(kConverting, row));
    EXPECT_EQ(s == HostShape::kConvertResult, In(kConvertingWithResults, row));
    EXPECT_EQ(s == HostShape::kValueOrMinus1, In(kMinusOne, row));
    EXPECT_EQ(s == HostShape::kTruth, In(kTruth, row));
    EXPECT_EQ(s == HostShape::kPair, In(kPairs, row));
    EXPECT_EQ(s == HostShape::kKept, In(kKept, row));
    // The code-converting calls' results count as string results, a string or a StringList.
    const bool strings = row.string || (s == HostShape::kConvertResult && row.type != nullptr &&
                                        *row.type == typeid(StringList));
    EXPECT_EQ(strings, In(kStrings, row));
    EXPECT_EQ(row.structured && !strings, In(kStructured, row));
  }
}

// The property slots of HostApi: the value each getter delivers.
TEST(SlotFamiliesTest, PropertyGettersDeliverTheirValues) {
  const std::map<int, const std::type_info*> getters = {
      {79, &typeid(TypedValue)},
      {81, &typeid(PropertyValue)},
      {85, &typeid(int32_t)},
      {87, &typeid(IntList)},
      {89, &typeid(ObjectId)},
      {91, &typeid(uint32_t)},
      {93, &typeid(uint64_t)},
      {95, &typeid(Block16)},
      {97, &typeid(char*)},
      {99, &typeid(StringList)},
      {101, &typeid(IntList)},
      {103, &typeid(QwordList)},
      {105, &typeid(TextEntryList)},
      {107, &typeid(ByteList)},
      {113, &typeid(QwordList)},
      {116, &typeid(CompoundEntryList)},
      {118, &typeid(NamedStringsList)},
      {120, &typeid(HostRecord24)},
      {141, &typeid(TypedValue)},
      {143, &typeid(PropertyValue)},
  };
  const std::set<int> setters = {80,  86,  88,  90,  92,  94,  96,  98, 100,
                                 102, 104, 106, 108, 117, 119, 121, 142};
  static_assert(sizeof(Block16) == 16 && sizeof(HostRecord24) == 24);
  int seen = 0;
  for (const Row& row : kRows) {
    if (row.index == kHostApiExt10Index && (row.slot == 44 || row.slot == 45)) {
      SCOPED_TRACE(row.wrapper);
      EXPECT_EQ(row.shape, row.slot == 44 ? HostShape::kGet : HostShape::kSet);
      if (row.slot == 44) {
        EXPECT_EQ(*row.type, typeid(NamedStringsPairList));
      }
      ++seen;
    }
    if (row.index != kHostApiIndex) continue;
    SCOPED_TRACE(row.wrapper);
    if (auto it = getters.find(row.slot); it != getters.end()) {
      EXPECT_EQ(row.shape, HostShape::kGet);
      ASSERT_NE(row.type, nullptr);
      EXPECT_EQ(*row.type, *it->second);
      ++seen;
    }
    if (setters.count(row.slot) != 0) {
      EXPECT_EQ(row.shape, HostShape::kSet);
      ++seen;
    }
    if (row.slot == 75) {
      EXPECT_EQ(row.shape, HostShape::kStatus);
    }
  }
  EXPECT_EQ(seen, static_cast<int>(getters.size() + setters.size() + 2));
}

}  // namespace
