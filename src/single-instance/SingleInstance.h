// A program that runs once (murvo.single.instance): the first start owns
// the name until its process ends; every later start hands its arguments
// and working folder to the first, whose main class's static
// anotherInstance(String[], String) takes them, and quits.
#pragma once

#include <jni.h>

#include <string>

#include "config/LaunchProperties.h"

namespace murvo {

class SingleInstance {
 public:
  // Fails with a message that names the key when the name is not one.
  explicit SingleInstance(LaunchProperties& properties);
  virtual ~SingleInstance() = default;

  // True when a running start of the program has taken this start's
  // arguments: this start creates no VM and ends with status 0. Within 5
  // seconds: a running start that does not take them by then is a failure,
  // and one that ends meanwhile leaves the name to this start.
  bool handedOver();
  // Once the main class is found: later starts reach it from now on, until
  // the VM starts to end (System.exit, a signal, the last thread).
  void receive(JavaVM* vm, JNIEnv* env);
  // Before the VM is destroyed: keeps receiving while the program's own
  // threads run (a window's program whose main returned at once), then no
  // later start reaches the VM any more.
  void beforeVmEnds(JNIEnv* env);

 private:
  LaunchProperties* properties;
  std::string name;  // empty: every start runs
  bool owner = false;
};

}  // namespace murvo
