// Windows only: a .lap file in UTF-8 or in the legacy code page, and options
// for JVMs that read the legacy code page. Wine's locale here has code page 1252.
#include <gtest/gtest.h>

#include "platform/TextEncoding.h"

namespace murvo::platform {

TEST(TextEncoding, UserFilesInUtf8StayAndOthersAreReadInTheLegacyCodePage) {
  const std::pair<std::string, std::string> cases[] = {
      {"v=caf\xC3\xA9 \xE6\x97\xA5", "v=caf\xC3\xA9 \xE6\x97\xA5"},
      {"v=caf\xE9 \x80", "v=caf\xC3\xA9 \xE2\x82\xAC"},  // é and € in code page 1252
      {"\xEF\xBB\xBFv=\xE9", "\xEF\xBB\xBFv=\xE9"},      // a byte-order mark says UTF-8
      {"", ""},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(userFileTextToUtf8(bytes), text) << bytes;
}

TEST(TextEncoding, LegacyCodePageReplacesWhatItCannotHold) {
  bool lossy = true;
  EXPECT_EQ(utf8ToLegacyCodePage("-Dv=caf\xC3\xA9", lossy), "-Dv=caf\xE9");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(utf8ToLegacyCodePage("-Dv=\xE6\x97\xA5", lossy), "-Dv=?");
  EXPECT_TRUE(lossy);
}

}  // namespace murvo::platform
