// The launch's exact JNI calls and the failures a real JVM rarely gives,
// through the JVM test double.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "Harness.h"

namespace murvo::e2e {
namespace {

std::string fakeLap(const LauncherFolder& app, const std::string& more = "") {
  return "murvo.jvm.path=" FAKE_JVM_LIBRARY
         "\nmurvo.main.class=demo.Main\n-Xmx32m\n"
         "-Dfakejvm.log=" +
         app.dir() + "/jni.log\n-Dfakejvm.classes=demo/Main\n" + more;
}

std::string jniLog(const LauncherFolder& app) {
  return readFile(app.dir() + "/jni.log");
}

TEST(FakeJvm, LaunchMakesTheseCallsInThisOrder) {
  LauncherFolder app;
  app.writeLap(fakeLap(app));
  // Without a class path in the .lap, the JVM gets CLASSPATH as `java` would.
  RunResult result = app.run({"one", "two words"}, {"CLASSPATH=/cp/a.jar"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(jniLog(app),
            "JNI_CreateJavaVM version=0x10002 nOptions=6 ignoreUnrecognized=0\n"
            "option -Xmx32m\n"
            "option -Dfakejvm.log=" +
                app.dir() +
                "/jni.log\n"
                "option -Dfakejvm.classes=demo/Main\n"
                "option -Djava.class.path=/cp/a.jar\n"
                "option exit\n"
                "option abort\n"
                "FindClass demo/Main\n"
                "GetStaticMethodID demo/Main main ([Ljava/lang/String;)V\n"
                "NewStringUTF \n"
                "FindClass java/lang/String\n"
                "NewObjectArray 2 java/lang/String\n"
                "NewString one\n"
                "SetObjectArrayElement 0 one\n"
                "NewString two words\n"
                "SetObjectArrayElement 1 two words\n"
                "CallStaticVoidMethod demo/Main.main [one|two words]\n"
                "ExceptionOccurred 0\n"
                "DestroyJavaVM\n");
}

TEST(FakeJvm, ScriptedFailuresHaveTheirOwnMessages) {
  // A lookup's pending exception is described first.
  const struct {
    const char* failure;
    const char* detail;
    std::string described = "";
  } cases[] = {
      {"create", "Cannot create Java VM"},
      {"findclass", "Cannot find main Java class demo/Main",
       "Exception in thread: java.lang.NoClassDefFoundError: demo/Main\n"},
      {"getstaticmethodid", "Cannot find main method in Java class",
       "Exception in thread: java.lang.NoSuchMethodError: main\n"},
      {"newobjectarray", "Out of memory error in Java launcher"},
  };
  for (const auto& [failure, detail, described] : cases) {
    LauncherFolder app;
    app.writeLap(fakeLap(app, std::string("-Dfakejvm.fail=") + failure + "\n"));
    RunResult result = app.run();
    EXPECT_EQ(result.status, 1) << failure;
    EXPECT_EQ(result.err, described + "Error in Java launcher. " + detail + "\n");
    EXPECT_EQ(jniLog(app).find("DestroyJavaVM"), std::string::npos) << failure;
  }
}

// JNI takes names in modified UTF-8: a character above U+FFFF as two
// surrogates; the message names the class as written.
TEST(FakeJvm, MainClassReachesFindClassInModifiedUtf8) {
  LauncherFolder app;
  app.writeLap(fakeLap(app) + "murvo.main.class=demo.C\xF0\x9D\x94\xB8\n");
  RunResult result = app.run();
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.err.ends_with(
      "\nError in Java launcher. Cannot find main Java class demo/C\xF0\x9D\x94\xB8\n"))
      << result.err;
  EXPECT_NE(jniLog(app).find("FindClass demo/C\xED\xA0\xB5\xED\xB4\xB8\n"), std::string::npos);
}

// Trapped console events: initiateExit on a thread attached for the call.
TEST(FakeJvm, InterruptCallsInitiateExitOnAnAttachedThread) {
  LauncherFolder app;
  app.writeLap(fakeLap(app, "murvo.trap.console.ctrl=T\n-Dfakejvm.main=wait-exit\n"));
  Process process = app.start({});
  for (int i = 0;
       i < 500 && jniLog(app).find("CallStaticVoidMethod demo/Main.main") == std::string::npos;
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  process.signal(SIGINT);
  RunResult result = process.wait(30);
  EXPECT_EQ(result.status, 0) << result.err;
  std::string log = jniLog(app);
  // Once initiateExit has let main return, the main thread asks for an
  // exception that escaped it while the handler's thread may still detach.
  const std::size_t mainsCheck = log.rfind("ExceptionOccurred 0\n");
  ASSERT_NE(mainsCheck, std::string::npos) << log;
  log.erase(mainsCheck, std::string("ExceptionOccurred 0\n").size());
  EXPECT_NE(log.find("CallStaticVoidMethod demo/Main.main []\n"
                     "AttachCurrentThread 0\n"
                     "FindClass demo/Main\n"
                     "GetStaticMethodID demo/Main initiateExit (I)V\n"
                     "CallStaticVoidMethod demo/Main.initiateExit 0\n"
                     "DetachCurrentThread\n"),
            std::string::npos)
      << log;
  EXPECT_TRUE(log.ends_with("DestroyJavaVM\n")) << log;
}

// The trace never holds, stops or tears a launch: a FIFO without a reader is
// skipped, a reader that goes away ends the trace alone, and launches that
// trace long lines into one file keep each line whole.
TEST(FakeJvm, TraceNeverHoldsOrEndsTheLaunchAndKeepsLinesWhole) {
  LauncherFolder app;
  const std::string longOption = "-Dlong=" + std::string(300000, 'x');
  app.writeLap(fakeLap(app, longOption + "\n"));
  ASSERT_EQ(mkfifo((app.dir() + "/fifo").c_str(), 0600), 0);
  const RunResult fifo = app.run({}, {"MURVO_TRACE=" + app.dir() + "/fifo"}, 10);
  EXPECT_FALSE(fifo.timedOut);
  EXPECT_EQ(fifo.status, 0);

  LauncherFolder piped(
      "app", MURVO_LAUNCHER,
      {"bash", "-c", "\"$0\" 2>&1 | head -c 20 >/dev/null; exit ${PIPESTATUS[0]}"});
  piped.writeLap(fakeLap(piped, longOption + "\n"));
  EXPECT_EQ(piped.run({}, {"MURVO_TRACE=-"}).status, 0);
  EXPECT_NE(jniLog(piped).find("CallStaticVoidMethod demo/Main.main"), std::string::npos);

  std::vector<Process> launches;
  for (int i = 0; i < 2; ++i)
    launches.push_back(app.start({}, {"MURVO_TRACE=" + app.dir() + "/trace"}));
  for (Process& launch : launches) EXPECT_EQ(launch.wait().status, 0);
  const std::string trace = readFile(app.dir() + "/trace");
  int longLines = 0;
  for (std::size_t at = 0; at < trace.size();) {
    const std::size_t end = trace.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    const std::string line = trace.substr(at, end - at);
    EXPECT_TRUE(line.starts_with("murvo: ")) << line.substr(0, 80);
    if (line.find("-Dlong=") != std::string::npos) {
      ++longLines;
      EXPECT_TRUE(line.ends_with(longOption)) << line.substr(0, 80);
    }
    at = end + 1;
  }
  EXPECT_EQ(longLines, 4);  // the property and the JVM option, of each launch
}

}  // namespace
}  // namespace murvo::e2e
