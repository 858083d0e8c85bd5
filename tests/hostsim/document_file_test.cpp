// The simulator's document files: what they mean, and the clear errors for bad ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "hostsim/document_file.h"

namespace {

struct BadFile {
  int line;
  const char* json;
  const char* problem;  // a part of the message
};

}  // namespace

TEST(DocumentFile, MarkersChainInFileOrderWithDefaults) {
  std::vector<SimDocument> docs;
  std::string error;
  ASSERT_TRUE(ParseDocuments(R"({"documents": [
      {"name": "A", "markers": [{"type": "Index", "text": "i"}, {"type": "Tansel", "text": null}]},
      {"ints": {"110": 0}, "strings": {"30": "s"}}]})",
                             "mem", docs, error))
      << error;
  ASSERT_EQ(docs.size(), 2u);
  const SimDocument& a = docs[0];
  EXPECT_EQ(a.name, "A");
  EXPECT_EQ(a.id, 1u);
  EXPECT_EQ(a.ints.at(110), 1);
  ASSERT_EQ(a.markers.size(), 2u);
  EXPECT_EQ(a.ids.at(116), a.markers[0].id);
  EXPECT_EQ(a.markers[0].next, a.markers[1].id);
  EXPECT_EQ(a.markers[1].next, 0u);
  EXPECT_EQ(a.markers[0].type, "Index");
  EXPECT_FALSE(a.markers[1].text.has_value());
  const SimDocument& b = docs[1];
  EXPECT_EQ(b.name, "document 2");
  EXPECT_EQ(b.id, 2u);
  EXPECT_EQ(b.ints.at(110), 0);
  EXPECT_EQ(b.ids.at(116), 0u);
  EXPECT_EQ(b.strings.at(30), "s");
}

TEST(DocumentFile, ExplicitIdsAndLinks) {
  std::vector<SimDocument> docs;
  std::string error;
  ASSERT_TRUE(ParseDocuments(R"({"documents": [{"id": 9, "ids": {"116": 5},
      "markers": [{"id": 7, "type": "x", "next": 0}, {"id": 5, "type": "Tansel", "next": 7}]}]})",
                             "mem", docs, error))
      << error;
  EXPECT_EQ(docs[0].id, 9u);
  EXPECT_EQ(docs[0].ids.at(116), 5u);
  EXPECT_EQ(docs[0].markers[1].next, 7u);
}

TEST(DocumentFile, BadFilesAreNamedWithTheirProblem) {
  const BadFile rows[] = {
      {__LINE__, "{\"documents\": [", "not valid JSON"},
      {__LINE__, R"({"documents":[{"ints":{"110":1e999}}]})", "not valid JSON"},  // no double
      {__LINE__, R"({"documents":[{"id":1e999}]})", "not valid JSON"},
      {__LINE__, "[]", "\"documents\" array"},
      {__LINE__, R"({"documents": [3]})", "documents[0]: must be an object"},
      {__LINE__, R"({"documents": [{"ints": {"x": 1}}]})", "not a property number"},
      {__LINE__, R"({"documents": [{"ints": {"110": "1"}}]})", "32-bit whole number"},
      {__LINE__, R"({"documents": [{"markers": [{"type": 5}]}]})", "markers[0].type"},
      {__LINE__, R"({"documents": [{"markers": [{"id": 3}, {"id": 3}]}]})", "used twice"},
      {__LINE__, R"({"documents": [{"markers": [{"id": 3, "next": 4}]}]})", "not a marker"},
      {__LINE__, R"({"documents": [{"markers": [{"id": 3}, {"id": 4, "next": 3}]}]})",
       "loops back to marker 3"},
      {__LINE__, R"({"documents": [{"id": -1}]})", "object id"},
      {__LINE__, R"({"documents": [{"ids": {"116": 8}}]})", "first marker 8"},
      {__LINE__, R"({"documents": [], "document": []})", "top level: unknown key \"document\""},
      {__LINE__, R"({"documents": [{"name": "a", "marker": [{"type": "Tansel"}]}]})",
       "documents[0]: unknown key \"marker\""},
      {__LINE__, R"({"documents": [{"markers": [{"type": "Tansel", "txt": "x"}]}]})",
       "documents[0].markers[0]: unknown key \"txt\""},
      // Keys are shown escaped: the message stays one line (a fuzzing find).
      {__LINE__, R"({"documents": [{"nex\nt": 0}]})", "unknown key \"nex\\nt\""},
      {__LINE__, R"({"documents": [{"ints": {"1\u0007": 1}}]})", "property key \"1\\u0007\""},
      // A key given twice would silently keep its last value.
      {__LINE__, R"({"documents": [{"name": "a", "name": "b"}]})",
       "the key \"name\" appears twice in one object"},
      {__LINE__, R"({"documents": [{"ints": {"110": 1, "110": 0}}]})",
       "the key \"110\" appears twice"},
      {__LINE__, R"({"documents": [], "documents": []})", "the key \"documents\" appears twice"},
      // Text that is not UTF-8: the offset of the first bad byte.
      {__LINE__, "{\"documents\": [{\"name\": \"\xC3\x28\"}]}", "not valid UTF-8 at byte 25"},
      {__LINE__, "\xEF\xBB", "not valid UTF-8 at byte 0"},
      {__LINE__, "{\"documents\": []}\xED\xA0\x80", "not valid UTF-8 at byte 17"},  // a surrogate
      {__LINE__, "{\"documents\": [{\"name\": \"\xC0\xAF\"}]}", "not valid UTF-8 at byte 25"},
      {__LINE__, "{\"documents\": [{\"name\": \"\xF4\x90\x80\x80\"}]}",
       "not valid UTF-8 at byte 25"},
      // Object ids are 32 bits.
      {__LINE__, R"({"documents": [{"id": 4294967296}]})", "from 0 to 4294967295"},
      {__LINE__, R"({"documents": [{"markers": [{"id": 4294967296}]}]})", "from 0 to 4294967295"},
  };
  for (const BadFile& row : rows) {
    SCOPED_TRACE(row.line);
    std::vector<SimDocument> docs;
    std::string error;
    EXPECT_FALSE(ParseDocuments(row.json, "docs.json", docs, error));
    EXPECT_NE(error.find("docs.json: "), std::string::npos) << error;
    EXPECT_NE(error.find(row.problem), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_TRUE(docs.empty());
  }
}

TEST(DocumentFile, MissingFileIsNamed) {
  std::vector<SimDocument> docs;
  std::string error;
  EXPECT_FALSE(ReadDocumentFile("/nonexistent/docs.json", docs, error));
  EXPECT_NE(error.find("/nonexistent/docs.json"), std::string::npos);
  const std::string folder = ::testing::TempDir();
  EXPECT_FALSE(ReadDocumentFile(folder, docs, error));
  EXPECT_EQ(error, folder + ": is a folder, not a document file");
}

// Documents without an id are numbered 1, 2, 3, ... however many markers come before them; ids
// up to 4294967295 are taken as given.
TEST(DocumentFile, AutomaticDocumentIdsCountFromOne) {
  std::string json = R"({"documents": [)";
  constexpr int kDocuments = 1200;  // more than the 1000 ids below the markers' first
  for (int d = 0; d < kDocuments; ++d) {
    json += std::string(d > 0 ? ", " : "") + R"({"markers": [{"type": "a"}, {"type": "b"}]})";
  }
  json += R"(, {"id": 4294967295, "markers": [{"id": 4294967294}]}]})";
  std::vector<SimDocument> docs;
  std::string error;
  ASSERT_TRUE(ParseDocuments(json, "many.json", docs, error)) << error;
  ASSERT_EQ(docs.size(), static_cast<size_t>(kDocuments + 1));
  std::set<uint32_t> seen;
  for (int d = 0; d < kDocuments; ++d) {
    EXPECT_EQ(docs[d].id, static_cast<uint32_t>(d + 1));
    EXPECT_TRUE(seen.insert(docs[d].id).second);
    for (const SimMarker& m : docs[d].markers) {
      EXPECT_GT(m.id, static_cast<uint32_t>(kDocuments));
      EXPECT_TRUE(seen.insert(m.id).second) << m.id;
    }
  }
  EXPECT_EQ(docs.back().id, 4294967295u);
  EXPECT_EQ(docs.back().markers[0].id, 4294967294u);
  EXPECT_EQ(docs.back().ids.at(116), 4294967294u);
}

// Several files fill one host: whatever mix of automatic and explicit ids they use, the ids they
// end up with are all different, and an explicit id an earlier file took is refused.
TEST(DocumentFile, SeveralFilesNeverShareAnId) {
  std::mt19937 random(13);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    SimIdSpace ids;
    std::set<uint32_t> seen;
    const int files = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < files; ++f) {
      std::string json = R"({"documents": [)";
      const int documents = 1 + static_cast<int>(random() % 3);
      std::set<uint32_t> explicitIds;  // kept apart within the file, so only clashes with earlier
      for (int d = 0; d < documents; ++d) {
        if (d > 0) json += ", ";
        json += "{";
        uint32_t id = 1 + random() % 6;
        if (random() % 2 == 0 && explicitIds.insert(id).second) {
          json += R"("id": )" + std::to_string(id) + ", ";
        }
        json += R"("markers": [{"type": "Tansel"}, {"type": "x"}]})";
      }
      json += "]}";
      std::vector<SimDocument> docs;
      std::string error;
      const bool clashes = std::any_of(explicitIds.begin(), explicitIds.end(),
                                       [&](uint32_t id) { return ids.used.count(id) != 0; });
      const std::set<uint32_t> before = ids.used;
      const bool ok = ParseDocuments(json, "file" + std::to_string(f), ids, docs, error);
      if (clashes) {
        // Refused whole, naming the reason; the ids stay as they were.
        EXPECT_FALSE(ok) << json;
        EXPECT_NE(error.find("used by an earlier document file"), std::string::npos) << error;
        EXPECT_EQ(ids.used, before);
        continue;
      }
      // Automatic ids may still meet an explicit one later in the same file.
      if (!ok) {
        EXPECT_NE(error.find("is used twice"), std::string::npos) << error;
        continue;
      }
      for (const SimDocument& doc : docs) {
        EXPECT_TRUE(seen.insert(doc.id).second) << "document id " << doc.id;
        for (const SimMarker& m : doc.markers) {
          EXPECT_TRUE(seen.insert(m.id).second) << "marker id " << m.id;
        }
      }
      EXPECT_EQ(ids.used, seen);
    }
  }
}
