#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/CommandLine.h"

namespace murvo {
namespace {

std::vector<std::string> argumentsOf(const char* text) {
  const CommandLine line(text, "prog");
  return {line.getArgv() + 1, line.getArgv() + line.getArgc()};
}

TEST(CommandLine, SplitsAtBlanksTabsAndLineFeedsAndGroupsByQuotes) {
  const struct {
    const char* text;
    std::vector<std::string> arguments;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {" \t\n\t ", {}},
      {"a  b", {"a", "b"}},
      {"a\tb\nc", {"a", "b", "c"}},
      {"a\rb c\r", {"a\rb", "c\r"}},
      {"\"a b\" c", {"a b", "c"}},
      {R"(C:\dir\file.txt)", {R"(C:\dir\file.txt)"}},
      {"\"\"", {}},
      {"x \"\" y", {"x", "y"}},
      {R"("say \"hi\"")", {R"(say "hi")"}},
      {"\"ab\"cd", {"ab", "cd"}},
      {"\"a b\"\"c\"", {"a b", "c"}},
      {"\"abc def", {"abc def"}},
      {R"("C:\dir\" x)", {R"(C:\dir" x)"}},
      {R"("a\\" b)", {R"(a\" b)"}},
      {"\"a\tb\nc\" d", {"a\tb\nc", "d"}},
      {"a\"b c\"d", {"ab c", "d"}},
      // Outside a quoted stretch a backslash protects a quote as well.
      {R"(x\"y z)", {R"(x"y)", "z"}},
      {R"(\"a\" b)", {R"("a")", "b"}},
      {R"(a\")", {R"(a")"}},
      {R"(x\"\"y "p q")", {R"(x""y)", "p q"}},
  };
  for (const auto& c : cases) EXPECT_EQ(argumentsOf(c.text), c.arguments) << "input: " << c.text;
}

TEST(CommandLine, ElementZeroIsTheGivenProgramNameAndTheTextStaysUnchanged) {
  const char* name = R"(C:\Apps\tool.exe)";
  char text[] = R"("say \"hi\"" b)";
  const CommandLine line(text, name);
  ASSERT_EQ(line.getArgc(), 3);
  EXPECT_EQ(line.getArgv()[0], name);
  EXPECT_STREQ(text, R"("say \"hi\"" b)");

  const CommandLine none(nullptr, name);
  ASSERT_EQ(none.getArgc(), 1);
  EXPECT_EQ(none.getArgv()[0], name);
}

}  // namespace
}  // namespace murvo
