// The stream adapter on real files, the alias map, opening modes, closing, long names and network
// files through a substituted NetLib.
#include "channel/channel_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "channel/name_alias.h"
#include "platform/win_file.h"
#include "tests/channel/channel_files.h"
#include "tests/channel/memory_stream.h"
#include "tests/path/fake_netlib.h"
#include "tests/support/fault_injection.h"

namespace {

class ChannelStream : public ChannelFiles {
 protected:
  // A new stream on the file at name; null when it did not open.
  ChannelStreamC* OpenStream(const std::string& name, int kind, int createAlways = 0) {
    auto* stream = new (std::nothrow) ChannelStreamC;
    if (StreamOpenFile(stream, name.c_str(), kind, createAlways) == 1) return stream;
    stream->Release();
    return nullptr;
  }
};

UINT g_modeDuringOpen = 0;

int ModeRecordingOpen(const char* path, int flags, unsigned mode) {
  g_modeDuringOpen = SetErrorMode(0);
  SetErrorMode(g_modeDuringOpen);
  return WithDefaultCalls([&] { return g_platformCalls.Open(path, flags, mode); });
}

LARGE_INTEGER Move(long long n) {
  LARGE_INTEGER move;
  move.QuadPart = n;
  return move;
}

ULARGE_INTEGER Count(unsigned long long n) {
  ULARGE_INTEGER count;
  count.QuadPart = n;
  return count;
}

TEST_F(ChannelStream, InterfacesAndReferences) {
  Store(Path("f"), "abc");
  ChannelStreamC* stream = OpenStream(Path("f"), kStreamOpenRead);
  ASSERT_NE(stream, nullptr);
  void* face = nullptr;
  EXPECT_EQ(stream->QueryInterface(IID_IStream, &face), S_OK);
  EXPECT_EQ(face, static_cast<IStream*>(stream));
  EXPECT_EQ(stream->RefCount(), 2);
  void* unknown = nullptr;
  EXPECT_EQ(static_cast<IStream*>(stream)->QueryInterface(IID_IUnknown, &unknown), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(static_cast<ComUltraliteC*>(stream)));
  EXPECT_EQ(stream->RefCount(), 3);
  void* other = &face;
  EXPECT_EQ(stream->QueryInterface(IID_ISequentialStream, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(stream->Release(), 2u);
  EXPECT_EQ(static_cast<IStream*>(stream)->Release(), 1u);
  EXPECT_EQ(stream->Release(), 0u);
}

TEST_F(ChannelStream, ReadWriteSeekStatAndTheUnimplemented) {
  Store(Path("f"), "0123456789");
  ChannelStreamC* stream = OpenStream(Path("f"), kStreamOpenReadWrite);
  ASSERT_NE(stream, nullptr);
  ULARGE_INTEGER position = Count(77);
  EXPECT_EQ(stream->Seek(Move(6), STREAM_SEEK_SET, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 6u);
  char out[10] = {};
  ULONG n = 99;
  EXPECT_EQ(stream->Read(out, 10, &n), S_FALSE);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::string(out, 4), "6789");
  EXPECT_EQ(stream->Seek(Move(100), STREAM_SEEK_SET, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 100u);
  EXPECT_EQ(stream->Seek(Move(-1), STREAM_SEEK_SET, &position), E_FAIL);
  EXPECT_EQ(stream->Seek(Move(0), 3, nullptr), E_FAIL);
  EXPECT_EQ(stream->Seek(Move(0x100000000LL + 3), STREAM_SEEK_SET, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 3u);  // only the low 32 bits move
  EXPECT_EQ(stream->Write("xy", 2, &n), S_OK);
  EXPECT_EQ(n, 2u);
  STATSTG stat = {};
  stat.pwcsName = reinterpret_cast<LPOLESTR>(out);
  stat.grfMode = 1234;
  EXPECT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), E_FAIL);
  EXPECT_EQ(stat.pwcsName, nullptr);
  EXPECT_EQ(stat.type, STGTY_STREAM);
  EXPECT_EQ(stat.cbSize.QuadPart, 10u);
  EXPECT_EQ(stat.grfMode, 1234u);
  const ULARGE_INTEGER zero = Count(0);
  EXPECT_EQ(stream->SetSize(zero), E_NOTIMPL);
  EXPECT_EQ(stream->Commit(0), E_NOTIMPL);
  EXPECT_EQ(stream->Revert(), E_NOTIMPL);
  EXPECT_EQ(stream->LockRegion(zero, zero, 0), E_NOTIMPL);
  EXPECT_EQ(stream->UnlockRegion(zero, zero, 0), E_NOTIMPL);
  IStream* clone = nullptr;
  EXPECT_EQ(stream->Clone(&clone), E_NOTIMPL);
  stream->Release();
  EXPECT_EQ(Contents(Path("f")), "012xy56789");

  Store(Path("empty"), "");
  stream = OpenStream(Path("empty"), kStreamOpenRead);
  ASSERT_NE(stream, nullptr);
  stat.cbSize = Count(5);
  EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), E_FAIL);
  EXPECT_EQ(stat.cbSize.QuadPart, 0u);
  stream->Release();
}

TEST_F(ChannelStream, CopyToTakesTheCountOrEverythingInPassesOf1024) {
  const std::string bytes(5000, 'q');
  Store(Path("src"), bytes);
  struct Row {
    int line;
    unsigned long long count;
    std::vector<unsigned> writes;
  };
  const Row rows[] = {
      {__LINE__, 10, {10}},
      {__LINE__, ~0ull, {1024, 1024, 1024, 1024, 904}},
      {__LINE__, 0x100000000ull, {}},  // the low 32 bits are 0
      {__LINE__, 2048, {1024, 1024}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    ChannelStreamC* source = OpenStream(Path("src"), kStreamOpenRead);
    ASSERT_NE(source, nullptr);
    MemoryStream destination;
    ULARGE_INTEGER read = Count(1), written = Count(1);
    EXPECT_EQ(source->CopyTo(&destination, Count(row.count), &read, &written), S_OK);
    EXPECT_EQ(destination.writes, row.writes);
    size_t total = 0;
    for (unsigned n : row.writes) total += n;
    EXPECT_EQ(read.QuadPart, total);
    EXPECT_EQ(written.QuadPart, total);
    EXPECT_EQ(destination.data, bytes.substr(0, total));
    source->Release();
  }
  // A destination that takes only part of a pass fails the copy; the totals still arrive.
  ChannelStreamC* source = OpenStream(Path("src"), kStreamOpenRead);
  MemoryStream destination;
  destination.writeBudget = 1500;
  ULARGE_INTEGER read = Count(0), written = Count(0);
  EXPECT_EQ(source->CopyTo(&destination, Count(~0ull), &read, &written), E_FAIL);
  EXPECT_EQ(read.QuadPart, 2048u);
  EXPECT_EQ(written.QuadPart, 1500u);
  EXPECT_EQ(source->CopyTo(nullptr, Count(1), nullptr, nullptr), E_POINTER);
  source->Release();
}

TEST_F(ChannelStream, OpenKindsAndDispositions) {
  struct Row {
    int line;
    int kind;
    int createAlways;
    bool exists;  // the file exists beforehand, holding "old"
    bool opens;
    const char* after;  // contents afterwards (null: no file)
  };
  const Row rows[] = {
      {__LINE__, kStreamOpenRead, 0, false, false, nullptr},
      {__LINE__, kStreamOpenRead, 1, false, false, nullptr},
      {__LINE__, kStreamOpenRead, 1, true, true, "old"},
      {__LINE__, kStreamOpenReadWrite, 0, false, true, ""},
      {__LINE__, kStreamOpenReadWrite, 0, true, true, "old"},
      {__LINE__, kStreamOpenReadWrite, 1, true, true, ""},
      {__LINE__, kStreamOpenWrite, 0, false, true, ""},
      {__LINE__, kStreamOpenWrite, 1, true, true, ""},
      {__LINE__, 3, 0, true, false, "old"},
      {__LINE__, -1, 1, false, false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::filesystem::remove(Path("k"));
    if (row.exists) Store(Path("k"), "old");
    ChannelStreamC* stream = OpenStream(Path("k"), row.kind, row.createAlways);
    EXPECT_EQ(stream != nullptr, row.opens);
    if (stream != nullptr) {
      EXPECT_EQ(StreamOpenFile(stream, Path("k").c_str(), row.kind, 0), 0);  // no re-open
      stream->Release();
    }
    EXPECT_EQ(Exists(Path("k")), row.after != nullptr);
    if (row.after != nullptr) {
      EXPECT_EQ(Contents(Path("k")), row.after);
    }
  }
  ChannelStreamC* stream = OpenStream(dir_, kStreamOpenRead);  // a directory is no file
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(StreamOpenFile(nullptr, "x", 0, 0), 0);
}

// A name of 4094 UTF-16 units opens; one of 4095 is refused, although cutting it would name an
// existing file.
TEST_F(ChannelStream, NamesBeyond4094UnitsAreRefusedNotCut) {
  Store(Path("ab"), "short");
  std::string base = Path("");
  std::string name = base;
  while (name.size() < 4092) name += "./";
  name.resize(4092);
  if (name.back() == '.') name.back() = '/';
  name += "ab";
  ASSERT_EQ(name.size(), 4094u);
  ChannelStreamC* stream = OpenStream(name, kStreamOpenRead);
  EXPECT_NE(stream, nullptr);  // the name ends in "ab"
  if (stream != nullptr) stream->Release();
  EXPECT_EQ(OpenStream(name + "c", kStreamOpenRead), nullptr);
  // Names reach the platform as UTF-16 and come back to the same UTF-8 file name.
  const std::string wide = base + "\xE3\x81\x82\xF0\x9F\x98\x80";
  stream = OpenStream(wide, kStreamOpenReadWrite);
  ASSERT_NE(stream, nullptr);
  stream->Release();
  EXPECT_TRUE(Exists(wide));
}

// The platform open runs without system error dialogs; the caller's error mode comes back after.
TEST_F(ChannelStream, OpensWithoutErrorDialogs) {
  const UINT callers = 0x8000;
  const UINT before = SetErrorMode(callers);
  g_platformCalls.Open = ModeRecordingOpen;
  for (bool exists : {true, false}) {
    SCOPED_TRACE(exists);
    if (exists) Store(Path("e"), "");
    g_modeDuringOpen = 0;
    ChannelStreamC* stream = OpenStream(Path(exists ? "e" : "none"), kStreamOpenRead);
    EXPECT_EQ(stream != nullptr, exists);
    if (stream != nullptr) stream->Release();
    EXPECT_EQ(g_modeDuringOpen, SEM_FAILCRITICALERRORS);
    EXPECT_EQ(SetErrorMode(callers), callers);
  }
  SetErrorMode(before);
}

TEST_F(ChannelStream, AliasesReplaceExactNames) {
  Store(Path("real"), "R");
  const std::string alias = Path("alias");
  ChanSetNameAlias(alias.c_str(), "nowhere");
  ChanSetNameAlias(alias.c_str(), Path("real").c_str());
  EXPECT_STREQ(ChanLookupNameAlias(alias.c_str()), Path("real").c_str());
  const std::string upper = Path("ALIAS");
  EXPECT_STREQ(ChanLookupNameAlias(upper.c_str()), upper.c_str());
  FileChannel* channel = Open(alias, "r");
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(ChanPeekByte(channel), 'R');
  EXPECT_EQ(ChanClose(channel), 0);
  ChanRemoveNameAlias(alias.c_str());
  EXPECT_STREQ(ChanLookupNameAlias(alias.c_str()), alias.c_str());
  EXPECT_EQ(Open(alias, "r"), nullptr);
  ChanRemoveNameAlias(alias.c_str());  // nothing left to remove
  for (int i = 0; i < 40; ++i) ChanSetNameAlias(std::to_string(i).c_str(), "x");
  for (int i = 0; i < 40; i += 2) ChanRemoveNameAlias(std::to_string(i).c_str());
  EXPECT_STREQ(ChanLookupNameAlias("39"), "x");
  EXPECT_STREQ(ChanLookupNameAlias("38"), "38");
  for (int i = 1; i < 40; i += 2) ChanRemoveNameAlias(std::to_string(i).c_str());
}

TEST_F(ChannelStream, ChannelModes) {
  struct Row {
    int line;
    const char* mode;
    bool exists;
    bool opens;
    const char* after;  // contents after writing "W" and closing (null: no file)
    int peek;           // the first byte read, or -1
  };
  const Row rows[] = {
      {__LINE__, "r", true, true, "old", 'o'},  {__LINE__, "r", false, false, nullptr, -1},
      {__LINE__, "rb", true, true, "old", 'o'}, {__LINE__, "r+", true, true, "Wld", 'o'},
      {__LINE__, "r+", false, true, "W", -1},  // "r+" creates a missing file
      {__LINE__, "w", true, true, "W", -1},     {__LINE__, "w+", true, true, "W", -1},
      {__LINE__, "a", true, true, "oldW", -1},  {__LINE__, "a", false, true, "W", -1},
      {__LINE__, "ax", true, true, "oldW", -1}, {__LINE__, "x", true, false, "old", -1},
      {__LINE__, "", true, false, "old", -1},   {__LINE__, nullptr, true, false, "old", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::filesystem::remove(Path("m"));
    if (row.exists) Store(Path("m"), "old");
    FileChannel* channel = Open(Path("m"), row.mode);
    ASSERT_EQ(channel != nullptr, row.opens);
    if (channel != nullptr) {
      EXPECT_EQ(ChanPeekByte(channel), row.peek);
      ChanSeek(channel, 0, row.mode[0] == 'a' ? 2 : 0);
      ChanWrite("W", 1, 1, channel);
      EXPECT_EQ(ChanClose(channel), 0);
    }
    EXPECT_EQ(Exists(Path("m")), row.after != nullptr);
    if (row.after != nullptr) {
      EXPECT_EQ(Contents(Path("m")), row.after);
    }
  }
  FilePath* empty = PathNew();
  EXPECT_EQ(ChanOpen(empty, "r"), nullptr);
  PathFree(empty);
  EXPECT_EQ(RaisedCode([] { ChanOpen(nullptr, "r"); }), 1);
}

TEST_F(ChannelStream, ClosingByHandle) {
  FileChannel* channel = Open(Path("c"), "w");
  ASSERT_NE(channel, nullptr);
  FileChannel* held = channel;
  EXPECT_EQ(ChanCloseRef(&held), 0);
  EXPECT_EQ(held, channel);  // the caller's variable keeps its value
  FileChannel* none = nullptr;
  EXPECT_EQ(ChanCloseRef(&none), -1);
  EXPECT_EQ(ChanClose(nullptr), -1);
  EXPECT_EQ(RaisedCode([] { ChanCloseRef(nullptr); }), 1);
}

TEST_F(ChannelStream, NetworkFilesOpenThroughTheirCacheCopyAndGoBackAtClose) {
  FakeNetLib net;
  const std::string url = "http://server/doc";
  Store(Path("cached"), "remote");
  {
    SCOPED_TRACE("fetched, written, sent back");
    net.texts["Open"] = Path("cached");
    FileChannel* channel = Open(url, "r+");
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(ChanPeekByte(channel), 'r');
    ASSERT_EQ(ChanWrite("R", 1, 1, channel), 1);
    net.calls.clear();
    EXPECT_EQ(ChanClose(channel), 0);
    EXPECT_EQ(net.calls,
              (std::vector<std::string>{"IsNetFile(" + url + ")", "Save(" + url + ",0)"}));
    EXPECT_EQ(Contents(Path("cached")), "Remote");
  }
  {
    SCOPED_TRACE("read only: nothing goes back");
    FileChannel* channel = Open(url, "r");
    ASSERT_NE(channel, nullptr);
    net.calls.clear();
    EXPECT_EQ(ChanClose(channel), 0);
    EXPECT_TRUE(net.calls.empty());
  }
  {
    SCOPED_TRACE("not fetched: a new cache file for writing, none for reading");
    net.results["Open"] = 3;
    net.results["QueryCacheForPath"] = 1;
    net.texts.erase("Open");
    net.texts["GetCacheFile"] = Path("new");
    EXPECT_EQ(Open(url, "r"), nullptr);
    FileChannel* channel = Open(url, "w");
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(ChanClose(channel), 0);
    EXPECT_TRUE(Exists(Path("new")));
    net.results["GetCacheFile"] = 1;
    EXPECT_EQ(Open(url, "w"), nullptr);
  }
  EXPECT_EQ(net.outstanding, 0);
  {
    SCOPED_TRACE("a local file asks NetLib only whether it is a network name");
    net.calls.clear();
    FileChannel* channel = Open(Path("local"), "w");
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(ChanClose(channel), 0);
    EXPECT_EQ(net.calls, (std::vector<std::string>{"IsNetFile(" + Path("local") + ")",
                                                   "IsNetFile(" + Path("local") + ")"}));
  }
}

}  // namespace
