#pragma once

#include <jni.h>

#include <optional>
#include <string>

namespace murvo {

// Which main methods a Java release starts: before Java 21 (and on 21-24
// without --enable-preview) only a static main(String[]); from Java 25, and on
// 21-24 with the preview, also a static main() and instance main methods.
struct MainMethodRules {
  int featureVersion = 0;  // 0: not known, read as an older Java
  bool previewEnabled = false;

  bool instanceMainAllowed() const;
  // Java 21's preview tries every static method before any instance method;
  // later releases try every main(String[]) before any main().
  bool staticFirst() const { return featureVersion == 21; }
};

// The main method chosen in a class, and how it is called.
struct MainMethod {
  jclass mainClass = nullptr;
  jmethodID method = nullptr;
  bool isStatic = true;
  bool takesArguments = true;
};

// The main method of `mainClass` that `java` of that release would run.
// Nothing when there is none: then the lookup's NoSuchMethodError for a
// static main(String[]) is pending, to be described.
std::optional<MainMethod> findMainMethod(JNIEnv* env, jclass mainClass,
                                         const MainMethodRules& rules);

// Calls the main method: an instance one on an object made with the class's
// constructor without parameters. An exception that escapes (from the
// constructor too) is left pending. Throws a LauncherError naming the class
// when it cannot be instantiated, as `java` refuses such a class.
void callMainMethod(JNIEnv* env, const MainMethod& main, jobjectArray arguments,
                    const std::string& className);

}  // namespace murvo
