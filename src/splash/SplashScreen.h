#pragma once

#include <jni.h>

#include <string>

#include "config/LaunchProperties.h"

namespace murvo {

// The image of murvo.splash (or of a runnable jar's SplashScreen-Image),
// shown through the splash library of the Java
// home that runs, the same library file that the program's
// java.awt.SplashScreen loads, so the program finds the splash shown. Shown
// before the JVM library is loaded when the splash library loads on its own,
// else right after. A splash that cannot be shown is left out, with the reason
// in the trace; the launch goes on as without it.
class SplashScreen {
 public:
  // Shows the splash now when the splash library loads without the JVM library.
  SplashScreen(LaunchProperties& properties, const std::string& jvmPath);
  // Shows the splash that waited for the JVM library to be loaded.
  void showWithJvmLoaded();
  // From now on the timeout closes the splash only while the program has
  // not taken it through java.awt.SplashScreen.
  void vmCreated(JavaVM* vm, JNIEnv* env);

 private:
  bool canShow(LaunchProperties& properties, const std::string& jvmPath);
  void show(void* library);

  std::string image;
  const std::string* jarImage = nullptr;  // the bytes of a runnable jar's image
  std::string jar;
  std::string libraryPath;
  unsigned timeout = 0;
  bool waiting = false;
};

}  // namespace murvo
