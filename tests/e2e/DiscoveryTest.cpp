// Finding the installed Java when the .lap file names no JVM.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "Harness.h"

namespace murvo::e2e {
namespace {

// The JDK that the build used, made the current installation.
const std::vector<std::string> environment = {"JAVA_HOME=" JDK_HOME};

std::string jdkVersion() {
  std::smatch match;
  const std::string release = readFile(JDK_HOME "/release");
  std::regex_search(release, match, std::regex("JAVA_VERSION=\"([^\"]+)\""));
  return match[1];
}

std::string lapWithoutJvm(const std::string& more = "") {
  return "murvo.main.class=demo.Probe\n-Djava.class.path=" + javaClasses() + "\n" + more;
}

TEST(Discovery, MainClassAloneRunsTheInstalledJava) {
  LauncherFolder app;
  // Without a class path the JVM looks in the current directory.
  app.makeDir("demo");
  app.writeFile("demo/Probe.class", readFile(javaClasses() + "/demo/Probe.class"));
  app.writeLap("murvo.main.class=demo.Probe\n");
  RunResult result = app.run({"props", "java.home"}, environment);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "java.home=" + std::filesystem::canonical(JDK_HOME).string() + "\n");
}

TEST(Discovery, FoundJavaHomeIsTheInstalledJava) {
  LauncherFolder app;
  app.writeLap(lapWithoutJvm("-Dfound=${FOUND_JAVA_HOME}\n"));
  RunResult result = app.run({"props", "found", "java.home"}, environment);
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string home = std::filesystem::canonical(JDK_HOME).string();
  EXPECT_EQ(result.out, "found=" + home + "\njava.home=" + home + "\n");
}

TEST(Discovery, VersionRangeIsAppliedToTheCurrentInstallation) {
  const std::string version = jdkVersion();
  struct Case {
    std::string range;
    bool accepted;
  } cases[] = {
      {"murvo.min.java.version=" + version + "\nmurvo.max.java.version=" + version, true},
      {"murvo.min.java.version=9", true},
      {"murvo.min.java.version=" + version + ".1", false},
      {"murvo.max.java.version=1.8", false},
  };
  for (const Case& c : cases) {
    LauncherFolder app;
    app.writeLap(lapWithoutJvm(c.range + "\n"));
    RunResult result = app.run({}, environment);
    if (c.accepted) {
      EXPECT_EQ(result.status, 0) << c.range << "\n" << result.err;
    } else {
      EXPECT_EQ(result.status, 1) << c.range;
      EXPECT_EQ(result.err, "Error in Java launcher. Incorrect current installed Java version:" +
                                version + "\n");
    }
  }
}

TEST(Discovery, DevelopmentKitAndConfiguredHomeBuildTheLibraryPath) {
  for (const char* lines : {"murvo.java.bundle=SDK\n", "murvo.java.home.path=" JDK_HOME "\n",
                            "murvo.bin.jvm.dir=server\n"}) {
    LauncherFolder app;
    app.writeLap(lapWithoutJvm(lines));
    RunResult result = app.run({}, environment);
    EXPECT_EQ(result.status, 0) << lines << result.err;
    EXPECT_EQ(result.out, "no command\n");
  }
}

}  // namespace
}  // namespace murvo::e2e
