#include <gtest/gtest.h>

#include "TestSupport.h"
#include "discovery/JvmLocator.h"

namespace murvo {

namespace {

using platform::defaultJvmDir;
using platform::developmentKitJvmPiece;
using platform::jvmLibraryName;
using platform::runtimeJvmPiece;

const std::string runtimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string kitKey = "SOFTWARE\\JavaSoft\\Java Development Kit";
const std::string kit21 = "/kit21";
const std::string rt17 = "/rt17";
const std::string runtimeLib = "/rt17/odd place/libjvm.so ";

class JvmLocatorTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::MemoryRegistry& registry = replacement.memory;
    registry.setValue(runtimeKey, "CurrentVersion", "17.0.15");
    registry.setValue(runtimeKey + "\\17.0.15", "JavaHome", rt17);
    registry.setValue(runtimeKey + "\\17.0.15", "RuntimeLib", runtimeLib);
    registry.setValue(kitKey, "CurrentVersion", "21");
    registry.setValue(kitKey + "\\21", "JavaHome", kit21);
  }

  test::RegistryReplacement replacement;
  LaunchProperties properties;
};

std::string jvm(const std::string& home, const char* piece, const std::string& dir) {
  return home + piece + dir + jvmLibraryName;
}

}  // namespace

// A minimum version of 99 shows that configured paths skip the range test.
TEST_F(JvmLocatorTest, FirstMatchingRowGivesThePathAndTheJvmDirectoryLeftInTheRecord) {
  const std::string cfg = "/cfg", cfgSep = cfg + platform::pathSeparator, dflt = defaultJvmDir;
  const char *kit = developmentKitJvmPiece, *rt = runtimeJvmPiece;
  const struct {
    const char* name;
    std::string jvmPath, configuredHome, bundle, binJvmDir, minVersion, path, binJvmDirAfter;
    std::size_t keysOpened;
  } cases[] = {
      {"1: path", "/given/libjvm.so", cfg, "SDK", "", "99", "/given/libjvm.so", "", 0},
      {"2: kit", "", cfg, "SDK", "", "99", jvm(cfg, kit, dflt), dflt, 0},
      {"2: runtime", "", cfg, "sdk", "", "", jvm(cfg, rt, dflt), dflt, 0},
      {"2: separator", "", cfgSep, "", "hotspot", "", jvm(cfgSep, rt, "hotspot"), "hotspot", 0},
      {"3: kit", "", "", "SDK", "", "", jvm(kit21, kit, dflt), dflt, 2},
      {"4: RuntimeLib", "", "", "", "", "", runtimeLib, "", 2},
      {"5: runtime", "", "", "sdk", "hotspot", "", jvm(rt17, rt, "hotspot"), "hotspot", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::MemoryRegistry rowRegistry = replacement.memory;
    platform::useRegistry(&rowRegistry);
    LaunchProperties record;
    record.setJvmPath(c.jvmPath);
    record.setConfiguredJavaHome(c.configuredHome);
    record.setJavaBundle(c.bundle);
    record.setBinJvmDir(c.binJvmDir);
    record.setMinJavaVersion(c.minVersion);
    EXPECT_EQ(record.getJvmPath(), c.path);
    EXPECT_EQ(record.getBinJvmDir(), c.binJvmDirAfter);
    EXPECT_EQ(rowRegistry.openedKeys().size(), c.keysOpened);
    // A second request is answered from the record.
    EXPECT_EQ(record.getJvmPath(), c.path);
    EXPECT_EQ(rowRegistry.openedKeys().size(), c.keysOpened);
  }
}

TEST_F(JvmLocatorTest, RuntimeHomeFoundEarlierServesTheKitRouteWithoutReadingAgain) {
  EXPECT_EQ(properties.getFoundJavaHome(), rt17);
  EXPECT_EQ(replacement.memory.openedKeys().size(), 2u);
  properties.setJavaBundle("SDK");
  EXPECT_EQ(properties.getJvmPath(), jvm(rt17, developmentKitJvmPiece, defaultJvmDir));
  EXPECT_EQ(properties.getFoundJavaHome(), rt17);
  EXPECT_EQ(replacement.memory.openedKeys().size(), 2u);
}

TEST_F(JvmLocatorTest, RegistryFailuresReachTheUserWithTheirOwnText) {
  properties.setMaxJavaVersion("17");
  EXPECT_EXIT(properties.getJvmPath(), testing::ExitedWithCode(1),
              test::launcherMessage("Incorrect current installed Java version:17.0.15"));
  properties.setJavaBundle("SDK");
  platform::MemoryRegistry empty;
  platform::useRegistry(&empty);
  EXPECT_EXIT(properties.getFoundJavaHome(), testing::ExitedWithCode(1),
              test::launcherMessage("Error opening registry key:" + kitKey));
}

}  // namespace murvo
