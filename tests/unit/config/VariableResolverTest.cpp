#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/VariableResolver.h"

namespace murvo {
namespace {

using test::launcherMessage;
using test::nativePath;
using test::ScopedEnv;
using testing::ExitedWithCode;

class VariableResolverTest : public testing::Test {
 protected:
  VariableResolverTest() { properties.setExePath(nativePath("/opt/app/bin/tool")); }
  std::string resolved(std::string text) { return VariableResolver(properties).resolve(text); }

  LaunchProperties properties;
  const std::string home = nativePath("/opt/app");
  ScopedEnv unset{"MURVO_UT_UNSET", std::nullopt};
  ScopedEnv plain{"MURVO_UT_PLAIN", "v 1"};
  ScopedEnv reference{"MURVO_UT_REFERENCE", "${SELF_HOME}"};
};

TEST_F(VariableResolverTest, ReplacesEveryReferenceAndLeavesOtherTextAlone) {
  const std::pair<std::string, std::string> cases[] = {
      {"${SELF_HOME}|${FOUND_EXE_FOLDER}", home + "|" + nativePath("/opt/app/bin")},
      {"${SELF_HOME   }${SELF_HOME\t\n}", home + home},
      {"-D${env.MURVO_UT_PLAIN}=x", "-Dv 1=x"},
      {"${env.MURVO_UT_REFERENCE}", "${SELF_HOME}"},
      {"a price of $5, {a} } $${SELF_HOME}", "a price of $5, {a} } $" + home},
      {"{${SELF_HOME}}", "{" + home + "}"},
      {"a ${SELF_HOME", "a ${SELF_HOME"},
      {"${SELF_HOME}${x", home + "${x"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(resolved(text), expected) << text;
#ifndef _WIN32  // Windows cannot hold an empty variable
  const ScopedEnv empty("MURVO_UT_EMPTY", "");
  EXPECT_EQ(resolved("a${env.MURVO_UT_EMPTY}b"), "ab");
#endif
}

TEST_F(VariableResolverTest, ExeFolderAndASetJavaHomeNeedNoSeparatorAndNoRegistry) {
  test::RegistryReplacement registry;
  properties.setExePath("tool");
  properties.setFoundJavaHome("/j");
  EXPECT_EQ(resolved("${FOUND_EXE_FOLDER}|${FOUND_JAVA_HOME}"), "tool|/j");
  EXPECT_TRUE(registry.memory.openedKeys().empty());
}

TEST_F(VariableResolverTest, HasVariableNeedsAnOpeningPairAndALaterBrace) {
  const VariableResolver resolver(properties);
  for (const char* text : {"${a}", "x${ }y", "${}"})
    EXPECT_TRUE(resolver.hasVariable(text)) << text;
  for (const char* text : {"", "$5", "{a}", "$ {a}", "}${", "${a", "$}{"}) {
    EXPECT_FALSE(resolver.hasVariable(text)) << text;
  }
}

TEST_F(VariableResolverTest, ANameWithoutValueFailsTheWholeResolution) {
  for (const char* text : {"${ SELF_HOME}", "${self_home}", "${ENV.PATH}", "${env.}",
                           "${env.MURVO_UT_UNSET}", "${}", "${   }", "${SELF_HOME} ${x}"}) {
    EXPECT_EXIT(resolved(text), ExitedWithCode(1),
                launcherMessage("Error resolving property variables."))
        << text;
  }
}

TEST(VariableResolverDeathTest, AFailingReferenceInTheFileIsReportedByTheResolver) {
  const test::TempDir dir;
  dir.write("app.lap", "murvo.main.class=${nope}\n");
  LaunchProperties properties;
  properties.setExePath(dir.file("app"));
  EXPECT_EXIT(properties.loadProperties(), ExitedWithCode(1),
              launcherMessage("Error resolving property variables."));
}

}  // namespace
}  // namespace murvo
