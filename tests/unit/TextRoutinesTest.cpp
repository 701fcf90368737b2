#include "config/TextRoutines.h"

#include <gtest/gtest.h>

namespace murvo {

TEST(TextRoutines, TrimRemovesOnlySpaceTabAndLineFeedAtBothEnds) {
  const std::pair<std::string, std::string> cases[] = {
      {"  a b \t\n", "a b"}, {" \t\n ", ""}, {"", ""}, {"\ra\r", "\ra\r"}, {"\fx", "\fx"},
  };
  for (auto [text, expected] : cases) EXPECT_EQ(trim(text), expected);
}

TEST(TextRoutines, ReplaceCharKeepsLength) {
  std::string name = "com.example.App";
  EXPECT_EQ(replaceChar(name, '.', '/'), "com/example/App");
  std::string none;
  EXPECT_EQ(replaceChar(none, '.', '/'), "");
}

}  // namespace murvo
