// Typed I/O: both byte orders round trip, swapped files hold the other order, sources stay as
// they were, and odd sizes and failures are handled.
#include "channel/typed_io.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <random>
#include <thread>
#include <vector>

#include "tests/channel/memory_stream.h"

namespace {

static_assert(std::endian::native == std::endian::little, "the expected bytes below are native");

// Runs call on a thread of its own and returns its result. A call that has not returned after
// a few seconds runs a loop without end: the program reports it and stops at once rather than
// wait for CTest's timeout.
int Bounded(int line, std::function<int()> call) {
  std::packaged_task<int()> task(std::move(call));
  std::future<int> result = task.get_future();
  std::thread(std::move(task)).detach();
  if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    std::fprintf(stderr, "%s:%d: the call never returned\n", __FILE__, line);
    std::fflush(stderr);
    std::_Exit(1);
  }
  return result.get();
}

TEST(TypedIo, SwappedSixteenBitValuesAreStoredBigEndian) {
  MemoryChannel channel;
  ChanSetSwappedOrder(channel.get());
  const int16_t values[] = {0x0102, 0x0304};
  EXPECT_EQ(ChanWriteInt16s(values, 2, channel.get()), 2);
  EXPECT_EQ(values[0], 0x0102);  // the source is untouched
  ChanFlush(channel.get());
  EXPECT_EQ(channel.stream.data, "\x01\x02\x03\x04");
  ChanSeek(channel.get(), 0, 0);
  int16_t back[2] = {};
  EXPECT_EQ(ChanReadInt16s(back, 2, channel.get()), 2);
  EXPECT_EQ(back[0], 0x0102);
  EXPECT_EQ(back[1], 0x0304);
  ChanSetNativeOrder(channel.get());
  ChanSeek(channel.get(), 0, 0);
  EXPECT_EQ(ChanReadInt16s(back, 2, channel.get()), 2);
  EXPECT_EQ(back[0], 0x0201);
}

// Random arrays in both orders: the file holds each item's bytes, reversed when swapped, and
// reading them back in the same order gives the values again.
TEST(TypedIo, RoundTripsInBothOrders) {
  std::mt19937 random(616);
  for (int round = 0; round < 60; ++round) {
    const bool swapped = round % 2 == 1;
    const int size = round % 4 < 2 ? 2 : 4;
    const int count = static_cast<int>(random() % 900);
    SCOPED_TRACE(testing::Message()
                 << "size " << size << " count " << count << " swapped " << swapped);
    std::vector<unsigned char> source(static_cast<size_t>(size) * count);
    for (auto& byte : source) byte = static_cast<unsigned char>(random());
    const std::vector<unsigned char> original = source;
    MemoryChannel channel;
    if (swapped) ChanSetSwappedOrder(channel.get());
    const int written = size == 2 ? ChanWriteInt16s(reinterpret_cast<const int16_t*>(source.data()),
                                                    count, channel.get())
                                  : ChanWriteInt32s(reinterpret_cast<const int32_t*>(source.data()),
                                                    count, channel.get());
    EXPECT_EQ(written, count);
    EXPECT_EQ(source, original);
    ASSERT_EQ(ChanFlush(channel.get()), 0);
    std::vector<unsigned char> expected = original;
    if (swapped) ChanSwapItems(expected.data(), size, count);
    EXPECT_EQ(channel.stream.data, std::string(expected.begin(), expected.end()));
    ASSERT_EQ(ChanSeek(channel.get(), 0, 0), 0);
    std::vector<unsigned char> back(source.size() + 4);
    EXPECT_EQ(ChanReadItems(back.data(), size, count + 1, channel.get()), count);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), back.begin()));
  }
}

TEST(TypedIo, SwappedWritesGoInPassesOfTheScratchBuffer) {
  MemoryChannel channel;
  ChanSetSwappedOrder(channel.get());
  std::vector<int32_t> values(300);
  for (int i = 0; i < 300; ++i) values[i] = i;
  EXPECT_EQ(ChanWriteInt32s(values.data(), 300, channel.get()), 300);
  EXPECT_EQ(channel.stream.writes, std::vector<unsigned>{1024});  // 256 items; 44 still pending
  EXPECT_EQ(channel->bufferPos, 44 * 4);
}

TEST(TypedIo, ItemSizesOutsideTheScratchBufferWriteNothing) {
  struct Row {
    int line;
    int size;
    int count;
    int result;
  };
  const Row rows[] = {
      {__LINE__, 0, 5, 0},    {__LINE__, -4, 5, 0},   {__LINE__, 1025, 1, 0},
      {__LINE__, 4096, 1, 0}, {__LINE__, 1024, 2, 2}, {__LINE__, 3, 700, 700},
      {__LINE__, 1, 4, 4},    {__LINE__, 4, 0, 0},    {__LINE__, 4, -3, 0},
      {__LINE__, 1023, 3, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::vector<unsigned char> source(4096);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<unsigned char>(i);
    MemoryChannel channel;
    EXPECT_EQ(Bounded(row.line,
                      [&] {
                        return ChanWriteSwapped(source.data(), row.size, row.count, channel.get());
                      }),
              row.result);
    ChanFlush(channel.get());
    const size_t bytes = static_cast<size_t>(row.result) * (row.size > 0 ? row.size : 0);
    ASSERT_EQ(channel.stream.data.size(), bytes);
    if (bytes > 0) {
      std::vector<unsigned char> expected(source.begin(), source.begin() + bytes);
      ChanSwapItems(expected.data(), row.size, row.result);
      EXPECT_EQ(channel.stream.data, std::string(expected.begin(), expected.end()));
    }
  }
}

TEST(TypedIo, ShortTransfers) {
  {
    SCOPED_TRACE("only delivered items are reversed");
    MemoryChannel channel(kChanReadable, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A");
    ChanSetSwappedOrder(channel.get());
    int32_t out[3] = {0, 0, 0x11223344};
    EXPECT_EQ(ChanReadInt32s(out, 3, channel.get()), 2);
    EXPECT_EQ(out[0], 0x01020304);
    EXPECT_EQ(out[1], 0x05060708);
    EXPECT_EQ(std::memcmp(&out[2], "\x09\x0A\x22\x11", 4), 0);  // partly read, left as read
  }
  {
    SCOPED_TRACE("a failing pass ends the writing");
    MemoryChannel channel;
    channel.stream.writeBudget = 1000;
    ChanSetSwappedOrder(channel.get());
    std::vector<int16_t> values(2000, 7);
    EXPECT_EQ(ChanWriteInt16s(values.data(), 2000, channel.get()), 0);
    EXPECT_EQ(channel.stream.writes, (std::vector<unsigned>{1024, 24}));  // no later pass
  }
  EXPECT_EQ(ChanReadInt16s(nullptr, 1, nullptr), 0);
  EXPECT_EQ(ChanWriteInt32s(nullptr, 1, nullptr), 0);
  ChanSetSwappedOrder(nullptr);
}

}  // namespace
