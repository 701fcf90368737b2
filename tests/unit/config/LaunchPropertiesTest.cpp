#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "config/LaunchProperties.h"

namespace murvo {
namespace {

using Texts = std::vector<std::string>;

TEST(LaunchProperties, SelfHomeIsTheExeFolderWithoutOneWholeLowerCaseBin) {
  // Written with '\'; each case runs with '\' and with '/' as the separator.
  const std::pair<std::string, std::string> cases[] = {
      {R"(C:\Apps\Tool\bin\tool.exe)", R"(C:\Apps\Tool)"},
      {R"(C:\Apps\Tool\tool.exe)", R"(C:\Apps\Tool)"},
      {R"(C:\Apps\Tool\BIN\tool.exe)", R"(C:\Apps\Tool\BIN)"},
      {R"(C:\Apps\binaries\tool.exe)", R"(C:\Apps\binaries)"},
      {R"(C:\Apps\mybin\tool.exe)", R"(C:\Apps\mybin)"},
      {R"(C:\Apps\bin\bin\tool.exe)", R"(C:\Apps\bin)"},
      {R"(C:\bin\tool.exe)", "C:"},
      {R"(bin\tool.exe)", "bin"},
      {"tool.exe", "kept"},
  };
  for (const auto& [path, expected] : cases) {
    for (char separator : {'\\', '/'}) {
      const auto with = [separator](std::string text) {
        std::replace(text.begin(), text.end(), '\\', separator);
        return text;
      };
      std::string home = "kept";
      deriveSelfHome(with(path), separator, home);
      EXPECT_EQ(home, with(expected)) << with(path);
    }
  }
  std::string home;  // the other platform's separator is an ordinary character
  deriveSelfHome(R"(C:\Apps/bin\tool.exe)", '\\', home);
  EXPECT_EQ(home, R"(C:\Apps/bin)");

  LaunchProperties properties;
  properties.setExePath(test::nativePath("/opt/app/bin/tool"));
  EXPECT_EQ(properties.getSelfHome(), test::nativePath("/opt/app"));
}

TEST(LaunchProperties, JniMainClassHasSlashesInPlaceOfDots) {
  const std::pair<std::string, std::string> cases[] = {
      {"com.example.App", "com/example/App"}, {"Main", "Main"}, {"", ""}};
  for (const auto& [name, expected] : cases) {
    LaunchProperties properties;
    properties.setMainClass(name);
    EXPECT_EQ(properties.getJniMainClass(), expected);
    EXPECT_EQ(properties.getJniMainClass(), expected);
  }
}

TEST(LaunchProperties, JvmOptionsAndTrapTextsAreRecognisedExactly) {
  for (const char* text : {"-Xmx1m", "-"}) EXPECT_TRUE(LaunchProperties::isJvmOption(text));
  for (const char* text : {"", " -Xmx1m", "X-"}) EXPECT_FALSE(LaunchProperties::isJvmOption(text));

  LaunchProperties properties;
  for (const char* text : {"Y", "y", "YES", "yes", "T", "t", "TRUE", "true"}) {
    properties.setTrapConsoleCtrl(text);
    EXPECT_TRUE(properties.isTrapConsoleCtrl()) << text;
  }
  for (const char* text : {"", "Yes", "True", "1", "on", " y", "yes ", "N"}) {
    properties.setTrapConsoleCtrl(text);
    EXPECT_FALSE(properties.isTrapConsoleCtrl()) << text;
  }
}

TEST(LaunchProperties, ACopyHasIndependentTextsAndLists) {
  LaunchProperties original;
  original.setMainClass("demo.Main");
  original.addJvmOption("-Xmx1m");
  LaunchProperties copy = original;
  EXPECT_EQ(copy.getJniMainClass(), "demo/Main");
  copy.setMainClass("other.Main");
  copy.getJvmOptions()[0] = "-Xmx2m";
  copy.addJvmOption("-Dx");
  copy.getClassPath() = ":x.jar";
  EXPECT_EQ(original.getJniMainClass(), "demo/Main");
  EXPECT_EQ(original.getJvmOptions(), Texts{"-Xmx1m"});
  EXPECT_EQ(original.getClassPath(), "");
}

}  // namespace
}  // namespace murvo
