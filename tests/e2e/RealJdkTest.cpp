// The launcher against the JDK installed on the machine.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "Harness.h"

namespace murvo::e2e {
namespace {

std::string failure(const std::string& detail) {
  return "Error in Java launcher. " + detail + "\n";
}

// Waits until the program has printed `text`, so that a signal finds it running.
bool awaitOutput(const Process& process, const std::string& text) {
  for (int i = 0; i < 2000; ++i) {
    if (process.outputSoFar().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(RealJdk, ArgumentsReachMainExactly) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.PrintArgs"));
  RunResult none = app.run();
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "count=0\n");

  RunResult some = app.run({"plain", "with blank", "say \"hi\"", "café", "😀", "a\\b"});
  EXPECT_EQ(some.status, 0) << some.err;
  EXPECT_EQ(some.out,
            "count=6\n"
            "arg=plain codes=70 6c 61 69 6e\n"
            "arg=with blank codes=77 69 74 68 20 62 6c 61 6e 6b\n"
            "arg=say \"hi\" codes=73 61 79 20 22 68 69 22\n"
            "arg=café codes=63 61 66 e9\n"
            "arg=😀 codes=1f600\n"
            "arg=a\\b codes=61 5c 62\n");
}

TEST(RealJdk, InvalidUtf8BecomesReplacementCharacter) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.PrintArgs"));
  RunResult result = app.run({"a\xff"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("codes=61 fffd\n"), std::string::npos) << result.out;
}

TEST(RealJdk, OptionsAndJarFoldersReachTheVm) {
  LauncherFolder app;
  app.makeDir("lib");
  app.makeDir("more");
  for (const char* jar : {"lib/b.jar", "lib/a.jar", "more/c.jar"}) app.writeFile(jar, "");
  app.writeLap("murvo.jvm.path=" + realJvmLibrary() +
               "\nmurvo.main.class=demo.Probe\n"
               "-Dplain=value with blanks\n"
               "-Dhome=${SELF_HOME}\n"
               "murvo.classpath.jars.dir=" +
               javaClasses() +
               "/../nojars\n"
               "murvo.classpath.jars.dir=${SELF_HOME}/lib\n"
               "murvo.classpath.jars.dir=" +
               app.dir() +
               "/more/\n"
               "-Djava.class.path=" +
               javaClasses() + "\n");
  RunResult result = app.run({"props", "plain", "home", "java.class.path"});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string lib = app.dir() + "/lib/";
  EXPECT_EQ(result.out, "plain=value with blanks\nhome=" + app.dir() +
                            "\njava.class.path=" + javaClasses() + ":" + app.dir() +
                            "/more/c.jar:" + lib + "a.jar:" + lib + "b.jar\n");
}

// A class planted in the current directory never runs through the
// launcher's own work on the class path: however the .lap's class path comes
// out (empty, only jars, jars that cannot be named on it), the current
// directory is not on it.
TEST(RealJdk, ConfiguredClassPathNeverGainsTheCurrentDirectory) {
  const std::string trace =
      "murvo: class path: left out @DIR@/odd/a::b.jar: it holds the separator\n";
  const std::pair<std::string, std::string> cases[] = {
      {"murvo.classpath.jars.dir=${SELF_HOME}/lib\n", ""},
      {"-Djava.class.path=\n", ""},
      {"-Djava.class.path\n", ""},
      {"murvo.classpath.jars.dir=\n", ""},
      {"murvo.classpath.jars.dir=${SELF_HOME}/empty\n", ""},
      {"-Djava.class.path=${SELF_HOME}/lib:\nmurvo.classpath.jars.dir=${SELF_HOME}/lib\n", ""},
      {"-Djava.class.path\nmurvo.classpath.jars.dir=${SELF_HOME}/lib\n", ""},
      {"-Djava.class.path.extra=x\nmurvo.classpath.jars.dir=${SELF_HOME}/lib\n", ""},
      {"murvo.classpath.jars.dir=${SELF_HOME}/odd\n", trace},
  };
  for (const auto& [lines, traced] : cases) {
    SCOPED_TRACE(lines);
    LauncherFolder app;
    app.makeDir("demo");
    app.makeDir("empty");
    app.makeDir("lib");
    app.makeDir("odd");
    for (const char* jar : {"lib/x.jar", "odd/a::b.jar"}) app.writeFile(jar, "");
    // The launcher's folder is the current directory of its launches.
    app.writeFile("demo/Probe.class", readFile(javaClasses() + "/demo/Probe.class"));
    app.writeLap("murvo.jvm.path=" + realJvmLibrary() + "\nmurvo.main.class=demo.Probe\n" + lines);
    const RunResult result = app.run({}, {"MURVO_TRACE=-"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.ends_with(failure("Cannot find main Java class demo/Probe")))
        << result.err;
    std::string expectedTrace = traced;
    if (const std::size_t at = expectedTrace.find("@DIR@"); at != std::string::npos) {
      expectedTrace.replace(at, 5, app.dir());
    }
    EXPECT_NE(result.err.find(expectedTrace), std::string::npos) << result.err;
  }
}

TEST(RealJdk, FailuresOfTheLaunch) {
  struct Case {
    std::string lap;
    std::string detail;
  } cases[] = {
      {realJdkLap("demo.Missing"), "Cannot find main Java class demo/Missing"},
      {realJdkLap("demo.NoStaticMain"), "Cannot find main method in Java class"},
      {realJdkLap("demo.Probe", "-Xnonsense\n"), "Cannot create Java VM"},
      {"murvo.jvm.path=/nonexistent/libjvm.so\nmurvo.main.class=demo.Probe\n",
       "Error while launching program with JVM."},
  };
  for (const Case& c : cases) {
    LauncherFolder app;
    app.writeLap(c.lap);
    RunResult result = app.run();
    EXPECT_EQ(result.status, 1) << c.detail;
    EXPECT_NE(result.err.find(failure(c.detail)), std::string::npos) << result.err;
  }
}

TEST(RealJdk, EndOfMainDecidesTheStatus) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.Probe"));
  RunResult thrown = app.run({"throw"});
  EXPECT_EQ(thrown.status, 0);
  EXPECT_EQ(app.run({"exit", "3"}).status, 3);
}

TEST(RealJdk, TrappedInterruptCallsInitiateExit) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.Probe", "murvo.trap.console.ctrl=yes\n"));
  Process process = app.start({"wait"});
  ASSERT_TRUE(awaitOutput(process, "waiting"));
  process.signal(SIGINT);
  RunResult result = process.wait(30);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "waiting\ninitiateExit 0\n");
}

TEST(RealJdk, UntrappedInterruptEndsProgramAsTheJvmDoes) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.Probe"));
  Process process = app.start({"wait"});
  ASSERT_TRUE(awaitOutput(process, "waiting"));
  process.signal(SIGINT);
  EXPECT_EQ(process.wait(30).status, 130);
}

TEST(RealJdk, TrappedInterruptWithoutInitiateExitKeepsProgramRunning) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.NoExitHook", "murvo.trap.console.ctrl=true\n"));
  Process process = app.start({});
  ASSERT_TRUE(awaitOutput(process, "waiting"));
  process.signal(SIGINT);
  RunResult result = process.wait(2);
  EXPECT_TRUE(result.timedOut);
  EXPECT_NE(result.err.find("NoSuchMethodError"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace murvo::e2e
