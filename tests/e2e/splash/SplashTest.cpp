// The splash screen with the real JDKs on a virtual X screen (Xvfb): on the
// screen, seen by the program, closed by its first window, by the timeout and
// by a failure, and each case without a splash a launch as without the key.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "Harness.h"
#include "VirtualScreen.h"

namespace murvo::e2e {
namespace {

namespace fs = std::filesystem;

// The image's colour at the middle of the screen, where the splash lies; the
// animated GIF's second frame has the other.
constexpr Colour splashColour{0x20, 0xa0, 0xf0};
constexpr Colour secondFrameColour{0xf0, 0xa0, 0x20};

std::vector<std::string> javaHomes() {
  std::vector<std::string> homes{JDK_HOME};
  const std::string temurin25 = "/usr/lib/jvm/temurin-25-jdk-amd64";
  if (fs::exists(temurin25) && homes[0] != temurin25) homes.push_back(temurin25);
  return homes;
}

std::string lapFor(const std::string& home, const std::string& more) {
  return "murvo.jvm.path=" + home + "/lib/server/libjvm.so\nmurvo.main.class=demo.Splash\n" +
         "-Djava.class.path=" + javaClasses() + "\n" + more;
}

class Splash : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");
    if (screen.name().empty()) GTEST_SKIP() << "no X server (Xvfb) could start";
  }
  std::string display() const { return "DISPLAY=" + screen.name(); }
  static void addImage(const LauncherFolder& app, const std::string& name = "splash.png") {
    fs::copy_file(std::string(SPLASH_IMAGES) + "/" + name, app.dir() + "/" + name);
  }

  VirtualScreen screen;
};

// PNG, JPEG, and a GIF whose two frames take turns.
TEST_F(Splash, OnTheScreenAndSeenByTheProgram) {
  for (const std::string& home : javaHomes()) {
    for (const std::string image : {"splash.png", "splash.jpg", "splash.gif"}) {
      SCOPED_TRACE(home + " " + image);
      LauncherFolder app;
      addImage(app, image);
      app.writeLap(lapFor(home, "murvo.splash=" + image + "\n"));
      Process process = app.start({"wait", app.dir() + "/stop"}, {display()});
      EXPECT_TRUE(awaitCount([&] { return process.outputSoFar(); }, "splash=", 1));
      EXPECT_TRUE(screen.awaitMiddle(true, splashColour));
      if (image.ends_with(".gif")) {
        EXPECT_TRUE(screen.awaitMiddle(true, secondFrameColour));
      }
      app.writeFile("stop", "");
      RunResult result = process.wait();
      EXPECT_EQ(result.status, 0) << result.err;
      EXPECT_EQ(result.out, "splash=file:" + app.dir() + "/" + image + "\n");
    }
  }
}

TEST_F(Splash, GoneOnceTheFirstWindowShows) {
  for (const std::string& home : javaHomes()) {
    SCOPED_TRACE(home);
    LauncherFolder app;
    addImage(app);
    app.writeLap(lapFor(home, "murvo.splash=${SELF_HOME}/splash.png\n"));
    RunResult result = app.run({"frame"}, {display()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "splash=file:" + app.dir() + "/splash.png\nafter frame: splash=none\n");
  }
}

TEST_F(Splash, TheTimeoutClosesIt) {
  for (const std::string& home : javaHomes()) {
    SCOPED_TRACE(home);
    LauncherFolder app;
    addImage(app);
    // Long enough to be seen on a loaded machine, where mapping the window takes a while.
    app.writeLap(lapFor(home, "murvo.splash=splash.png\nmurvo.splash.timeout=3\n"));
    Process process = app.start({"wait", app.dir() + "/stop"}, {display()});
    EXPECT_TRUE(screen.awaitMiddle(true, splashColour));
    EXPECT_TRUE(screen.awaitMiddle(false, splashColour));
    // Still running: the splash went by the timeout, not with the process.
    EXPECT_NE(process.outputSoFar(), "");
    app.writeFile("stop", "");
    EXPECT_EQ(process.wait().status, 0);
  }
}

TEST_F(Splash, AFailureClosesItBeforeTheMessage) {
  LauncherFolder app;
  addImage(app);
  app.writeLap("murvo.jvm.path=" + realJvmLibrary() +
               "\nmurvo.main.class=demo.Missing\nmurvo.splash=splash.png\n");
  const std::string trace = app.dir() + "/trace";
  RunResult result = app.run({}, {display(), "MURVO_TRACE=" + trace});
  EXPECT_EQ(result.status, 1);
  const std::string lines = readFile(trace);
  const std::size_t closed = lines.find("murvo: splash closed\n");
  ASSERT_NE(closed, std::string::npos) << lines;
  EXPECT_LT(lines.find("murvo: splash shown"), closed);
  EXPECT_LT(lines.find("murvo: failure: "), closed);
}

TEST_F(Splash, WithoutASplashTheProgramStartsUnchanged) {
  struct Case {
    std::string more;   // .lap lines besides the key
    std::string image;  // the key's value
    bool withDisplay;
    std::string reason;  // in the trace
  };
  const std::vector<Case> cases{
      {"", "missing.png", true, "no splash: no image file "},
      {"", "corrupt.png", true, "cannot show "},
      {"-Djava.awt.headless=true\n", "splash.png", true, "no splash: java.awt.headless=true"},
      {"", "splash.png", false, "no splash: no display"},
  };
  for (const std::string& home : javaHomes()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(home + " " + c.reason);
      LauncherFolder app;
      addImage(app);
      app.writeFile("corrupt.png", "\x89PNG\r\n\x1a\nnot an image");
      std::vector<std::string> environment;
      if (c.withDisplay) environment.push_back(display());
      app.writeLap(lapFor(home, c.more));
      RunResult without = app.run({}, environment);
      app.writeLap(lapFor(home, c.more + "murvo.splash=" + c.image + "\n"));
      environment.push_back("MURVO_TRACE=" + app.dir() + "/trace");
      RunResult with = app.run({}, environment);
      EXPECT_EQ(with.status, without.status);
      EXPECT_EQ(with.out, without.out);
      // The splash library reports an image it cannot decode on standard error.
      if (c.image == "corrupt.png") {
        EXPECT_TRUE(with.err.ends_with(without.err)) << with.err;
      } else {
        EXPECT_EQ(with.err, without.err);
      }
      EXPECT_NE(readFile(app.dir() + "/trace").find(c.reason), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace murvo::e2e
