// Notification 75: its text split into fields, through the sink and directly.
#include <random>
#include <string>
#include <vector>

#include "bridge/notify_fields.h"
#include "platform/platform_calls.h"
#include "tests/bridge/bridge_fixture.h"
#include "tests/support/fault_injection.h"

namespace {

using Fields = std::vector<std::optional<std::string>>;
constexpr auto kNull = std::nullopt;

// n segments "s1" ... "sn" joined by 0x1E.
std::string Segments(int n) {
  std::string text;
  for (int i = 1; i <= n; ++i) {
    if (i > 1) text += kNotifyFieldSeparator;
    text += "s" + std::to_string(i);
  }
  return text;
}

Fields SegmentFields(int n) {
  Fields fields;
  for (int i = 1; i <= n; ++i) fields.push_back("s" + std::to_string(i));
  while (fields.size() < 6) fields.push_back(kNull);
  return fields;
}

using NotifyFieldsTest = BridgeTest;

TEST_F(NotifyFieldsTest, Splitting) {
  const std::string a2b = std::string("a") + kNotifyFieldSeparator + kNotifyFieldSeparator + "b";
  const std::string trailing = std::string("a") + kNotifyFieldSeparator;
  const std::string six = Segments(6), seven = Segments(7), twentyThree = Segments(23);
  const struct {
    int line;
    const char* text;
    Fields fields;
    uint32_t more;
  } rows[] = {
      {__LINE__, a2b.c_str(), {"a", "", "b", kNull, kNull, kNull}, 0},
      {__LINE__, trailing.c_str(), {"a", "", kNull, kNull, kNull, kNull}, 0},
      {__LINE__, "", {"", kNull, kNull, kNull, kNull, kNull}, 0},
      {__LINE__, nullptr, {"", kNull, kNull, kNull, kNull, kNull}, 0},
      {__LINE__, "\x1e", {"", "", kNull, kNull, kNull, kNull}, 0},
      {__LINE__, "plain", {"plain", kNull, kNull, kNull, kNull, kNull}, 0},
      {__LINE__, six.c_str(), SegmentFields(6), 0},
      {__LINE__, seven.c_str(), SegmentFields(7), 1},
      {__LINE__, twentyThree.c_str(), SegmentFields(23), 17},
  };
  ASSERT_EQ(Connect(), 0);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    g_recorder.calls.clear();
    EXPECT_EQ(host.SendNotify(kNotifyFields, 5, row.text, 9), S_OK);
    ASSERT_EQ(g_recorder.calls.size(), 1u);
    const RecordedCall& call = g_recorder.calls[0];
    EXPECT_EQ(call.a, kNotifyFields);
    EXPECT_EQ(call.b, 5);
    EXPECT_EQ(call.c, 9);
    EXPECT_EQ(call.fields, row.fields);
    EXPECT_EQ(call.moreCount, row.more);
  }
}

// Notes the element counts of every pointer array the library asks for.
std::vector<size_t> g_pointerArrays;
void* (*g_realCalloc)(size_t, size_t) = nullptr;
void* SpyCalloc(size_t count, size_t bytes) {
  if (bytes == sizeof(char*)) g_pointerArrays.push_back(count);
  return g_realCalloc(count, bytes);
}

TEST_F(NotifyFieldsTest, FurtherFieldsGrowSixteenAtATime) {
  const struct {
    int line;
    int segments;
    std::vector<size_t> arrays;  // the sizes of the arrays allocated, in order
  } rows[] = {
      {__LINE__, 6, {}},        {__LINE__, 7, {16}},          {__LINE__, 22, {16}},
      {__LINE__, 23, {16, 32}}, {__LINE__, 39, {16, 32, 48}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    std::string text = Segments(row.segments);
    g_pointerArrays.clear();
    PlatformCalls saved = g_platformCalls;
    g_realCalloc = saved.Calloc;
    g_platformCalls.Calloc = SpyCalloc;
    NotifyFieldRecord* record = NotifyFieldsSplit(text.c_str());
    g_platformCalls = saved;
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(g_pointerArrays, row.arrays);
    EXPECT_EQ(record->count, static_cast<uint32_t>(row.segments > 6 ? row.segments - 6 : 0));
    if (record->count > 0) {
      EXPECT_STREQ(record->more[record->count - 1], ("s" + std::to_string(row.segments)).c_str());
    }
    NotifyFieldsFree(record);
  }
}

TEST_F(NotifyFieldsTest, RefusedAllocationSkipsTheCallback) {
  // 1 record + 23 strings + 2 arrays: every budget short of that fails cleanly.
  const std::string text = Segments(23);
  constexpr long kNeeded = 26;
  for (long allowed = 0; allowed <= kNeeded; ++allowed) {
    SCOPED_TRACE(allowed);
    g_recorder.calls.clear();
    {
      ScopedAllocationFailure refuse(allowed);
      ClientNotifyDirect(3, text.c_str(), 4);
    }
    EXPECT_EQ(g_recorder.calls.size(), allowed == kNeeded ? 1u : 0u);
  }
}

TEST_F(NotifyFieldsTest, DirectWithoutSink) {
  ClientNotifyDirect(8, "x\x1ey", 2);
  ASSERT_EQ(g_recorder.calls.size(), 1u);
  EXPECT_EQ(g_recorder.calls[0].fields, (Fields{"x", "y", kNull, kNull, kNull, kNull}));
  NotifyFieldsFree(nullptr);
}

}  // namespace

namespace {

// The fields of text as a plain reading of the rule gives them: split at every separator.
std::vector<std::string> ReferenceSplit(const std::string& text) {
  std::vector<std::string> fields(1);
  for (char c : text) {
    if (c == kNotifyFieldSeparator) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

TEST(NotifyFieldsRandomTest, AgreesWithAPlainSplit) {
  std::mt19937 random(20261208);
  const char alphabet[] = {'a', 'b', kNotifyFieldSeparator, kNotifyFieldSeparator, ' ', '\xFF'};
  for (int round = 0; round < 2000; ++round) {
    SCOPED_TRACE(round);
    std::string text;
    size_t length = random() % 80;
    for (size_t i = 0; i < length; ++i) text += alphabet[random() % sizeof alphabet];
    std::vector<std::string> expected = ReferenceSplit(text);
    NotifyFieldRecord* record = NotifyFieldsSplit(text.c_str());
    ASSERT_NE(record, nullptr);
    std::vector<std::string> actual;
    for (const char* field : record->fields) {
      if (field != nullptr) actual.push_back(field);
    }
    for (uint32_t i = 0; i < record->count; ++i) actual.push_back(record->more[i]);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(record->count, expected.size() > 6 ? expected.size() - 6 : 0u);
    NotifyFieldsFree(record);
  }
}

}  // namespace
