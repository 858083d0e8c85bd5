// Formatted output: console pieces that never cut a character, the channel sink, and UTF-16
// output.
#include "channel/channel_format.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bridge/client_state.h"
#include "encoding/convert.h"
#include "tests/channel/memory_stream.h"
#include "tests/encoding/conversion_fixture.h"

namespace {

std::vector<std::string> g_console;  // what reached the console hook, one entry per call

int RecordConsole(const char* text) {
  g_console.emplace_back(text);
  return 0;
}

class ConsoleTest : public testing::Test {
 protected:
  void SetUp() override {
    savedHook_ = ConsoleHook;
    savedEncoding_ = CurrentDialogEncoding;
    ConsoleHook = RecordConsole;
    g_console.clear();
  }
  void TearDown() override {
    ConsoleHook = savedHook_;
    CurrentDialogEncoding = savedEncoding_;
  }

 private:
  ConsoleHookFn savedHook_ = nullptr;
  DialogEncoding savedEncoding_ = 0;
};

std::vector<size_t> PieceLengths() {
  std::vector<size_t> lengths;
  for (const auto& piece : g_console) lengths.push_back(piece.size());
  return lengths;
}

TEST_F(ConsoleTest, PiecesOfAPlainRunAndWholeConversions) {
  CurrentDialogEncoding = kDialogUtf8;
  const std::string a600(600, 'a');
  const std::string split = std::string(254, 'a') + "\xC3\xA9" + std::string(100, 'b');
  struct Row {
    int line;
    std::string format;
    const char* argument;  // for "%s" rows
    std::vector<size_t> pieces;
  };
  const Row rows[] = {
      {__LINE__, a600 + "%d", nullptr, {255, 255, 90, 2}},
      {__LINE__, a600, nullptr, {600}},  // the end of the format arrives terminated
      {__LINE__, "%s", a600.c_str(), {600}},
      {__LINE__, split + "%d", nullptr, {254, 102, 2}},
      {__LINE__, std::string(255, 'a') + "%d", nullptr, {255, 2}},
      {__LINE__, "", nullptr, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    g_console.clear();
    const int total = row.argument != nullptr
                          ? ChanPrintf(nullptr, row.format.c_str(), row.argument)
                          : ChanPrintf(nullptr, row.format.c_str(), 42);
    EXPECT_EQ(PieceLengths(), row.pieces);
    size_t sum = 0;
    for (size_t n : row.pieces) sum += n;
    EXPECT_EQ(total, static_cast<int>(sum));
  }
}

TEST_F(ConsoleTest, SinkWithoutChannelMeasuresWithinTheLengthAndEndsAtAnUntakableCharacter) {
  CurrentDialogEncoding = kDialogUtf8;
  EXPECT_EQ(ChanOutputSink(nullptr, nullptr, 5), 0);  // null reads as the empty text
  EXPECT_EQ(ChanOutputSink(nullptr, "ab\0cd", 5), 2);
  EXPECT_EQ(g_console, std::vector<std::string>{"ab"});
  g_console.clear();
  // A three-byte character of which the run holds only the first byte cannot go whole.
  EXPECT_EQ(ChanOutputSink(nullptr, "xy\xE3\x81\x82", 3), 3);
  EXPECT_EQ(g_console, std::vector<std::string>{"xy"});
  g_console.clear();
  EXPECT_EQ(ChanOutputSink(nullptr, "abc", -1), 0);
  EXPECT_TRUE(g_console.empty());
  ConsoleHook = nullptr;  // before start-up the text is dropped
  EXPECT_EQ(ChanPrintf(nullptr, "%s", "dropped"), 7);
}

// The byte length of the character at s in enc (lead/trail pairs for Shift-JIS).
size_t CharLength(const std::string& s, size_t at, DialogEncoding enc) {
  const auto lead = static_cast<unsigned char>(s[at]);
  if (enc == kDialogShiftJis) return (lead >= 0x81 && lead <= 0x9F) ? 2 : 1;
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// Random runs of single and multibyte characters reach the console as maximal pieces of whole
// characters, in order and complete.
TEST_F(ConsoleTest, RandomRunsArriveInMaximalWholeCharacterPieces) {
  const char* utf8Chars[] = {"a", "\xC3\xA9", "\xE3\x81\x82", "\xF0\x9F\x98\x80", "z"};
  const char* sjisChars[] = {"a", "\x82\xA0", "\xB1", "\x82\xF1", "\x81\x40"};
  std::mt19937 random(1414);
  for (DialogEncoding enc : {kDialogUtf8, kDialogShiftJis}) {
    CurrentDialogEncoding = enc;
    const char** chars = enc == kDialogUtf8 ? utf8Chars : sjisChars;
    for (int round = 0; round < 40; ++round) {
      SCOPED_TRACE(testing::Message() << "encoding " << enc << " round " << round);
      std::string run;
      const size_t target = random() % 1200;
      while (run.size() < target) run += chars[random() % 5];
      g_console.clear();
      ASSERT_EQ(ChanPrintf(nullptr, (run + "%c").c_str(), '!'), static_cast<int>(run.size() + 1));
      ASSERT_FALSE(g_console.empty());
      EXPECT_EQ(g_console.back(), "!");
      g_console.pop_back();
      std::string joined;
      for (size_t i = 0; i < g_console.size(); ++i) {
        std::string piece = g_console[i];
        if (enc != kDialogUtf8) {
          Converted back(EncUtf8ToDialog(piece.c_str(), enc));
          piece = back.get();
        }
        EXPECT_LE(piece.size(), 255u);
        const size_t next = joined.size() + piece.size();
        if (i + 1 < g_console.size()) {
          EXPECT_GT(piece.size() + CharLength(run, next, enc), 255u) << "piece " << i;
        }
        joined += piece;
      }
      EXPECT_EQ(joined, run);
    }
  }
}

TEST(ChannelFormat, PrintfToAChannelWritesTheFormattedBytes) {
  MemoryChannel channel;
  EXPECT_EQ(ChanPrintf(channel.get(), "%s=%05d|%-4x|", "n", 42, 255), 13);
  EXPECT_EQ(ChanFlush(channel.get()), 0);
  EXPECT_EQ(channel.stream.data, "n=00042|ff  |");
}

TEST(ChannelFormat, EncodedPrintfWritesNativeUnitsWithoutAByteOrderMark) {
  struct Row {
    int line;
    EncodingId target;
    std::string format;
    int result;
    std::string bytes;
  };
  const Row rows[] = {
      {__LINE__, kEncodingUtf16, "%d", 2,
       std::string("4\0"
                   "2\0",
                   4)},
      {__LINE__, kEncodingUtf16, "caf\x8E", 4, std::string("c\0a\0f\0\xE9\0", 8)},
      {__LINE__, kEncodingUtf16, "", 0, ""},
      {__LINE__, kEncodingUtf8, "%d", 2, "42"},  // other targets print unconverted
      {__LINE__, 16 - 1, "caf\x8E", 4, "caf\x8E"},
      {__LINE__, kEncodingUtf16, std::string(1500, 'x'), 1023, ""},  // at most 1023 bytes
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    MemoryChannel channel;
    channel->swapBytes = 1;  // not consulted
    EXPECT_EQ(
        ChanPrintfEncoded(row.target, kEncodingHostRoman, channel.get(), row.format.c_str(), 42),
        row.result);
    ChanFlush(channel.get());
    if (row.result == 1023) {
      EXPECT_EQ(channel.stream.data.size(), 2046u);
    } else {
      EXPECT_EQ(channel.stream.data, row.bytes);
    }
  }
}

TEST_F(ConsoleTest, EncodedPrintfWithoutAChannelWritesNothing) {
  EXPECT_EQ(ChanPrintfEncoded(kEncodingUtf16, kEncodingHostRoman, nullptr, "%d", 42), 0);
  EXPECT_TRUE(g_console.empty());
  EXPECT_EQ(ChanPrintfEncoded(kEncodingUtf8, kEncodingHostRoman, nullptr, "%d", 42), 2);
  EXPECT_EQ(g_console, std::vector<std::string>{"42"});
}

}  // namespace
