// The POSIX registry built from the Java installations of this machine.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "discovery/SyntheticRegistry.h"

namespace murvo {

namespace {

const std::string runtimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string kitKey = "SOFTWARE\\JavaSoft\\Java Development Kit";
const std::string openJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string temurin25 = "/usr/lib/jvm/temurin-25-jdk-amd64";

namespace fs = std::filesystem;

std::string releaseVersion(const std::string& home) {
  std::ifstream release(home + "/release");
  for (std::string line; std::getline(release, line);) {
    if (line.starts_with("JAVA_VERSION=\"")) return line.substr(14, line.size() - 15);
  }
  return "";
}

std::string read(const std::string& key, const char* name) {
  platform::Registry& registry = lookupRegistry();
  platform::RegistryKey handle = nullptr;
  char buffer[5000] = "(missing)";
  std::size_t size = sizeof buffer;
  if (registry.openKey(key, handle)) {
    platform::ValueKind kind;
    registry.readString(handle, name, buffer, size, kind);
    registry.closeKey(handle);
  }
  return buffer;
}

// One line per bundle key, as seen by this process's registry: the current
// version, its home, and whether its library is a file of that home.
std::string describeCurrent(const std::string& key) {
  const std::string version = read(key, "CurrentVersion");
  const std::string home = read(key + "\\" + version, "JavaHome");
  const std::string lib = read(key + "\\" + version, "RuntimeLib");
  const bool libInHome = lib.starts_with(home + "/") && fs::is_regular_file(lib);
  return version + " " + home + (libInHome ? " lib ok" : " lib " + lib) + "|";
}

std::string expectedCurrent(const std::string& home) {
  return releaseVersion(home) + " " + home + " lib ok|";
}

// The installation that a command on PATH resolves into, as a shell finds it.
std::string installationOnPath(const std::string& command) {
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const fs::path file = path.substr(start, end - start) + "/" + command;
    start = end + 1;
    if (fs::is_regular_file(file)) return fs::canonical(file).parent_path().parent_path();
  }
  return "";
}

// Every case builds the registry afresh in a new process with its own
// environment: the registry is built once per process.
class SyntheticRegistryTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

  void expectCurrent(const char* javaHome, const char* path, const std::string& runtimeHome,
                     const std::string& kitHome) {
    EXPECT_EXIT(
        {
          javaHome ? setenv("JAVA_HOME", javaHome, 1) : unsetenv("JAVA_HOME");
          if (path) setenv("PATH", path, 1);
          std::fputs((describeCurrent(runtimeKey) + describeCurrent(kitKey)).c_str(), stderr);
          std::exit(0);
        },
        testing::ExitedWithCode(0),
        test::exactStderr(expectedCurrent(runtimeHome) + expectedCurrent(kitHome)));
  }
};

}  // namespace

TEST_F(SyntheticRegistryTest, JavaOnPathIsCurrentWithoutJavaHome) {
  const std::string runtime = installationOnPath("java"), kit = installationOnPath("javac");
  ASSERT_FALSE(runtime.empty() || kit.empty()) << "no java or javac on PATH";
  expectCurrent(nullptr, nullptr, runtime, kit);
  // PATH wins over a higher version installed next to it.
  expectCurrent(nullptr, (openJdk17 + "/bin").c_str(), openJdk17, openJdk17);
  // JAVA_HOME naming no installation is passed over.
  expectCurrent("/tmp", (openJdk17 + "/bin").c_str(), openJdk17, openJdk17);
}

TEST_F(SyntheticRegistryTest, JavaHomeMakesItsInstallationCurrentForBothKeys) {
  if (!fs::exists(temurin25)) GTEST_SKIP() << temurin25 << " is not installed";
  expectCurrent(temurin25.c_str(), nullptr, temurin25, temurin25);
  expectCurrent(temurin25.c_str(), (openJdk17 + "/bin").c_str(), temurin25, temurin25);
}

TEST_F(SyntheticRegistryTest, WithoutJavaOnPathTheHighestInstalledVersionIsCurrent) {
  const std::string highest = fs::exists(temurin25) ? temurin25 : openJdk17;
  expectCurrent(nullptr, "/nonexistent", highest, highest);
}

}  // namespace murvo

#endif  // _WIN32
