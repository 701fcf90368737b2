#pragma once

#include <string>

#include "config/LaunchProperties.h"
#include "discovery/JvmLibraryLayout.h"

namespace murvo {

// Works out the JVM library's path and the Java home from the record's
// settings, or from the installed Java when nothing is configured.
class JvmLocator {
 public:
  explicit JvmLocator(LaunchProperties& properties) : properties(properties) {}
  virtual ~JvmLocator() = default;

  std::string findJvmPath();
  std::string findJvmPathInRegistry();
  std::string findJavaHomeInRegistry();

 private:
  // The layouts for the record's bundle and configured JVM folder.
  JvmLibraryLayout layout();
  // Stores the default JVM folder when none is configured.
  void storeDefaultJvmDir();

  LaunchProperties& properties;
};

// The look-ups of the machine's Java that fill the record's lazy getters.
JavaLookup discoveryLookup();

}  // namespace murvo
