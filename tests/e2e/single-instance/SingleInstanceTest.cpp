// A program that runs once, with the real JDK: later starts hand their
// arguments and folder to the first and quit, at once and all together; a
// killed first leaves the name free; a first that does not answer makes a
// later start fail, and never takes its arguments afterwards; a first that
// ends takes nothing more, and a later start then runs as the first; another
// user's start is a first of its own, and cannot take the user's place.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <optional>

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

// Sets an environment variable for the launches of one test (the harness
// adds variables after the inherited ones, which would win).
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name(name) {
    if (const char* old = getenv(name)) saved = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (saved) {
      setenv(name, saved->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }

 private:
  const char* name;
  std::optional<std::string> saved;
};

bool awaitGone(const std::string& path) {
  return awaitCount([&] { return fs::exists(path) ? "" : "gone"; }, "gone", 1);
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

// Exactly once or a failure: a first busy in anotherInstance, or stopped
// (Ctrl+Z), makes a later start fail, and takes its arguments neither then
// nor once it goes on.
TEST(SingleInstance, ALaterStartThatFailedIsNeverDelivered) {
  const std::string refusal =
      "Error in Java launcher. The program is already running but does not answer\n";
  LauncherFolder app;
  app.writeLap(singleLap(instanceName("block")));
  Process busy = startFirst(app, "block");
  EXPECT_EQ(app.run({"a"}).status, 0);
  EXPECT_TRUE(awaitCount([&] { return busy.outputSoFar(); }, ": [61]\n", 1));
  RunResult refused = app.run({"b"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, refusal);
  EXPECT_EQ(stop(app, busy).out, "first\nanother in " + app.dir() + ": [61]\n");

  fs::remove(app.dir() + "/stop");
  Process stopped = startFirst(app, "wait");
  stopped.signal(SIGSTOP);
  refused = app.run({"c"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, refusal);
  stopped.signal(SIGCONT);
  // Time for a late delivery to show before the program ends.
  EXPECT_EQ(app.run({"d"}).status, 0);
  EXPECT_EQ(stop(app, stopped).out, "first\nanother in " + app.dir() + ": [64]\n");
}

// System.exit or a signal: from the moment the VM starts to end (the
// program's own shutdown hook runs), nothing reaches the program, its socket
// is gone, and a later start waits and runs as the first.
TEST(SingleInstance, AFirstThatEndsTakesNothingAndTheLaterStartRunsAsTheFirst) {
  for (const bool bySignal : {false, true}) {
    SCOPED_TRACE(bySignal ? "SIGTERM" : "System.exit");
    LauncherFolder app;
    app.makeDir("runtime");
    fs::permissions(app.dir() + "/runtime", fs::perms::owner_all);
    ScopedVariable runtime("XDG_RUNTIME_DIR", app.dir() + "/runtime");
    const std::string name = instanceName("ends");
    const std::string socket = app.dir() + "/runtime/murvo/" + name + ".socket";
    app.writeLap(singleLap(name));
    Process first = startFirst(app, "exit");
    EXPECT_TRUE(fs::exists(socket));
    if (bySignal) {
      first.signal(SIGTERM);
    } else {
      app.writeFile("stop", "");
    }
    EXPECT_TRUE(awaitCount([&] { return first.outputSoFar(); }, "ending\n", 1));
    EXPECT_TRUE(awaitGone(socket));
    Process later =
        app.start({"wait", app.dir() + "/later-stop"}, {"MURVO_TRACE=" + app.dir() + "/trace"});
    EXPECT_TRUE(awaitCount([&] { return readFile(app.dir() + "/trace"); },
                           "takes no message now, waiting", 1));
    app.writeFile("stop.go", "");
    RunResult ended = first.wait();
    EXPECT_EQ(ended.status, bySignal ? 128 + SIGTERM : 0);
    EXPECT_EQ(ended.out, "first\nending\n");
    EXPECT_TRUE(awaitCount([&] { return later.outputSoFar(); }, "first\n", 1));
    app.writeFile("later-stop", "");
    RunResult runAsFirst = later.wait();
    EXPECT_EQ(runAsFirst.status, 0);
    EXPECT_EQ(runAsFirst.out, "first\n");
    EXPECT_FALSE(fs::exists(socket));
  }
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

// As root without XDG_RUNTIME_DIR: the place lies in the home folder, where
// nobody else can make it first; /tmp/murvo-<uid> made open by another user
// changes nothing. A place that is not the user's alone is never used.
TEST(SingleInstance, AnotherUserCannotTakeThePlaceFirst) {
  if (getuid() != 0 || std::system("runuser -u nobody -- true") != 0) {
    GTEST_SKIP() << "needs root and runuser";
  }
  LauncherFolder app;
  app.makeDir("home");
  fs::permissions(app.dir() + "/home", fs::perms::owner_all);
  ScopedVariable home("HOME", app.dir() + "/home");
  ScopedVariable noRuntime("XDG_RUNTIME_DIR", "");
  ScopedVariable noCache("XDG_CACHE_HOME", "");
  const std::string trap = "/tmp/murvo-" + std::to_string(getuid());
  const bool trapWasThere = fs::exists(trap);
  std::system(
      ("runuser -u nobody -- sh -c 'mkdir " + trap + " && chmod 777 " + trap + "' 2>/dev/null")
          .c_str());
  EXPECT_NE(std::system(("runuser -u nobody -- mkdir -p " + app.dir() +
                         "/home/.cache/murvo-instances 2>/dev/null")
                            .c_str()),
            0);
  app.writeLap(singleLap(instanceName("place")));
  Process first = startFirst(app, "wait");
  EXPECT_TRUE(
      fs::exists(app.dir() + "/home/.cache/murvo-instances/" + instanceName("place") + ".socket"));
  EXPECT_EQ(app.run({"x"}).status, 0);
  EXPECT_EQ(stop(app, first).out, "first\nanother in " + app.dir() + ": [78]\n");
  if (!trapWasThere) fs::remove(trap);

  fs::remove(app.dir() + "/stop");
  fs::permissions(app.dir() + "/home/.cache/murvo-instances", fs::perms::all);
  Process alone = startFirst(app, "wait");
  Process own = app.start({"wait", app.dir() + "/stop"}, {"MURVO_TRACE=" + app.dir() + "/trace"});
  EXPECT_TRUE(awaitCount([&] { return own.outputSoFar(); }, "first\n", 1));
  EXPECT_EQ(stop(app, alone).out, "first\n");
  EXPECT_EQ(own.wait().out, "first\n");
  EXPECT_NE(
      readFile(app.dir() + "/trace").find("murvo-instances is not a folder of the user's alone"),
      std::string::npos);
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
