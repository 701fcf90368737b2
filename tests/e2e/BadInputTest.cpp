// Whatever the .lap file, the JVM library or the console throw at it, the
// launcher ends in its one message and status 1 (or runs the program), and
// does so at once: never a crash, a hang or a message that names the wrong
// cause.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Harness.h"
#include "VirtualScreen.h"

extern char** environ;

namespace murvo::e2e {
namespace {

using namespace std::string_literals;

// Seconds within which every bad input must have ended the launcher.
constexpr int promptly = 5;

std::string failure(const std::string& detail) {
  return "Error in Java launcher. " + detail + "\n";
}

// A .lap for the JVM test double, whose main class does not exist.
std::string fakeJvmLap(const std::string& more = "") {
  return std::string("murvo.jvm.path=") + FAKE_JVM_LIBRARY + "\nmurvo.main.class=demo.Missing\n" +
         more;
}

// Bytes of every value but '-' and '$', so that no line is a JVM option or
// holds a reference; the same on every run.
std::string garbage(std::size_t size) {
  std::string bytes;
  std::uint32_t state = 12345;
  while (bytes.size() < size) {
    state = state * 1103515245 + 12345;
    const char c = static_cast<char>(state >> 16);
    bytes += c == '-' || c == '$' ? '+' : c;
  }
  return bytes;
}

// A third of them JVM options. For the test double: a real VM takes
// minutes over 33,000 system properties by itself (its own java command too).
std::string manyLines() {
  std::string text;
  for (int i = 0; i < 100000; ++i) {
    text += i % 3 == 0   ? "-Dp" + std::to_string(i) + "=v\n"
            : i % 3 == 1 ? "# comment " + std::to_string(i) + "\n"
                         : "other" + std::to_string(i) + "=v\n";
  }
  return text;
}

TEST(BadInput, EndsInOneMessageAndStatusOneAtOnce) {
  const std::string noMain =
      failure("no main class: set murvo.main.class, murvo.jar or murvo.main.module");
  const std::string missing = failure("Cannot find main Java class demo/Missing");
  const std::string noLaunch = failure("Error while launching program with JVM.");
  const std::string noVariable = failure("Error resolving property variables.");
  // What explains a class that cannot be found: the VM's description.
  const auto noClassFound = [](const std::string& name) {
    return "Exception in thread \"main\" java.lang.NoClassDefFoundError: " + name + "\n";
  };
  const std::string fakeNoClass =
      "Exception in thread: java.lang.NoClassDefFoundError: demo/Missing\n";
  struct Case {
    const char* what;
    std::function<void(const LauncherFolder&)> prepare;
    std::string err;             // the last line; "@DIR@" stands for the launcher's folder
    std::string described = "";  // found in what comes before it, which is empty without
    int status = 1;
    std::string out = "";
  };
  const std::string probe = "murvo.main.class=demo.Probe\n";
  const auto lap = [](std::string text) {
    return [text](const LauncherFolder& app) { app.writeLap(text); };
  };
  const Case cases[] = {
      // The file itself. Without murvo.jvm.path the installed JDK is found.
      {".lap missing", [](const LauncherFolder&) {}, failure("Could not open file @DIR@/app.lap")},
      {".lap a directory", [](const LauncherFolder& app) { app.makeDir("app.lap"); },
       failure("Could not open file @DIR@/app.lap")},
      {".lap a FIFO that nobody writes",
       [](const LauncherFolder& app) { mkfifo((app.dir() + "/app.lap").c_str(), 0600); },
       failure("Could not open file @DIR@/app.lap")},
      {".lap a link to an endless device",
       [](const LauncherFolder& app) { symlink("/dev/zero", (app.dir() + "/app.lap").c_str()); },
       failure("Could not open file @DIR@/app.lap")},
      {"empty", lap(""), noMain},
      {"only comments", lap("# a comment\n   # another\n#murvo.main.class=demo.Probe\n"), noMain},
      {"binary garbage", lap(garbage(64 * 1024)), noMain},
      {"a line that is only =", lap("=\n"), noMain},
      {"NUL inside a line: the text ends there", lap(realJdkLap("demo.Mis\0sing"s, "-Dx=a\0b\n"s)),
       failure("Cannot find main Java class demo/Mis"), noClassFound("demo/Mis")},
      {"a line of 1 MB", lap(realJdkLap("demo.Missing", "-Dbig=" + std::string(1 << 20, 'x'))),
       missing, noClassFound("demo/Missing")},
      {"100,000 lines", lap(fakeJvmLap(manyLines())), missing, fakeNoClass},
      // The main class.
      // Nothing names a main class: nothing starts.
      {"main class empty", lap(realJdkLap("")), noMain},
      {"main class missing", lap("murvo.jvm.path=/nonexistent/libjvm.so\n"), noMain},
      {"main class, jar and module empty",
       lap("murvo.main.class=\nmurvo.jar=\nmurvo.main.module=\nmurvo.module.path=/x\n"), noMain},
      {"main class that does not exist", lap(realJdkLap("demo.Missing")), missing,
       noClassFound("demo/Missing")},
      {"main class with trailing dots", lap(realJdkLap("demo.Probe..")),
       failure("Cannot find main Java class demo/Probe//"), noClassFound("demo/Probe//")},
      {"main class with slashes: the JVM's own notation runs", lap(realJdkLap("demo/Probe")), "",
       "", 0, "no command\n"},
      // The JVM library: the system's reason, then the message.
      {"jvm path empty: the installed JDK is found",
       lap(realJdkLap("demo.Missing", "murvo.jvm.path=\n")), missing, noClassFound("demo/Missing")},
      {"jvm path missing", lap("murvo.jvm.path=${SELF_HOME}/none/libjvm.so\n" + probe), noLaunch,
       "@DIR@/none/libjvm.so: cannot open shared object file: No such file or directory\n"},
      {"jvm path a directory", lap("murvo.jvm.path=${SELF_HOME}\n" + probe), noLaunch,
       "@DIR@: cannot read file data: Is a directory\n"},
      {"jvm path a FIFO",
       [](const LauncherFolder& app) {
         mkfifo((app.dir() + "/libjvm.so").c_str(), 0600);
         app.writeLap("murvo.jvm.path=${SELF_HOME}/libjvm.so\nmurvo.main.class=demo.Probe\n");
       },
       noLaunch, "@DIR@/libjvm.so: not a regular file\n"},
      {"jvm path not a library",
       [&](const LauncherFolder& app) {
         std::string text;
         for (int i = 0; i < 100; ++i) text += "not a library\n";
         app.writeFile("libjvm.so", text);
         app.writeLap("murvo.jvm.path=${SELF_HOME}/libjvm.so\n" + probe);
       },
       noLaunch, "@DIR@/libjvm.so: invalid ELF header\n"},
      {"jvm path a library without JNI_CreateJavaVM",
       [&](const LauncherFolder& app) {
         // The C library that this test itself runs with.
         Dl_info info;
         dladdr(reinterpret_cast<void*>(&std::abort), &info);
         symlink(info.dli_fname, (app.dir() + "/libc.so.6").c_str());
         app.writeLap("murvo.jvm.path=libc.so.6\n" + probe);
       },
       noLaunch, "libc.so.6: undefined symbol: JNI_CreateJavaVM\n"},
      {"an option the JVM refuses", lap(realJdkLap("demo.Probe", "-Xnonsense\n")),
       failure("Cannot create Java VM"), "Unrecognized option: -Xnonsense\n"},
      {"an unknown variable", lap(realJdkLap("demo.Probe", "-Dx=${NO_SUCH}\n")), noVariable},
      {"an unset environment variable",
       lap(realJdkLap("demo.Probe", "-Dx=${env.MURVO_SURELY_UNSET}\n")), noVariable},
      // Runnable jars that cannot run: the message names the jar, nothing starts.
      {"jar missing", lap("murvo.jvm.path=" + realJvmLibrary() + "\nmurvo.jar=none.jar\n"),
       failure("Unable to access jarfile @DIR@/none.jar")},
      {"jar a folder",
       [&](const LauncherFolder& app) {
         app.makeDir("dir.jar");
         app.writeLap("murvo.jvm.path=/nonexistent/libjvm.so\nmurvo.jar=${SELF_HOME}/dir.jar\n");
       },
       failure("Unable to access jarfile @DIR@/dir.jar")},
      {"jar not a zip",
       [&](const LauncherFolder& app) {
         app.writeFile("bad.jar", garbage(100000));
         app.writeLap("murvo.jvm.path=/nonexistent/libjvm.so\nmurvo.jar=bad.jar\n");
       },
       failure("Invalid or corrupt jarfile @DIR@/bad.jar")},
      {"jar empty",
       [&](const LauncherFolder& app) {
         app.writeFile("empty.jar", "");
         app.writeLap("murvo.jvm.path=/nonexistent/libjvm.so\nmurvo.jar=empty.jar\n");
       },
       failure("Invalid or corrupt jarfile @DIR@/empty.jar")},
      {"jar cut short",
       [&](const LauncherFolder& app) {
         app.writeFile("cut.jar", readFile(javaJars() + "/app.jar").substr(0, 400));
         app.writeLap("murvo.jvm.path=/nonexistent/libjvm.so\nmurvo.jar=cut.jar\n");
       },
       failure("Invalid or corrupt jarfile @DIR@/cut.jar")},
      {"jar without Main-Class",
       [&](const LauncherFolder& app) {
         app.writeFile("nomain.jar", readFile(javaJars() + "/nomain.jar"));
         app.writeLap("murvo.jvm.path=/nonexistent/libjvm.so\nmurvo.jar=nomain.jar\n");
       },
       failure("no main manifest attribute, in @DIR@/nomain.jar")},
      // Jar folders that add nothing, or very much.
      {"jar folder that is a file",
       [](const LauncherFolder& app) {
         app.writeFile("lib.jar", "");
         app.writeLap(
             realJdkLap("demo.Missing", "murvo.classpath.jars.dir=${SELF_HOME}/lib.jar\n"));
       },
       missing, noClassFound("demo/Missing")},
      // Root reads a folder whatever its mode: as root this case only
      // shows that the mode does no harm.
      {"jar folder without permissions",
       [](const LauncherFolder& app) {
         app.makeDir("locked");
         app.writeFile("locked/a.jar", "");
         chmod((app.dir() + "/locked").c_str(), 0);
         app.writeLap(realJdkLap("demo.Missing", "murvo.classpath.jars.dir=${SELF_HOME}/locked\n"));
       },
       missing, noClassFound("demo/Missing")},
      {"jar folder of 10,000 entries",
       [](const LauncherFolder& app) {
         app.makeDir("many");
         for (int i = 0; i < 10000; ++i) app.writeFile("many/j" + std::to_string(i) + ".jar", "");
         app.writeLap(fakeJvmLap("murvo.classpath.jars.dir=${SELF_HOME}/many\n"));
       },
       missing, fakeNoClass},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LauncherFolder app;
    c.prepare(app);
    const RunResult result = app.run({}, {}, promptly);
    const auto inFolder = [&](std::string text) {
      if (const std::size_t at = text.find("@DIR@"); at != std::string::npos) {
        text.replace(at, 5, app.dir());
      }
      return text;
    };
    const std::string err = inFolder(c.err), described = inFolder(c.described);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.status, c.status);
    if (!result.err.ends_with(err)) {
      ADD_FAILURE() << "the last line is not " << err << result.err;
      continue;
    }
    const std::string before = result.err.substr(0, result.err.size() - err.size());
    EXPECT_TRUE(described.empty() ? before.empty() : before.find(described) != std::string::npos)
        << before;
    EXPECT_EQ(result.out, c.out);
  }
}

TEST(BadInput, FiftyTrappedInterruptsEachCallInitiateExit) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.CountExits", "murvo.trap.console.ctrl=yes\n"));
  Process process = app.start({"50"});
  const auto output = [&] { return process.outputSoFar(); };
  ASSERT_TRUE(awaitCount(output, "waiting", 1));
  // Each signal as soon as the one before has been handled: signals that
  // arrive together may merge into one.
  for (int i = 1; i <= 50; ++i) {
    process.signal(SIGINT);
    ASSERT_TRUE(awaitCount(output, "initiateExit 0 #", i)) << i;
  }
  const RunResult result = process.wait(promptly);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_NE(result.out.find("initiateExit 0 #50\ndone 50\n"), std::string::npos) << result.out;
}

// Also when initiateExit never returns, as System.exit in a VM that shuts
// down: the launcher ends with main's status, and no call reaches the VM
// after DestroyJavaVM (the test double says so on standard error).
TEST(BadInput, InterruptsWhileTheVmIsDestroyedDoNoHarm) {
  for (const char* initiateExit : {"", "-Dfakejvm.initiateexit=block\n"}) {
    SCOPED_TRACE(initiateExit);
    LauncherFolder app;
    const std::string log = app.dir() + "/jvm.log";
    app.writeLap(std::string("murvo.jvm.path=") + FAKE_JVM_LIBRARY +
                 "\nmurvo.main.class=demo.Main\nmurvo.trap.console.ctrl=yes\n"
                 "-Dfakejvm.classes=demo/Main\n-Dfakejvm.main=slow-destroy\n-Dfakejvm.log=" +
                 log + "\n" + initiateExit);
    Process process = app.start({});
    ASSERT_TRUE(awaitCount([&] { return readFile(log); }, "DestroyJavaVM", 1));
    for (int i = 0; i < 5; ++i) {
      process.signal(SIGINT);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(awaitCount([&] { return readFile(log); }, "initiateExit", 1));
    const RunResult result = process.wait(promptly);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
  }
}

// One launch of demo.ShutdownRace with signals at a chosen moment.
struct RaceLaunch {
  bool exits;  // initiateExit calls System.exit(7)
  int signal;
  int count;                        // signals sent at once
  std::chrono::milliseconds delay;  // after the start
  bool trapped = false;             // "main" was printed before the signals: the trap was on
  RunResult result = {};
};

// Before the trap the signal is the system's or the JVM's to handle; the
// JVM's start-up may then fail, as it does under java.
bool startUpInterrupted(const RaceLaunch& launch) {
  return !launch.trapped &&
         launch.result.out.find("Error occurred during initialization of VM") != std::string::npos;
}

// The statuses the launch may end with, told by what the program printed.
std::set<int> raceEndings(const RaceLaunch& launch) {
  std::set<int> statuses;
  if (!launch.trapped) statuses.insert(128 + launch.signal);
  if (startUpInterrupted(launch)) statuses.insert(1);
  if (launch.result.out.find("initiateExit") != std::string::npos) {
    // System.exit takes effect, or blocks in a VM that already shuts down.
    statuses.insert(0);
    if (launch.exits) statuses.insert(7);
  } else if (launch.trapped) {
    statuses.insert(0);
  }
  return statuses;
}

// Launches on the real JDK with the trap on, each with a signal at a random
// moment from start-up to after the shutdown hook (a burst now and then),
// with and without System.exit in initiateExit: every launch ends within its
// limit, with the status that the program decided.
TEST(BadInput, SignalsAtAnyMomentEndTheLaunchWithTheProgramsStatus) {
  using std::chrono::milliseconds;
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  const std::string lap = realJdkLap("demo.ShutdownRace", "murvo.trap.console.ctrl=yes\n");
  // The length of a launch without a signal sets the range of the moments.
  LauncherFolder calibration;
  calibration.writeLap(lap);
  const auto begin = std::chrono::steady_clock::now();
  const RunResult plain = calibration.run({"100", "100"});
  const auto length =
      std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - begin);
  ASSERT_EQ(plain.status, 0);
  ASSERT_EQ(plain.out, "main\nhook\n");

  constexpr int runners = 3, launchesEach = 40;
  std::vector<RaceLaunch> launches;
  std::mt19937 random(seed);
  for (int i = 0; i < runners * launchesEach; ++i) {
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    launches.push_back({i % 2 == 0, signals[random() % 3], random() % 4 == 0 ? 10 : 1,
                        milliseconds(random() % (length.count() * 3 / 2))});
  }
  // Made before any launch starts: a copy still open for writing in one
  // thread would be inherited by a launch of another and fail its start.
  std::vector<LauncherFolder> folders(runners);
  for (const LauncherFolder& folder : folders) folder.writeLap(lap);
  std::vector<std::thread> threads;
  for (int r = 0; r < runners; ++r) {
    threads.emplace_back([&, r] {
      for (int i = r; i < runners * launchesEach; i += runners) {
        RaceLaunch& launch = launches[i];
        Process process = folders[r].start({"100", "100", launch.exits ? "exit" : "return"});
        std::this_thread::sleep_for(launch.delay);
        launch.trapped = process.outputSoFar().find("main") != std::string::npos;
        for (int k = 0; k < launch.count; ++k) process.signal(launch.signal);
        launch.result = process.wait(20);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const RaceLaunch& launch : launches) {
    SCOPED_TRACE(testing::Message() << "signal " << launch.signal << " x" << launch.count
                                    << " after " << launch.delay.count() << " ms, "
                                    << (launch.exits ? "exit" : "return") << "; out:\n"
                                    << launch.result.out << "err:\n"
                                    << launch.result.err);
    EXPECT_FALSE(launch.result.timedOut);
    EXPECT_EQ(raceEndings(launch).count(launch.result.status), 1u)
        << "status " << launch.result.status;
    if (!startUpInterrupted(launch)) {
      EXPECT_EQ(launch.result.err, "");
    }
  }
}

// The launcher's exit status with `errorFd` as its standard error (-1:
// closed), or 128 + the signal that ended it.
int statusWithStderr(const LauncherFolder& app, int errorFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (errorFd < 0) {
    posix_spawn_file_actions_addclose(&actions, 2);
  } else {
    posix_spawn_file_actions_adddup2(&actions, errorFd, 2);
  }
  // SIGPIPE does to the launcher what it does when a user starts it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  std::string exe = app.exePath();
  char* argv[] = {exe.data(), nullptr};
  pid_t pid;
  const int failed = posix_spawn(&pid, exe.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (failed) return -1;
  const RunResult result = Process(pid, "/dev/null", "/dev/null").wait(promptly);
  return result.timedOut ? -1 : result.status;
}

TEST(BadInput, MessageThatCannotBeShownStillEndsWithStatusOne) {
  LauncherFolder app;  // no .lap: the launcher fails at once
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  close(pipeEnds[0]);
  const int full = open("/dev/full", O_WRONLY);
  const std::pair<const char*, int> cases[] = {
      {"closed", -1}, {"full", full}, {"a pipe that nobody reads", pipeEnds[1]}};
  for (const auto& [what, fd] : cases) EXPECT_EQ(statusWithStderr(app, fd), 1) << what;
  close(full);
  close(pipeEnds[1]);
}

// A desktop program (murvo.gui=yes) whose standard error leads to no
// terminal shows its failure in a dialog on the screen too, and waits for
// it; without the key the screen stays empty. Both end with the same
// message and status.
TEST(BadInput, DesktopProgramAlsoShowsItsFailureInADialog) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  VirtualScreen screen;
  if (screen.name().empty()) GTEST_SKIP() << "no X server (Xvfb) could start";
  const std::vector<std::string> display = {"DISPLAY=" + screen.name()};
  const std::string lap = "murvo.main.class=demo.Probe\nmurvo.jvm.path=/nonexistent/libjvm.so\n";
  const std::string err =
      "/nonexistent/libjvm.so: cannot open shared object file: No such file or directory\n" +
      failure("Error while launching program with JVM.");
  LauncherFolder app;
  app.writeLap(lap);
  RunResult without = app.run({}, display);
  EXPECT_EQ(without.status, 1);
  EXPECT_EQ(without.err, err);
  EXPECT_EQ(screen.litPixels(), 0);

  app.writeLap(lap + "murvo.gui=yes\n");
  Process process = app.start({}, display);
  // The dialog is titled with the program's name.
  EXPECT_TRUE(awaitCount([&] { return screen.windows(); }, "\"app\"", 1)) << screen.windows();
  EXPECT_GT(screen.litPixels(), 1000);
  // The screen goes, and with it the dialog the launcher waits for.
  screen.stop();
  RunResult with = process.wait(promptly);
  EXPECT_EQ(with.status, 1);
  EXPECT_EQ(with.err, err);
}

}  // namespace
}  // namespace murvo::e2e
