// Finding the installed Java when the .lap file names no JVM.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "Harness.h"

namespace murvo::e2e {
namespace {

// The JDK that the build used, made the current installation.
const std::vector<std::string> environment = {"JAVA_HOME=" JDK_HOME};
const std::string temurin25 = "/usr/lib/jvm/temurin-25-jdk-amd64";

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

// FOUND_JAVA_HOME names the Java that runs: the installed one, or the home
// of a configured JVM library, whatever JAVA_HOME says.
TEST(Discovery, FoundJavaHomeIsTheJavaThatRuns) {
  const std::string home = std::filesystem::canonical(JDK_HOME).string();
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {lapWithoutJvm("-Dfound=${FOUND_JAVA_HOME}\n"), environment},
      {realJdkLap("demo.Probe", "-Dfound=${FOUND_JAVA_HOME}\n"), {"JAVA_HOME=" + temurin25}},
  };
  for (const auto& [lap, variables] : cases) {
    LauncherFolder app;
    app.writeLap(lap);
    RunResult result = app.run({"props", "found", "java.home"}, variables);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "found=" + std::string(JDK_HOME) + "\njava.home=" + home + "\n");
  }
}

// The current installation (JAVA_HOME's) is kept while it is in range;
// otherwise the highest installation in range runs.
TEST(Discovery, VersionRangeChoosesAmongTheInstalledJavas) {
  const std::string version = jdkVersion();
  const std::string jdk = std::filesystem::canonical(JDK_HOME).string();
  const bool newer = std::filesystem::exists(temurin25);
  struct Case {
    std::string lines;
    std::vector<std::string> environment;
    std::string javaHome;  // empty: the launch fails
  } cases[] = {
      {"murvo.min.java.version=" + version + "\nmurvo.max.java.version=" + version, environment,
       jdk},
      {"murvo.min.java.version=9", environment, jdk},
      {"murvo.min.java.version=" + version + ".1", environment, newer ? temurin25 : ""},
      {"murvo.max.java.version=21", {"JAVA_HOME=" + temurin25}, jdk},
      {"murvo.max.java.version=1.8", environment, ""},
      // A stale JAVA_HOME is passed over: java on PATH is current.
      {"", {"JAVA_HOME=/nonexistent/jdk"}, jdk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines + " " + c.environment.front());
    LauncherFolder app;
    app.writeLap(lapWithoutJvm(c.lines + "\n"));
    RunResult result = app.run({"props", "java.home"}, c.environment);
    if (c.javaHome.empty()) {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.err, "Error in Java launcher. Incorrect current installed Java version:" +
                                version + "\n");
    } else {
      EXPECT_EQ(result.status, 0) << result.err;
      EXPECT_EQ(result.out, "java.home=" + c.javaHome + "\n");
    }
  }
}

// A home laid out as Java 8's development kit: its JVM library in
// jre/lib/amd64/server, here a link to the real one.
TEST(Discovery, Java8ShapedHomeIsFoundByItsLayout) {
  LauncherFolder app;
  app.makeDir("jdk8/jre/lib/amd64/server");
  std::filesystem::create_symlink(realJvmLibrary(),
                                  app.dir() + "/jdk8/jre/lib/amd64/server/libjvm.so");
  app.writeLap(lapWithoutJvm("murvo.java.home.path=${SELF_HOME}/jdk8\nmurvo.java.bundle=SDK\n"));
  RunResult result = app.run({"props", "java.home"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "java.home=" + std::filesystem::canonical(JDK_HOME).string() + "\n");
}

// Started from another folder, one .lap loads the same JVM.
TEST(Discovery, RelativeJvmPathAndJavaHomeAreTakenFromTheExecutablesFolder) {
  for (const char* line : {"murvo.jvm.path=jdk/lib/server/libjvm.so", "murvo.java.home.path=jdk"}) {
    LauncherFolder app;
    std::filesystem::create_directory_symlink(JDK_HOME, app.dir() + "/jdk");
    app.makeDir("elsewhere");
    app.startIn("elsewhere");
    app.writeLap(lapWithoutJvm(line + std::string("\n")));
    RunResult result = app.run();
    EXPECT_EQ(result.status, 0) << line << result.err;
    EXPECT_EQ(result.out, "no command\n");
  }
}

// MURVO_TRACE shows the launch, on standard error for "-" or appended to a
// file; a trace that cannot be written changes nothing.
TEST(Discovery, TraceShowsTheLaunchStepByStep) {
  const std::string jdk = std::string(JDK_HOME);
  for (const bool works : {true, false}) {
    for (const std::string target : {"-", "trace.txt", "/nonexistent/trace.txt"}) {
      SCOPED_TRACE(target + (works ? " works" : " fails"));
      LauncherFolder app;
      app.writeLap(lapWithoutJvm(std::string("-Dx=${SELF_HOME}\n") +
                                 (works ? "" : "murvo.max.java.version=1.8\n")));
      std::vector<std::string> variables = {"JAVA_HOME=" + jdk, "MURVO_TRACE=" + target};
      const RunResult result = app.run({"a", "b"}, variables);
      EXPECT_EQ(result.status, works ? 0 : 1);
      const std::string trace =
          "\n" + (target == "-" ? result.err : readFile(app.dir() + "/" + target));
      if (target.starts_with("/")) {
        EXPECT_EQ(result.err.empty(), works) << result.err;
        continue;
      }
      const std::vector<std::string> lines =
          works ? std::vector<std::string>{"murvo: executable: " + app.exePath(),
                                           "murvo: .lap file: " + app.exePath() + ".lap",
                                           "murvo: property: -Dx=" + app.dir(),
                                           "murvo: discovery: JAVA_HOME: Java " + jdkVersion(),
                                           "murvo: JVM library: " + jdk + "/lib/server/libjvm.so",
                                           "murvo: JVM option: -Dx=" + app.dir(),
                                           "murvo: JNI_CreateJavaVM: 0",
                                           "murvo: main class demo/Probe, 2 arguments",
                                           "murvo: main returned",
                                           "murvo: exit status 0"}
                : std::vector<std::string>{
                      "murvo: discovery: SOFTWARE\\JavaSoft\\Java Runtime Environment: "
                      "CurrentVersion " +
                          jdkVersion(),
                      "murvo: discovery: none of ",
                      "murvo: failure: Error in Java launcher. Incorrect current installed Java "
                      "version:" +
                          jdkVersion() + "; exit status 1"};
      std::size_t at = 0;
      for (const std::string& line : lines) {
        at = trace.find("\n" + line, at);
        ASSERT_NE(at, std::string::npos) << line << "\nin:\n" << trace;
      }
    }
  }
  LauncherFolder quiet;
  quiet.writeLap(lapWithoutJvm());
  EXPECT_EQ(quiet.run({}, environment).err, "");
}

// With a download address, no Java in range names what is needed, each Java
// found and why it was not taken, and where to get one; an address that is
// not https:// is never shown, and the message is the one without the key.
TEST(Discovery, NoJavaInRangeNamesTheRangeTheJavasFoundAndTheDownloadPage) {
  const std::string version = jdkVersion();
  const std::string page = "https://example.com/get-java";
  const std::pair<std::string, std::string> ranges[] = {
      {"murvo.min.java.version=99\n", "Java 99 or later"},
      {"murvo.min.java.version=1.6\nmurvo.max.java.version=1.8\n", "Java 1.6 to 1.8"},
  };
  for (const auto& [lines, range] : ranges) {
    SCOPED_TRACE(range);
    LauncherFolder app;
    app.writeLap(lapWithoutJvm(lines + "murvo.java.download.url=" + page + "\n"));
    RunResult result = app.run({}, environment);
    EXPECT_EQ(result.status, 1);
    const std::string why = range == "Java 99 or later" ? "older than 99" : "newer than 1.8";
    // JAVA_HOME's first, then the others of the machine: one line each.
    const std::string head = "Error in Java launcher. This program needs " + range +
                             " (x64). Found:\nJava " + version + " at " JDK_HOME ": " + why + "\n";
    const std::string tail = "Get a suitable Java at " + page + "\n";
    ASSERT_TRUE(result.err.starts_with(head) && result.err.ends_with(tail)) << result.err;
    const std::string others =
        result.err.substr(head.size(), result.err.size() - head.size() - tail.size());
    EXPECT_TRUE(std::regex_match(
        others, std::regex("(Java [0-9._]+ at /[^\n]+: " + why + "\n|and [0-9]+ more\n){0,5}")))
        << others;
  }
  for (const std::string address : {"http://example.com/get-java", "example.com", ""}) {
    LauncherFolder app;
    app.writeLap(
        lapWithoutJvm("murvo.max.java.version=1.8\nmurvo.java.download.url=" + address + "\n"));
    RunResult result = app.run({}, environment);
    EXPECT_EQ(result.err,
              "Error in Java launcher. Incorrect current installed Java version:" + version + "\n");
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
