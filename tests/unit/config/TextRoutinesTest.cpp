#include <gtest/gtest.h>

#include "config/TextRoutines.h"
#include "platform/TextEncoding.h"
#include "vm/ModifiedUtf8.h"
#include "vm/OptionEncoding.h"

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

TEST(TextRoutines, Utf8IsCheckedStrictlyAndDecodedWithReplacements) {
  const struct {
    std::string text;
    bool valid;
    std::u16string utf16;
  } cases[] = {
      {"caf\xC3\xA9", true, u"caf\u00E9"},
      {"\xF0\x9D\x94\xB8", true, u"\U0001D538"},
      {"a\xFF", false, u"a\uFFFD"},
      {"\xC0\xAF", false, u"\uFFFD\uFFFD"},            // overlong
      {"\xED\xA0\x80", false, u"\uFFFD\uFFFD\uFFFD"},  // a surrogate
      {"caf\xE9", false, u"caf\uFFFD"},                // code page 1252
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::isValidUtf8(c.text), c.valid) << c.text;
    EXPECT_EQ(platform::utf8ToUtf16(c.text), c.utf16) << c.text;
  }
}

TEST(TextRoutines, NamesForJniAreModifiedUtf8) {
  // U+1D538 is the surrogates D835 DD38, each in three bytes.
  EXPECT_EQ(toModifiedUtf8("demo/C\xF0\x9D\x94\xB8"), "demo/C\xED\xA0\xB5\xED\xB4\xB8");
  EXPECT_EQ(toModifiedUtf8("caf\xC3\xA9/\xE6\x97\xA5"), "caf\xC3\xA9/\xE6\x97\xA5");
}

TEST(TextRoutines, JvmsFromJava19And17u4And11u16DecodeOptionsAsUtf8) {
  const std::pair<const char*, bool> cases[] = {
      {"1.8.0_401", false}, {"10.0.2", false}, {"11.0.15", false}, {"11.0.16", true},
      {"17.0.3", false},    {"17.0.4", true},  {"17.0.10", true},  {"18.0.2", false},
      {"19", true},         {"21.0.2", true},  {"", true},
  };
  for (auto [version, utf8] : cases) EXPECT_EQ(decodesOptionsAsUtf8(version), utf8) << version;
}

}  // namespace murvo
