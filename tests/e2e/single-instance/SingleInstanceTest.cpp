// A program that runs once, with the real JDK: later starts hand their
// arguments and folder to the first and quit, at once and all together; a
// killed first leaves the name free; a first that does not answer makes a
// later start fail in time; another user's start is a first of its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "Harness.h"

namespace murvo::e2e {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A name of this test process's own, so that parallel runs do not meet.
std::string instanceName(const std::string& test) {
  return "murvo-test." + std::to_string(getpid()) + "_" + test;
}

std::string singleLap(const std::string& name, const std::string& mainClass = "demo.Single") {
  return realJdkLap(mainClass, "murvo.single.instance=" + name + "\n");
}

// The first start, running once it has printed "first".
Process startFirst(const LauncherFolder& app, const std::string& mode) {
  Process first = app.start({mode, app.dir() + "/stop"});
  EXPECT_TRUE(awaitCount([&] { return first.outputSoFar(); }, "first\n", 1));
  return first;
}

RunResult stop(const LauncherFolder& app, Process& first) {
  app.writeFile("stop", "");
  return first.wait();
}

TEST(SingleInstance, LaterStartHandsOverItsArgumentsAndFolderExactlyAndQuits) {
  LauncherFolder app;
  app.writeLap(singleLap(instanceName("exact")));
  app.makeDir("documents");
  Process first = startFirst(app, "wait");

  LauncherFolder later;  // the same program, started from another folder
  later.writeLap(singleLap(instanceName("exact")));
  later.makeDir("documents");
  later.startIn("documents");
  const auto started = Clock::now();
  RunResult handedOver =
      later.run({"with blank", "say \"hi\"", "", "café", "😀"}, {"MURVO_TRACE=-"});
  const auto took = Clock::now() - started;
  EXPECT_EQ(handedOver.status, 0) << handedOver.err;
  EXPECT_EQ(handedOver.out, "");
  EXPECT_LT(took, std::chrono::seconds(1));
  // It created no VM.
  EXPECT_EQ(handedOver.err.find("JNI_CreateJavaVM"), std::string::npos) << handedOver.err;

  RunResult ended = stop(app, first);
  EXPECT_EQ(ended.status, 0) << ended.err;
  EXPECT_EQ(ended.out, "first\nanother in " + later.dir() +
                           "/documents: [77 69 74 68 20 62 6c 61 6e 6b] [73 61 79 20 22 68 69 "
                           "22] [] [63 61 66 e9] [1f600]\n");
}

TEST(SingleInstance, TwentyLaterStartsAtOnceGiveTwentyCallsEachOnce) {
  LauncherFolder app;
  app.writeLap(singleLap(instanceName("twenty")));
  Process first = startFirst(app, "wait");
  std::vector<std::future<RunResult>> later;
  for (int i = 0; i < 20; ++i) {
    later.push_back(std::async(std::launch::async, [&app, i] {
      return app.run({std::string(1, static_cast<char>('a' + i))});
    }));
  }
  for (auto& start : later) EXPECT_EQ(start.get().status, 0);
  const std::string out = stop(app, first).out;
  for (int i = 0; i < 20; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, ": [%x]\n", 'a' + i);
    const std::size_t at = out.find(line);
    EXPECT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.find(line, at + 1), std::string::npos) << out;
  }
}

TEST(SingleInstance, AFirstKilledOrEndedLeavesTheNameToTheNextStart) {
  LauncherFolder app;
  app.writeLap(singleLap(instanceName("killed")));
  Process killed = startFirst(app, "wait");
  killed.signal(SIGKILL);
  killed.wait();
  // main returns at once; the program's own thread keeps it, and the
  // hand-over, alive until the stop file.
  Process first = startFirst(app, "thread");
  EXPECT_EQ(app.run({"x"}).status, 0);
  RunResult ended = stop(app, first);
  EXPECT_EQ(ended.status, 0);
  EXPECT_EQ(ended.out, "first\nanother in " + app.dir() + ": [78]\n");
  fs::remove(app.dir() + "/stop");
  Process next = startFirst(app, "wait");
  EXPECT_EQ(stop(app, next).status, 0);
}

TEST(SingleInstance, AFirstThatDoesNotAnswerMakesALaterStartFailInTime) {
  LauncherFolder app;
  app.writeLap(singleLap(instanceName("block")));
  Process first = startFirst(app, "block");
  const auto started = Clock::now();
  RunResult refused = app.run({"never taken"});
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(7));
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "Error in Java launcher. The program is already running but does not answer\n");
  first.signal(SIGKILL);
  first.wait();
}

TEST(SingleInstance, WithoutAnotherInstanceTheArgumentsAreDropped) {
  LauncherFolder app;
  app.writeLap(singleLap(instanceName("dropped"), "demo.NoExitHook"));
  Process first = app.start({}, {"MURVO_TRACE=" + app.dir() + "/trace"});
  EXPECT_TRUE(awaitCount([&] { return first.outputSoFar(); }, "waiting\n", 1));
  EXPECT_EQ(app.run({"a"}).status, 0);
  EXPECT_TRUE(awaitCount([&] { return readFile(app.dir() + "/trace"); },
                         "another start's arguments dropped", 1));
  first.signal(SIGKILL);
  first.wait();
}

TEST(SingleInstance, ANameThatIsNoneIsRefused) {
  LauncherFolder app;
  for (const std::string& name :
       {std::string("a b"), std::string("../x"), std::string("café"), std::string(101, 'n')}) {
    app.writeLap(singleLap(name));
    RunResult result = app.run({"wait", "stop"});
    EXPECT_EQ(result.status, 1) << name;
    EXPECT_EQ(result.err,
              "Error in Java launcher. The value of murvo.single.instance is no name "
              "(letters, digits, '.', '-' and '_', at most 100): " +
                  name + "\n");
  }
}

// As root: the user nobody starts the same program while root's runs.
TEST(SingleInstance, AnotherUsersStartIsAFirstOfItsOwn) {
  const std::string asNobody = "runuser -u nobody -- ";
  if (getuid() != 0 ||
      std::system((asNobody + "test -r " + javaClasses() + "/demo/Single.class").c_str()) != 0) {
    GTEST_SKIP() << "needs root, and the test classes readable by nobody";
  }
  LauncherFolder app;
  app.writeLap(singleLap(instanceName("users")));
  Process first = startFirst(app, "wait");
  LauncherFolder other("app", MURVO_LAUNCHER, {"runuser", "-u", "nobody", "--"});
  fs::permissions(other.dir(), fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
  other.writeLap(singleLap(instanceName("users")));
  Process second = startFirst(other, "wait");
  EXPECT_EQ(stop(other, second).out, "first\n");
  EXPECT_EQ(stop(app, first).out, "first\n");
}

}  // namespace
}  // namespace murvo::e2e
