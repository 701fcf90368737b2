// The splash screen with the real JDKs on a virtual X screen (Xvfb): on the
// screen, seen by the program, closed by its first window, by the timeout
// (unless the program has taken it) and by a failure, and each case without a
// splash (a display that never answers among them) a launch as without the key.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
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

// An X display that takes connections and never answers, on its Unix socket
// and on its TCP port: ":<n>" and "127.0.0.1:<n>".
class SilentDisplay {
 public:
  SilentDisplay() : number(900 + getpid() % 99) {
    fs::create_directories("/tmp/.X11-unix");
    path = "/tmp/.X11-unix/X" + std::to_string(number);
    sockaddr_un local{};
    local.sun_family = AF_UNIX;
    std::snprintf(local.sun_path, sizeof local.sun_path, "%s", path.c_str());
    unlink(path.c_str());
    unixListener = socket(AF_UNIX, SOCK_STREAM, 0);
    bind(unixListener, reinterpret_cast<sockaddr*>(&local), sizeof local);
    listen(unixListener, 16);
    sockaddr_in tcp{};
    tcp.sin_family = AF_INET;
    tcp.sin_port = htons(6000 + number);
    tcp.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    tcpListener = socket(AF_INET, SOCK_STREAM, 0);
    bind(tcpListener, reinterpret_cast<sockaddr*>(&tcp), sizeof tcp);
    listen(tcpListener, 16);
  }
  ~SilentDisplay() {
    close(unixListener);
    close(tcpListener);
    unlink(path.c_str());
  }
  std::string local() const { return ":" + std::to_string(number); }
  std::string overTcp() const { return "127.0.0.1:" + std::to_string(number); }

 private:
  int number;
  std::string path;
  int unixListener;
  int tcpListener;
};

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

// A runnable jar's SplashScreen-Image, shown from the jar as `java -jar`
// shows it, and named by the program as the jar's entry.
TEST_F(Splash, ARunnableJarsImageIsShownFromTheJar) {
  for (const std::string& home : javaHomes()) {
    SCOPED_TRACE(home);
    LauncherFolder app;
    app.writeFile("splash.jar", readFile(javaJars() + "/splash.jar"));
    app.writeLap("murvo.jvm.path=" + home + "/lib/server/libjvm.so\nmurvo.jar=splash.jar\n");
    Process process = app.start({"wait", app.dir() + "/stop"}, {display()});
    EXPECT_TRUE(awaitCount([&] { return process.outputSoFar(); }, "splash=", 1));
    EXPECT_TRUE(screen.awaitMiddle(true, splashColour));
    app.writeFile("stop", "");
    const RunResult result = process.wait();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "splash=jar:file:" + app.dir() + "/splash.jar!/splash.png\n");
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

// The timeout closes a splash that the program leaves alone; one that the
// program has taken stays its own, to draw on and close.
TEST_F(Splash, TheTimeoutClosesOnlyASplashTheProgramLeftAlone) {
  for (const std::string& home : javaHomes()) {
    SCOPED_TRACE(home);
    LauncherFolder app;
    addImage(app);
    // Long enough to be seen on a loaded machine, where mapping the window takes a while.
    app.writeLap(lapFor(home, "murvo.splash=splash.png\nmurvo.splash.timeout=3\n"));
    Process alone = app.start({"alone", app.dir() + "/stop"}, {display()});
    EXPECT_TRUE(screen.awaitMiddle(true, splashColour));
    EXPECT_TRUE(screen.awaitMiddle(false, splashColour));
    // Still running: the splash went by the timeout, not with the process.
    EXPECT_EQ(alone.outputSoFar(), "running\n");
    app.writeFile("stop", "");
    EXPECT_EQ(alone.wait().status, 0);

    fs::remove(app.dir() + "/stop");
    app.writeLap(lapFor(home, "murvo.splash=splash.png\nmurvo.splash.timeout=1\n"));
    const std::string trace = app.dir() + "/trace";
    Process drawing = app.start({"draw", app.dir() + "/stop"}, {display(), "MURVO_TRACE=" + trace});
    EXPECT_TRUE(awaitCount([&] { return readFile(trace); },
                           "splash left open: the program has taken it", 1));
    EXPECT_TRUE(screen.awaitMiddle(true, splashColour));
    app.writeFile("stop", "");
    EXPECT_TRUE(awaitCount([&] { return drawing.outputSoFar(); }, "drawn\n", 1));
    EXPECT_TRUE(screen.awaitMiddle(true, secondFrameColour));
    app.writeFile("stop.end", "");
    RunResult drawn = drawing.wait();
    EXPECT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(drawn.err, "");
    EXPECT_EQ(drawn.out, "splash=file:" + app.dir() + "/splash.png\ndrawn\n");
    EXPECT_TRUE(screen.awaitMiddle(false, splashColour));
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
  SilentDisplay silent;
  struct Case {
    std::string more;     // .lap lines besides the key
    std::string image;    // the key's value
    std::string display;  // DISPLAY, if any
    std::string reason;   // in the trace
  };
  const std::vector<Case> cases{
      {"", "missing.png", screen.name(), "no splash: no image file "},
      {"", "corrupt.png", screen.name(), "/corrupt.png is no PNG, GIF or JPEG image"},
      {"", "picture.bmp", screen.name(), "/picture.bmp is no PNG, GIF or JPEG image"},
      {"-Djava.awt.headless=true\n", "splash.png", screen.name(),
       "no splash: java.awt.headless=true"},
      {"", "splash.png", "", "no splash: no display"},
      {"", "splash.png", silent.local(),
       "no splash: the X server at " + silent.local() + " does not answer within 1000 ms"},
      {"", "splash.png", silent.overTcp(),
       "no splash: the X server at " + silent.overTcp() + " does not answer within 1000 ms"},
  };
  for (const std::string& home : javaHomes()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(home + " " + c.reason);
      LauncherFolder app;
      addImage(app);
      app.writeFile("corrupt.png", "\x89PNG\r\n\x1a\nnot an image");
      app.writeFile("picture.bmp", "BM not a splash image");
      std::vector<std::string> environment;
      if (!c.display.empty()) environment.push_back("DISPLAY=" + c.display);
      app.writeLap(lapFor(home, c.more));
      RunResult without = app.run({}, environment);
      app.writeLap(lapFor(home, c.more + "murvo.splash=" + c.image + "\n"));
      environment.push_back("MURVO_TRACE=" + app.dir() + "/trace");
      RunResult with = app.run({}, environment);
      EXPECT_EQ(with.status, without.status);
      EXPECT_EQ(with.out, without.out);
      EXPECT_EQ(with.err, without.err);
      EXPECT_FALSE(with.timedOut);
      EXPECT_NE(readFile(app.dir() + "/trace").find(c.reason), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace murvo::e2e
