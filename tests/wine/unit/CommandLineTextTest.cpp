// Windows only: the text after the program's name that the entry splits.
#include <gtest/gtest.h>

#include "platform/CommandLineText.h"

namespace murvo::platform {

TEST(CommandLineText, SkipsTheProgramNameQuotedOrNotAndTheBlanksAfterIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"app.exe a b", "a b"},
      {"\"C:\\My Apps\\app.exe\" \t a", "a"},
      {"C:\\My\" \"Apps\\app.exe a", "a"},
      {"app.exe \xE9t\xE9 x", "\xE9t\xE9 x"},  // é in code page 1252
      {"caf\xE9.exe x", "x"},
      {"app.exe", ""},
      {"\"app.exe", ""},
      {"", ""},
      {"app.exe   \"a b\" ", "\"a b\" "},
      // A quoted name ends at its closing quote.
      {"\"app.exe\"x y", "x y"},
  };
  for (auto [commandLine, expected] : cases) {
    EXPECT_STREQ(textAfterProgramName(commandLine), expected) << commandLine;
  }
}

}  // namespace murvo::platform
