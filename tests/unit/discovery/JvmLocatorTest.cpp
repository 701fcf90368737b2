#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "discovery/JvmLocator.h"
#include "discovery/RegistryText.h"

namespace murvo {

namespace {

using platform::defaultJvmDir;
using platform::developmentKitJvmPiece;
using platform::jvmLibraryName;
using platform::RegistryRoot;
using platform::runtimeJvmPiece;
using platform::ValueKind;
using test::nativePath;

const std::string runtimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string kitKey = "SOFTWARE\\JavaSoft\\Java Development Kit";

std::string jvm(const std::string& home, const char* piece, const std::string& dir) {
  return home + piece + dir + jvmLibraryName;
}

// A Java home in `dir`: a JVM library at each of `libraries` (relative,
// written with '/'), and a release file when `version` is given.
std::string makeHome(const test::TempDir& dir, const std::string& name,
                     const std::vector<std::string>& libraries, const std::string& version = "",
                     bool kit = false) {
  for (const std::string& library : libraries) {
    dir.write(name + "/" + library, test::libraryImage());
  }
  if (!version.empty()) dir.write(name + "/release", "JAVA_VERSION=\"" + version + "\"\n");
  if (kit) dir.write(name + "/bin/javac" + platform::executableSuffix, "");
  return dir.file(name);
}

// The JVM library of today's Java, relative to its home, and Java 8's kit's.
const std::string modernLib =
    nativePath(std::string(platform::jvmFolderPieces[0]).substr(1)) + "server" + jvmLibraryName;
const std::string java8KitLib =
    nativePath(std::string(platform::jvmFolderPieces[1]).substr(1)) + "server" + jvmLibraryName;

class JvmLocatorTest : public testing::Test {
 protected:
  void SetUp() override {
    properties.useJavaLookup(discoveryLookup());
    const std::string built =
        std::string(runtimeJvmPiece).substr(1) + defaultJvmDir + jvmLibraryName;
    const std::string kitBuilt =
        std::string(developmentKitJvmPiece).substr(1) + defaultJvmDir + jvmLibraryName;
    rt17 = makeHome(dir, "rt17",
                    {built, kitBuilt, "bin/hotspot" + std::string(jvmLibraryName),
                     "lib/hotspot" + std::string(jvmLibraryName)});
    kit21 = makeHome(dir, "kit21", {kitBuilt});
    runtimeLib = dir.write("rt17/odd place/libjvm.so", test::libraryImage());
    registry.setValue(runtimeKey, "CurrentVersion", "17.0.15");
    registry.setValue(runtimeKey + "\\17.0.15", "JavaHome", rt17);
    registry.setValue(runtimeKey + "\\17.0.15", "RuntimeLib", runtimeLib);
    registry.setValue(kitKey, "CurrentVersion", "21");
    registry.setValue(kitKey + "\\21", "JavaHome", kit21);
  }

  // Nothing found through the environment unless a case says so.
  test::ScopedEnv noJavaHome{"JAVA_HOME", std::nullopt};
  test::ScopedEnv noPath{"PATH", std::nullopt};
  test::TempDir dir;
  test::RegistryReplacement replacement;
  platform::MemoryRegistry& registry = replacement.memory;
  LaunchProperties properties;
  std::string rt17, kit21, runtimeLib;
};

}  // namespace

// A minimum version of 99 shows that configured paths skip the range test.
TEST_F(JvmLocatorTest, FirstMatchingRowGivesThePathAndTheJvmDirectoryLeftInTheRecord) {
  const std::string cfg = makeHome(dir, "cfg", {}), cfgSep = cfg + platform::pathSeparator;
  const std::string dflt = defaultJvmDir;
  const char *kit = developmentKitJvmPiece, *rt = runtimeJvmPiece;
  for (const std::string& path :
       {jvm(cfg, kit, dflt), jvm(cfg, rt, dflt), jvm(cfgSep, rt, "hotspot")}) {
    dir.write(path.substr(dir.path().size() + 1), test::libraryImage());
  }
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
    platform::MemoryRegistry rowRegistry = registry;
    platform::useRegistry(&rowRegistry);
    LaunchProperties record;
    record.useJavaLookup(discoveryLookup());
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
  EXPECT_EQ(registry.openedKeys().size(), 2u);
  properties.setJavaBundle("SDK");
  EXPECT_EQ(properties.getJvmPath(), jvm(rt17, developmentKitJvmPiece, defaultJvmDir));
  EXPECT_EQ(properties.getFoundJavaHome(), rt17);
  EXPECT_EQ(registry.openedKeys().size(), 2u);
}

TEST_F(JvmLocatorTest, LibraryOfAHomeIsTheBuiltPathOrTheFirstLayoutThatExists) {
  const std::string modern = makeHome(dir, "modern", {modernLib, "lib/client/libjvm.so"});
  const std::string java8 = makeHome(dir, "java8", {java8KitLib});
  const std::string empty = makeHome(dir, "empty", {});
  const struct {
    std::string home, bundle, binJvmDir, path;
  } cases[] = {
      {modern, "", "", modern + platform::pathSeparator + modernLib},
      {modern, "SDK", "", modern + platform::pathSeparator + modernLib},
      {java8, "SDK", "", java8 + platform::pathSeparator + java8KitLib},
      {java8, "", "", java8 + platform::pathSeparator + java8KitLib},
      // A configured JVM folder is the only one tried; nothing found: the built path.
      {java8, "", "client", jvm(java8, runtimeJvmPiece, "client")},
      {empty, "SDK", "", jvm(empty, developmentKitJvmPiece, defaultJvmDir)},
  };
  for (const auto& c : cases) {
    LaunchProperties record;
    record.useJavaLookup(discoveryLookup());
    record.setConfiguredJavaHome(c.home);
    record.setJavaBundle(c.bundle);
    record.setBinJvmDir(c.binJvmDir);
    EXPECT_EQ(record.getJvmPath(), c.path) << c.home << " " << c.bundle << c.binJvmDir;
  }
}

TEST_F(JvmLocatorTest, ConfiguredJvmLibraryNamesTheJavaHomeItLiesIn) {
  const std::string modern = makeHome(dir, "modern", {modernLib}, "21");
  const std::string java8 = makeHome(dir, "java8", {java8KitLib}, "1.8.0_401");
  const std::string bare = makeHome(dir, "bare", {modernLib});
  const std::pair<std::string, std::string> cases[] = {
      {modern + platform::pathSeparator + modernLib, modern},
      {java8 + platform::pathSeparator + java8KitLib, java8},
      {bare + platform::pathSeparator + modernLib, rt17},  // no release file: the registry's Java
  };
  for (const auto& [library, home] : cases) {
    LaunchProperties record;
    record.useJavaLookup(discoveryLookup());
    record.setJvmPath(library);
    EXPECT_EQ(record.getFoundJavaHome(), home) << library;
  }
}

// Where the JavaSoft key's current Java does not serve, every installation
// counts and the highest version in range wins, the first found of equal ones.
TEST_F(JvmLocatorTest, EveryInstallationOfTheMachineCountsWhenTheCurrentOneDoesNot) {
  using Setup = std::function<void(platform::MemoryRegistry&)>;
  const std::string v21 = makeHome(dir, "v21", {modernLib}, "21.0.2", true);
  const std::string v17 = makeHome(dir, "v17", {modernLib}, "17.0.10");
  const std::string v17b = makeHome(dir, "v17b", {modernLib}, "17.0.10", true);
  const std::string v11 = makeHome(dir, "v11", {java8KitLib}, "11.0.22");
  const std::string v25 = makeHome(dir, "v25", {modernLib}, "25");
  const std::string noVersion = makeHome(dir, "noversion", {modernLib});
  const std::string x86 = makeHome(dir, "x86", {}, "25");
  dir.write("x86/" + modernLib, test::libraryImage(true));
  const std::string vendors = "SOFTWARE\\";
  const auto at = [](const std::string& key, const std::string& name, const std::string& home) {
    return [=](platform::MemoryRegistry& r) { r.setValue(key, name, home); };
  };
  const auto both = [](Setup a, Setup b) {
    return [=](platform::MemoryRegistry& r) { a(r), b(r); };
  };
  const Setup nothing = [](platform::MemoryRegistry&) {};
  const Setup oracle21 = at(vendors + "JavaSoft\\JDK\\21", "JavaHome", v21);
  const Setup msft17 = at(vendors + "Microsoft\\JDK\\17.0.10.7\\hotspot\\MSI", "Path",
                          v17 + platform::pathSeparator);
  struct Case {
    const char* what;
    Setup setup;
    std::string javaHome, minVersion, maxVersion, bundle, home;
  } cases[] = {
      {"Oracle 9 and later", oracle21, "", "", "", "", v21},
      {"Oracle's JRE key", at(vendors + "JavaSoft\\JRE\\17", "JavaHome", v17), "", "", "", "", v17},
      {"Eclipse Temurin",
       at(vendors + "Eclipse Adoptium\\JDK\\21.0.2.13\\hotspot\\MSI", "Path", v21), "", "", "", "",
       v21},
      {"AdoptOpenJDK OpenJ9",
       at(vendors + "AdoptOpenJDK\\JRE\\11.0.22.7\\openj9\\MSI", "Path", v11), "", "", "", "", v11},
      {"Microsoft, with a separator at the end", msft17, "", "", "", "", v17},
      {"Azul Zulu", at(vendors + "Azul Systems\\Zulu\\zulu-17", "InstallationPath", v17), "", "",
       "", "", v17},
      {"the current user's keys, text to expand",
       [&](platform::MemoryRegistry& r) {
         r.setValue(vendors + "JavaSoft\\JDK\\17", "JavaHome", "%MURVO_UNIT_HOME%v17",
                    ValueKind::expandableText, RegistryRoot::currentUser);
       },
       "", "", "", "", v17},
      {"a number, text without its zero and text too long are no homes",
       [&](platform::MemoryRegistry& r) {
         r.setRawValue(vendors + "JavaSoft\\JDK\\21", "JavaHome", "\x15\0\0\0", ValueKind::other);
         r.setRawValue(vendors + "JavaSoft\\JDK\\22", "JavaHome", v21, ValueKind::text);
         r.setValue(vendors + "JavaSoft\\JDK\\23", "JavaHome", v21 + std::string(5000, '/'));
         msft17(r);
       },
       "", "", "", "", v17},
      {"JAVA_HOME", nothing, v17, "", "", "", v17},
      {"without a version, still a Java", nothing, noVersion, "", "", "", noVersion},
      {"a 32-bit Java is left out", msft17, x86, "", "", "", v17},
      {"the highest version wins", both(msft17, oracle21), v11, "", "", "", v21},
      {"within the range", both(msft17, oracle21), v11, "12", "17.0.99", "", v17},
      {"development kits only for SDK",
       both(oracle21, at(vendors + "JavaSoft\\JRE\\25", "JavaHome", v25)), "", "", "", "SDK", v21},
      {"none in range: the highest found", both(msft17, oracle21), "", "", "17.0.99", "SDK", ""},
      {"equal versions: the first found",
       at(vendors + "Azul Systems\\Zulu\\zulu-17", "InstallationPath", v17b), v17, "", "", "",
       v17b},
  };
  const test::ScopedEnv root("MURVO_UNIT_HOME", dir.path() + platform::pathSeparator);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::MemoryRegistry machine;
    c.setup(machine);
    platform::useRegistry(&machine);
    const test::ScopedEnv javaHome("JAVA_HOME",
                                   c.javaHome.empty() ? std::nullopt : std::optional(c.javaHome));
    LaunchProperties record;
    record.useJavaLookup(discoveryLookup());
    record.setMinJavaVersion(c.minVersion);
    record.setMaxJavaVersion(c.maxVersion);
    record.setJavaBundle(c.bundle);
    if (c.home.empty()) {
      EXPECT_EXIT(record.getFoundJavaHome(), testing::ExitedWithCode(1),
                  test::launcherMessage("Incorrect current installed Java version:21.0.2"));
      continue;
    }
    EXPECT_EQ(record.getFoundJavaHome(), c.home);
    EXPECT_EQ(record.getJvmPath(),
              c.home + platform::pathSeparator + (c.home == v11 ? java8KitLib : modernLib));
  }
}

TEST_F(JvmLocatorTest, FailuresReachTheUserWithTheirOwnText) {
  // In the JavaSoft key, out of range, and nothing else in range.
  properties.setMaxJavaVersion("17");
  EXPECT_EXIT(properties.getJvmPath(), testing::ExitedWithCode(1),
              test::launcherMessage("Incorrect current installed Java version:17.0.15"));
  // Nothing at all: the places looked at, then the JavaSoft key's own message.
  properties.setJavaBundle("SDK");
  platform::MemoryRegistry empty;
  platform::useRegistry(&empty);
  EXPECT_EXIT(properties.getFoundJavaHome(), testing::ExitedWithCode(1),
              test::exactStderr("No Java installation was found in the registry keys "
                                "SOFTWARE\\JavaSoft, SOFTWARE\\Eclipse Adoptium, "
                                "SOFTWARE\\AdoptOpenJDK, SOFTWARE\\Microsoft\\JDK and "
                                "SOFTWARE\\Azul Systems\\Zulu (local machine and current user), "
                                "JAVA_HOME, java and javac on PATH.\nError in Java launcher. "
                                "Error opening registry key:" +
                                kitKey));
}

TEST(RegistryText, EnvironmentReferencesAreExpandedAsWindowsExpandsThem) {
  const test::ScopedEnv set("MURVO_UNIT_SET", "C:\\Program Files");
  const test::ScopedEnv unset("MURVO_UNIT_UNSET", std::nullopt);
  const std::pair<const char*, const char*> cases[] = {
      {"%MURVO_UNIT_SET%\\Java", "C:\\Program Files\\Java"},
      {"%MURVO_UNIT_UNSET%\\x", "%MURVO_UNIT_UNSET%\\x"},
      {"100%%MURVO_UNIT_SET%", "100%C:\\Program Files"},
      {"%%", "%%"},
      {"a%b", "a%b"},
  };
  for (auto [text, expanded] : cases) EXPECT_EQ(expandEnvironmentReferences(text), expanded);
}

}  // namespace murvo
