#pragma once

#include <string>

#include "config/LaunchProperties.h"

namespace murvo {

// Works out the JVM library's path and the Java home from the record's
// settings, or from the registry when nothing is configured.
class JvmLocator {
 public:
  explicit JvmLocator(LaunchProperties& properties) : properties(properties) {}
  virtual ~JvmLocator() = default;

  std::string findJvmPath();
  std::string findJvmPathInRegistry();
  std::string findJavaHomeInRegistry();

 private:
  // The JVM sub-directory, with the default stored first when it is empty.
  const std::string& binJvmDirOrDefault();

  LaunchProperties& properties;
};

}  // namespace murvo
