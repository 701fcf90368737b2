#include <gtest/gtest.h>

#include <cstdio>

#include "TestSupport.h"
#include "discovery/JavaRegistryLookup.h"

namespace murvo {

namespace {

const std::string runtimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string kitKey = "SOFTWARE\\JavaSoft\\Java Development Kit";

// Stores the bundle key with what is not null: its CurrentVersion and, under
// the version key, JavaHome and RuntimeLib.
void install(platform::MemoryRegistry& registry, const std::string& key, const char* version,
             const char* home = "/home", const char* lib = "/lib") {
  registry.addKey(key);
  if (version) registry.setValue(key, "CurrentVersion", version);
  const std::string versionKey = key + "\\" + (version ? version : "");
  if (home) registry.setValue(versionKey, "JavaHome", home);
  if (lib) registry.setValue(versionKey, "RuntimeLib", lib);
}

// Writes every key it opens and every close to standard error, so that a
// death test sees what happened before the failure message.
class TracingRegistry : public platform::MemoryRegistry {
 public:
  using MemoryRegistry::openKey;
  bool openKey(platform::RegistryRoot root, const std::string& path,
               platform::RegistryKey& key) override {
    const bool opened = MemoryRegistry::openKey(root, path, key);
    if (opened) std::fprintf(stderr, "[open %s]", path.c_str());
    return opened;
  }
  void closeKey(platform::RegistryKey key) override {
    std::fprintf(stderr, "[close]");
    MemoryRegistry::closeKey(key);
  }
};

class JavaRegistryLookupTest : public testing::Test {
 protected:
  test::RegistryReplacement replacement;
  platform::MemoryRegistry& registry = replacement.memory;
  LaunchProperties properties;
  JavaRegistryLookup lookup{properties};
};

}  // namespace

TEST_F(JavaRegistryLookupTest, OnlyTheExactSdkBundleReadsTheKitKey) {
  install(registry, runtimeKey, "17", "/runtime");
  install(registry, kitKey, "21", "/kit");
  const std::pair<const char*, const char*> cases[] = {{"SDK", "/kit"},      {"sdk", "/runtime"},
                                                       {"JRE", "/runtime"},  {"", "/runtime"},
                                                       {"SDK ", "/runtime"}, {"SDKX", "/runtime"}};
  for (auto [bundle, home] : cases) {
    properties.setJavaBundle(bundle);
    EXPECT_EQ(lookup.getJavaHomePath(), home) << bundle;
  }
}

TEST_F(JavaRegistryLookupTest, ValuesThatFillTheirBufferAreReadAndEveryKeyIsClosed) {
  // 49 and 4999 bytes before the terminating zero.
  const std::string version(49, '7'), home(4999, 'h'), lib(4999, 'l');
  install(registry, runtimeKey, version.c_str(), home.c_str(), lib.c_str());
  EXPECT_EQ(lookup.getCurrentVersion(runtimeKey), version);
  EXPECT_EQ(lookup.getJavaHomePath(), home);
  EXPECT_EQ(lookup.getJvmPathViaRuntimeLib(), lib);
  const std::string versionKey = runtimeKey + "\\" + version;
  const std::vector<std::string> opened = {runtimeKey, runtimeKey, versionKey, runtimeKey,
                                           versionKey};
  EXPECT_EQ(registry.openedKeys(), opened);
  EXPECT_EQ(registry.openKeyCount(), 0);
}

TEST_F(JavaRegistryLookupTest, EveryFailureEndsWithItsMessageAfterClosingWhatWasOpened) {
  const std::string fifty(50, '1'), big(5000, 'x');
  const std::string v17 = runtimeKey + "\\17.0.15";
  const std::string bundleRead = "[open " + runtimeKey + "][close]";
  const std::string bothRead = bundleRead + "[open " + v17 + "][close]";
  const struct {
    const char *bundle, *min, *max;
    bool bundleKey;
    const char *version, *home, *lib;
    bool runtimeLib;
    std::string trace, detail;
  } cases[] = {
      {"", "", "", false, 0, 0, 0, false, "", "Error opening registry key:" + runtimeKey},
      {"SDK", "", "", false, 0, 0, 0, true, "", "Error opening registry key:" + kitKey},
      {"", "", "", true, 0, 0, 0, false, bundleRead,
       "Error reading CurrentValue registry key value at " + runtimeKey},
      {"", "", "", true, fifty.c_str(), 0, 0, true, bundleRead,
       "Error reading CurrentValue registry key value at " + runtimeKey},
      {"", "", "1.4", true, "1.4.1", "/h", "/l", false, bundleRead,
       "Incorrect current installed Java version:1.4.1"},
      {"", "9", "", true, "1.8.0_392", "/h", "/l", true, bundleRead,
       "Incorrect current installed Java version:1.8.0_392"},
      {"", "", "", true, "17.0.15", 0, 0, false, bundleRead, "Error opening registry key:" + v17},
      {"", "", "", true, "", 0, 0, true, bundleRead,
       "Error opening registry key:" + runtimeKey + "\\"},
      {"", "", "", true, "17.0.15", 0, "/l", false, bothRead,
       "Error reading JavaHome key at:" + v17},
      {"", "", "", true, "17.0.15", big.c_str(), "/l", false, bothRead,
       "Error reading JavaHome key at:" + v17},
      {"", "", "", true, "17.0.15", "/h", 0, true, bothRead,
       "Error reading RuntimeLib registry key value at:" + v17},
      {"", "", "", true, "17.0.15", "/h", big.c_str(), true, bothRead,
       "Error reading RuntimeLib registry key value at:" + v17},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.detail);
    TracingRegistry tracing;
    if (c.bundleKey) install(tracing, runtimeKey, c.version, c.home, c.lib);
    platform::useRegistry(&tracing);
    properties.setJavaBundle(c.bundle);
    properties.setMinJavaVersion(c.min);
    properties.setMaxJavaVersion(c.max);
    const std::string expected = test::exactStderr(c.trace + "Error in Java launcher. " + c.detail);
    if (c.runtimeLib) {
      EXPECT_EXIT(lookup.getJvmPathViaRuntimeLib(), testing::ExitedWithCode(1), expected);
    } else {
      EXPECT_EXIT(lookup.getJavaHomePath(), testing::ExitedWithCode(1), expected);
    }
  }
}

}  // namespace murvo
