// The simulator's document files: what they mean, and the clear errors for bad ones.
#include <gtest/gtest.h>

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
  };
  for (const BadFile& row : rows) {
    SCOPED_TRACE(row.line);
    std::vector<SimDocument> docs;
    std::string error;
    EXPECT_FALSE(ParseDocuments(row.json, "docs.json", docs, error));
    EXPECT_NE(error.find("docs.json: "), std::string::npos) << error;
    EXPECT_NE(error.find(row.problem), std::string::npos) << error;
    EXPECT_TRUE(docs.empty());
  }
}

TEST(DocumentFile, MissingFileIsNamed) {
  std::vector<SimDocument> docs;
  std::string error;
  EXPECT_FALSE(ReadDocumentFile("/nonexistent/docs.json", docs, error));
  EXPECT_NE(error.find("/nonexistent/docs.json"), std::string::npos);
}
