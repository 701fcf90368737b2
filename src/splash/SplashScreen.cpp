#include "splash/SplashScreen.h"

#include <atomic>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>

#include "discovery/JvmLibraryLayout.h"
#include "platform/Display.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileAccess.h"
#include "platform/PathText.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"
#include "vm/VmGate.h"
#include "vm/VmShutdown.h"

namespace murvo {

namespace {

using namespace std::string_view_literals;
using SplashInit = void (*)();
using SplashLoadFile = int (*)(const char*);
using SplashLoadMemory = int (*)(void*, int);
using SplashSetFileJarName = void (*)(const char*, const char*);
using SplashSetScaleFactor = void (*)(float);
using SplashClose = void (*)();

// A display that does not answer within this time shows no splash.
constexpr auto displayLimit = std::chrono::seconds(1);

// The splash shown, closed at most once: by the timeout, the window watch or
// a failure of the launch, whichever comes first. Once the program's AWT has
// taken the splash over, it closes it too; the library then ignores a close.
std::atomic<SplashClose> openSplash{nullptr};

// The VM, once it exists, and the gate that keeps the watch out of it once
// it ends. Never destroyed: the watch may run while the process ends.
std::atomic<JavaVM*> runningVm{nullptr};
VmGate& vmGate = *new VmGate;

void closeSplash() {
  if (SplashClose close = openSplash.exchange(nullptr)) {
    if (tracing()) trace("splash closed");
    close();
  }
}

// True when the program holds the splash: java.awt.SplashScreen keeps the
// instance that getSplashScreen() gave out. The caller holds the class's
// lock, which getSplashScreen() takes too.
bool programHoldsSplash(JNIEnv* env, jclass splashScreen) {
  jfieldID instance = env->GetStaticFieldID(splashScreen, "theInstance", "Ljava/awt/SplashScreen;");
  if (!instance) {
    env->ExceptionClear();
    return false;
  }
  return env->GetStaticObjectField(splashScreen, instance) != nullptr;
}

// The timeout and the window watch close only a splash that the program has
// left alone. The look and the close happen under the lock of
// java.awt.SplashScreen: a program that asks for the splash meanwhile finds
// it either still its own or already closed (getSplashScreen() gives null).
void closeSplashLeftAlone() {
  JavaVM* vm = runningVm;
  if (!vm) return closeSplash();
  // The VM ends: the program takes nothing any more, and the splash goes.
  if (!vmGate.enter()) return closeSplash();
  JNIEnv* env = nullptr;
  if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr) == JNI_OK &&
      env->PushLocalFrame(8) == 0) {
    jclass splashScreen = env->FindClass("java/awt/SplashScreen");
    if (!splashScreen) {
      // A runtime without java.desktop: nobody can take the splash.
      env->ExceptionClear();
      closeSplash();
    } else if (env->MonitorEnter(splashScreen) == JNI_OK) {
      if (!programHoldsSplash(env, splashScreen)) {
        closeSplash();
      } else if (tracing()) {
        trace("splash left open: the program has taken it");
      }
      env->MonitorExit(splashScreen);
    }
    env->PopLocalFrame(nullptr);
  }
  vmGate.leave();
}

void shutVmGate() {
  vmGate.shut();
}

void noSplash(const std::string& reason) {
  if (tracing()) trace("no splash: " + reason);
}

// The last -Djava.awt.headless decides, as in the VM.
bool headless(const std::vector<std::string>& options) {
  const std::string option = "-Djava.awt.headless=";
  bool on = false;
  for (const std::string& given : options) {
    if (!given.starts_with(option)) continue;
    std::string value = given.substr(option.size());
    for (char& c : value) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    on = value == "true";
  }
  return on;
}

// The image for a scaled display, named as the splash library names it:
// "splash@2x.png" for a whole factor, "splash@150pct.png" otherwise.
std::string scaledImageName(const std::string& image, float scale) {
  const long percent = std::lround(scale * 100);
  std::string suffix = "@";
  suffix +=
      percent % 100 == 0 ? std::to_string(percent / 100) + "x" : std::to_string(percent) + "pct";
  const std::size_t folder = image.rfind(platform::pathSeparator);
  const std::size_t dot = image.rfind('.');
  if (dot == std::string::npos || (folder != std::string::npos && dot < folder)) {
    return image + suffix;
  }
  return image.substr(0, dot) + suffix + image.substr(dot);
}

// The image formats the splash library reads, known by their first bytes:
// PNG (its signature and the header chunk that must follow it), GIF, JPEG.
bool isSplashImage(const std::string& head) {
  return head.starts_with("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"sv) || head.starts_with("GIF87a") ||
         head.starts_with("GIF89a") || head.starts_with("\xff\xd8\xff");
}

template <typename Function>
Function symbol(void* library, const char* name) {
  return reinterpret_cast<Function>(platform::findSymbol(library, name));
}

}  // namespace

SplashScreen::SplashScreen(LaunchProperties& properties, const std::string& jvmPath) {
  if (!canShow(properties, jvmPath)) return;
  if (void* library = platform::loadLibrary(libraryPath)) {
    show(library);
    return;
  }
  if (tracing())
    trace("splash library waits for the JVM library: " + platform::libraryError(libraryPath));
  waiting = true;
}

void SplashScreen::showWithJvmLoaded() {
  if (!waiting) return;
  if (void* library = platform::loadLibrary(libraryPath)) {
    show(library);
  } else {
    noSplash(platform::libraryError(libraryPath));
  }
}

bool SplashScreen::canShow(LaunchProperties& properties, const std::string& jvmPath) {
  image = properties.getSplashImage();
  if (image.empty() && !properties.getJarSplashBytes().empty()) {
    image = properties.getJarSplashEntry();
    jarImage = &properties.getJarSplashBytes();
    jar = properties.getJar();
  }
  if (image.empty()) return false;
  const std::string& seconds = properties.getSplashTimeout();
  const auto [end, error] =
      std::from_chars(seconds.data(), seconds.data() + seconds.size(), timeout);
  if (error != std::errc() || end != seconds.data() + seconds.size()) {
    if (!seconds.empty() && tracing()) trace("splash timeout is no number of seconds: " + seconds);
    timeout = 0;
  }
  if (headless(properties.getJvmOptions())) {
    noSplash("java.awt.headless=true");
    return false;
  }
  if (!platform::hasDisplay()) {
    noSplash("no display");
    return false;
  }
  if (!jarImage && !platform::isRegularFile(image)) {
    noSplash("no image file " + image);
    return false;
  }
  const std::string head =
      jarImage ? jarImage->substr(0, 16) : platform::readRegularFile(image, 16).value_or("");
  if (!isSplashImage(head)) {
    noSplash(image + " is no PNG, GIF or JPEG image");
    return false;
  }
  const std::optional<std::string> home = homeOfJvmLibrary(jvmPath);
  if (!home) {
    noSplash("no Java home holds " + jvmPath);
    return false;
  }
  libraryPath = *home + platform::splashLibraryPiece;
  if (!platform::isRegularFile(libraryPath)) {
    noSplash("no splash library " + libraryPath);
    return false;
  }
  // The library would wait for a display that never answers.
  if (const std::string failure = platform::displayFailure(displayLimit); !failure.empty()) {
    noSplash(failure);
    return false;
  }
  return true;
}

void SplashScreen::show(void* library) {
  auto init = symbol<SplashInit>(library, "SplashInit");
  auto loadFile = symbol<SplashLoadFile>(library, "SplashLoadFile");
  auto loadMemory = symbol<SplashLoadMemory>(library, "SplashLoadMemory");
  auto setFileJarName = symbol<SplashSetFileJarName>(library, "SplashSetFileJarName");
  auto setScaleFactor = symbol<SplashSetScaleFactor>(library, "SplashSetScaleFactor");
  auto close = symbol<SplashClose>(library, "SplashClose");
  if (!init || !loadFile || (jarImage && !loadMemory) || !setFileJarName || !setScaleFactor ||
      !close) {
    noSplash(libraryPath + " lacks a splash function");
    platform::freeLibrary(library);
    return;
  }
  std::string file = image;
  const float scale = platform::displayScale();
  if (!jarImage && scale > 1 &&
      isSplashImage(platform::readRegularFile(scaledImageName(image, scale), 16).value_or(""))) {
    file = scaledImageName(image, scale);
  }
  init();
  if (file != image) setScaleFactor(scale);
  // A runnable jar's image is handed over from memory, with the jar's name,
  // as `java -jar` does, so the program's getImageURL() names the entry.
  const bool loaded =
      jarImage ? loadMemory(const_cast<char*>(jarImage->data()), static_cast<int>(jarImage->size()))
               : loadFile(file.c_str());
  if (!loaded) {
    noSplash(libraryPath + " cannot show " + file);
    return;
  }
  setFileJarName(file.c_str(), jarImage ? jar.c_str() : nullptr);
  if (tracing()) trace("splash shown: " + file + " by " + libraryPath);
  openSplash = close;
  beforeFailureMessage(closeSplash);
  platform::watchSplashWindow(timeout, closeSplashLeftAlone);
}

void SplashScreen::vmCreated(JavaVM* vm, JNIEnv* env) {
  // Without the hook the watch cannot know when the VM ends, and closes
  // the splash as it closed it before the VM existed.
  if (openSplash && callOnVmShutdown(env, shutVmGate)) runningVm = vm;
}

}  // namespace murvo
