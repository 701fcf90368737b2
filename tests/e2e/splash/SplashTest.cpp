// The splash screen with the real JDKs on a virtual X screen (Xvfb): on the
// screen, seen by the program, closed by its first window, by the timeout and
// by a failure, and each case without a splash a launch as without the key.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "Harness.h"

namespace murvo::e2e {
namespace {

namespace fs = std::filesystem;

using Colour = std::array<int, 3>;

// The image's colour at the middle of the screen, where the splash lies; the
// animated GIF's second frame has the other.
constexpr Colour splashColour{0x20, 0xa0, 0xf0};
constexpr Colour secondFrameColour{0xf0, 0xa0, 0x20};
constexpr int screenWidth = 640;
constexpr int screenHeight = 480;

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

// An X server of its own for the test, with a black screen.
class VirtualScreen {
 public:
  VirtualScreen() {
    if (access("/usr/bin/Xvfb", X_OK) != 0) return;
    const int number = 100 + getpid() % 800;
    const std::string size =
        std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24";
    server = fork();
    if (server == 0) {
      execl("/usr/bin/Xvfb", "Xvfb", (":" + std::to_string(number)).c_str(), "-screen", "0",
            size.c_str(), "-br", "-nolisten", "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    for (int i = 0; i < 500 && !fs::exists(socket); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (fs::exists(socket)) display = ":" + std::to_string(number);
  }
  ~VirtualScreen() {
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
    }
  }

  // Empty when no X server could start.
  const std::string& name() const { return display; }

  // The colour at the middle of the screen, read back with xwd.
  Colour middle() const {
    std::string image;
    if (FILE* pipe = popen(("xwd -root -silent -display " + display).c_str(), "r")) {
      char buffer[65536];
      for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) image.append(buffer, n);
      pclose(pipe);
    }
    auto field = [&](std::size_t index) {
      std::uint32_t value = 0;
      for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(image[index * 4 + i]);
      return value;
    };
    if (image.size() < 100 || field(11) != 32) return {-1, -1, -1};
    const std::size_t at =
        field(0) + field(19) * 12 + (screenHeight / 2) * field(12) + (screenWidth / 2) * 4;
    if (at + 4 > image.size()) return {-1, -1, -1};
    std::uint32_t pixel = 0;
    for (int i = 0; i < 4; ++i) {
      const int byte = field(7) == 0 ? 3 - i : i;  // 0: least significant byte first
      pixel = pixel << 8 | static_cast<unsigned char>(image[at + byte]);
    }
    Colour colour{};
    for (int c = 0; c < 3; ++c) {
      std::uint32_t mask = field(14 + c);
      int shift = 0;
      while (mask && !(mask & 1)) mask >>= 1, ++shift;
      colour[c] = static_cast<int>((pixel >> shift) & mask);
    }
    return colour;
  }

  // Waits until the middle of the screen shows the colour (`shown`) or not.
  // JPEG's colour conversion may move a channel by a step or two.
  bool awaitSplash(bool shown, const Colour& colour = splashColour) const {
    auto near = [&](const Colour& seen) {
      for (int c = 0; c < 3; ++c) {
        if (std::abs(seen[c] - colour[c]) > 3) return false;
      }
      return true;
    };
    for (int i = 0; i < 300; ++i) {
      if (near(middle()) == shown) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

 private:
  pid_t server = -1;
  std::string display;
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
      EXPECT_TRUE(screen.awaitSplash(true));
      if (image.ends_with(".gif")) {
        EXPECT_TRUE(screen.awaitSplash(true, secondFrameColour));
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
    EXPECT_TRUE(screen.awaitSplash(true));
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

TEST_F(Splash, TheTimeoutClosesIt) {
  for (const std::string& home : javaHomes()) {
    SCOPED_TRACE(home);
    LauncherFolder app;
    addImage(app);
    // Long enough to be seen on a loaded machine, where mapping the window takes a while.
    app.writeLap(lapFor(home, "murvo.splash=splash.png\nmurvo.splash.timeout=3\n"));
    Process process = app.start({"wait", app.dir() + "/stop"}, {display()});
    EXPECT_TRUE(screen.awaitSplash(true));
    EXPECT_TRUE(screen.awaitSplash(false));
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
