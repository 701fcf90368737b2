// The splash under Wine, with the splash library test double in the Java
// home of the JVM test double: which library and file, the calls in order,
// and the closing by the timeout and before a failure's message.
#include <cstdlib>
#include <filesystem>

#include "WineFolder.h"

namespace murvo::wine {
namespace {

// The first bytes of a PNG file, as the launcher checks them before the
// library sees the file.
std::string png(const std::string& rest) {
  return std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + rest;
}

// A Java home with the JVM double and the splash double, and an image beside
// the executable.
struct SplashFolder : WineFolder {
  SplashFolder() : WineFolder("app.exe", MURVO_CONSOLE_LAUNCHER) {
    placeJvm("home/bin/server/jvm.dll");
    writeFile("home/release", "JAVA_VERSION=\"21.0.2\"\n");
    std::filesystem::copy_file(FAKE_SPLASH_LIBRARY, dir() + "/home/bin/splashscreen.dll");
    writeFile("splash.png", png("an image"));
  }
  std::string splashLap(const std::string& more) const {
    return "murvo.jvm.path=home\\bin\\server\\jvm.dll\n" + fakeJvmLines() + more;
  }
  e2e::RunResult launch() const { return run({}, {"FAKESPLASH_LOG=" + win("splash.log")}); }
  std::string splashLog() const { return e2e::readFile(dir() + "/splash.log"); }
  // The calls that show `image`, with `before` (the scale factor's call) ahead of the load.
  std::string shown(const std::string& image, const std::string& before = "") const {
    return "library " + win("home/bin/splashscreen.dll") + "\nSplashInit\n" + before +
           "SplashLoadFile " + win(image) + "\nSplashSetFileJarName " + win(image) + " (none)\n";
  }
};

TEST(WineSplash, ShownByTheLibraryOfTheJavaHomeThatRuns) {
  SplashFolder folder;
  // A splashscreen.dll beside the executable is never loaded.
  std::filesystem::copy_file(FAKE_SPLASH_LIBRARY, folder.dir() + "/splashscreen.dll");
  folder.writeLap(folder.splashLap("murvo.splash=splash.png\n"));
  const e2e::RunResult result = folder.launch();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(folder.splashLog(), folder.shown("splash.png"));
  EXPECT_NE(folder.log().find("JNI_CreateJavaVM"), std::string::npos);
}

TEST(WineSplash, TheTimeoutClosesIt) {
  SplashFolder folder;
  // The VM takes two seconds to end; the splash closes after one.
  folder.writeLap(
      folder.splashLap("murvo.splash=${SELF_HOME}\\splash.png\nmurvo.splash.timeout=1\n-Dfakejvm."
                       "main=slow-destroy\n"));
  const e2e::RunResult result = folder.launch();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(folder.splashLog(), folder.shown("splash.png") + "SplashClose\n");
}

TEST(WineSplash, AFailureClosesItBeforeTheMessage) {
  SplashFolder folder;
  folder.writeLap(folder.splashLap("murvo.splash=splash.png\n-Dfakejvm.fail=findclass\n"));
  const e2e::RunResult result = folder.launch();
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(folder.splashLog(), folder.shown("splash.png") + "SplashClose\n");
  const std::size_t closed = result.err.find("fakesplash: SplashClose");
  ASSERT_NE(closed, std::string::npos) << result.err;
  EXPECT_LT(closed, result.err.find("Error in Java launcher."));
}

// A Java home without the splash library, and one whose splashscreen.dll
// lacks the splash functions (a library of the JVM double's in its place).
TEST(WineSplash, AJavaHomeWithoutTheLibraryLeavesTheLaunchAsItWas) {
  for (const bool lacking : {false, true}) {
    SCOPED_TRACE(lacking ? "a library without the functions" : "no library");
    SplashFolder folder;
    const std::string library = folder.dir() + "/home/bin/splashscreen.dll";
    std::filesystem::remove(library);
    if (lacking) std::filesystem::copy_file(std::string(FAKE_JVM_DIR) + "/fakeawtdep.dll", library);
    // Found by the system's search, it would be loaded; it never is.
    std::filesystem::copy_file(FAKE_SPLASH_LIBRARY, folder.dir() + "/splashscreen.dll");
    folder.writeLap(folder.splashLap("murvo.splash=splash.png\n"));
    const e2e::RunResult result = folder.run(
        {}, {"FAKESPLASH_LOG=" + folder.win("splash.log"), "MURVO_TRACE=" + folder.win("trace")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(std::filesystem::exists(folder.dir() + "/splash.log"));
    const std::string path = folder.win("home/bin/splashscreen.dll");
    const std::string reason =
        lacking ? path + " lacks a splash function" : "no splash library " + path;
    EXPECT_NE(e2e::readFile(folder.dir() + "/trace").find("murvo: no splash: " + reason),
              std::string::npos);
    EXPECT_NE(folder.log().find("JNI_CreateJavaVM"), std::string::npos);
  }
}

TEST(WineSplash, AnImageTheLibraryCannotShowLeavesTheLaunchAsItWas) {
  SplashFolder folder;
  folder.writeFile("bad.png", png("corrupt image"));
  folder.writeLap(folder.splashLap("murvo.splash=bad.png\n"));
  const e2e::RunResult result = folder.launch();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(folder.splashLog(), "library " + folder.win("home/bin/splashscreen.dll") +
                                    "\nSplashInit\nSplashLoadFile " + folder.win("bad.png") + "\n");
}

// The display's scale as Wine reports it, for one test.
class DisplayScale {
 public:
  explicit DisplayScale(int dpi) {
    std::system(("wine reg add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d " +
                 std::to_string(dpi) + " /f >/dev/null 2>&1")
                    .c_str());
  }
  ~DisplayScale() {
    std::system("wine reg delete \"HKCU\\Control Panel\\Desktop\" /v LogPixels /f >/dev/null 2>&1");
  }
};

TEST(WineSplash, AScaledDisplayTakesTheImageForItsScaleWhenThereIsOne) {
  SplashFolder folder;
  folder.writeFile("splash@2x.png", png("a larger image"));
  folder.writeLap(folder.splashLap("murvo.splash=splash.png\n"));
  {
    const DisplayScale twice(192);
    ASSERT_EQ(folder.launch().status, 0);
  }
  EXPECT_EQ(folder.splashLog(), folder.shown("splash@2x.png", "SplashSetScaleFactor 2.000000\n"));
  std::filesystem::remove(folder.dir() + "/splash.log");
  {
    const DisplayScale oneAndAHalf(144);  // no splash@150pct.png
    ASSERT_EQ(folder.launch().status, 0);
  }
  EXPECT_EQ(folder.splashLog(), folder.shown("splash.png"));
}

}  // namespace
}  // namespace murvo::wine
