// The simulator hands its clients HostRoman, not the UTF-8 its documents are written in.
#include <gtest/gtest.h>

#include "hostsim/host_text.h"

namespace {
struct TextRow {
  int line;
  const char* utf8;
  const char* host;
};
}  // namespace

TEST(SimHostText, ConvertsBetweenUtf8AndHostRoman) {
  SimHostText text(TANSEL_ICU_DATA_DIR);
  ASSERT_TRUE(text.ok()) << text.package();
  const TextRow rows[] = {
      {__LINE__, "Tansel", "Tansel"},
      {__LINE__, "", ""},
      {__LINE__, "Caf\xC3\xA9", "Caf\x8E"},  // é
      {__LINE__,
       "Gr\xC3\xB6\xC3\x9F"
       "e",
       "Gr\x9A\xA7"
       "e"},                                       // ö, ß
      {__LINE__, "\xE2\x80\x94", "\xD1"},          // em dash
      {__LINE__, "\xC3\x84\xC3\xA4", "\x80\x8A"},  // Ä, ä
  };
  for (const TextRow& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(text.ToHost(std::string(row.utf8)), row.host);
    EXPECT_EQ(text.FromHost(row.host), row.utf8);
  }
  EXPECT_EQ(text.ToHost(std::optional<std::string>()), std::nullopt);
}

TEST(SimHostText, MissingConvertersAreReported) {
  SimHostText text("/nonexistent/icu_data");
  EXPECT_FALSE(text.ok());
  EXPECT_EQ(text.package().rfind("/nonexistent/icu_data/", 0), 0u);
}
