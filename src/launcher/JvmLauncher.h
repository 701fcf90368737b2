#pragma once

#include <jni.h>

#include "config/LaunchProperties.h"
#include "vm/MainMethod.h"

namespace murvo {

// Loads the JVM library into this process, creates the VM, runs the main
// class's main method with the program arguments and destroys the VM.
class JvmLauncher {
 public:
  explicit JvmLauncher(LaunchProperties& properties) : properties(&properties) {}
  virtual ~JvmLauncher() = default;

  // The exit status once the VM is destroyed: 1 when an exception escaped
  // main, 0 otherwise.
  int run();
  // Fills the VM arguments from the record's options and class path.
  void buildInitArgs(JavaVMInitArgs& args);

 private:
  void addModuleOptions();

  void* loadJvmLibrary(const std::string& jvmPath, const JavaVMInitArgs& args);
  JNIEnv* createVm(void* library, const std::string& jvmPath, JavaVMInitArgs& args);
  MainMethod findMain(JNIEnv* env, const MainMethodRules& rules);
  // The main class of murvo.main.module, loaded from its module.
  jclass findModuleMain(JNIEnv* env);
  jobjectArray makeArgumentArray(JNIEnv* env);
  void trapConsoleEvents();
  // True when an exception escaped main.
  bool callMain(JNIEnv* env, const MainMethod& main, jobjectArray arguments);
  void destroyVm(void* library);
  std::string userOptionsPart() const;

  LaunchProperties* properties;
  JavaVM* vm = nullptr;
};

}  // namespace murvo
