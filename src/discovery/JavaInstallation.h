#pragma once

#include <string>

namespace murvo {

// One Java installation found on the machine.
struct JavaInstallation {
  std::string home;        // never ends in a separator
  std::string version;     // its release file's JAVA_VERSION, else the version its key names
  bool developmentKit;     // it holds bin/javac
  std::string jvmLibrary;  // an existing file, built for this process
  std::string foundAt;     // where it was found: a registry key, JAVA_HOME, PATH or a folder
};

}  // namespace murvo
