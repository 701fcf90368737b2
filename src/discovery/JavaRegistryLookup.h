#pragma once

#include <string>

#include "config/LaunchProperties.h"

namespace murvo {

// Reads the current installed Java runtime environment or development kit
// from the registry and applies the configured version range to it.
class JavaRegistryLookup {
 public:
  explicit JavaRegistryLookup(LaunchProperties& properties) : properties(properties) {}
  virtual ~JavaRegistryLookup() = default;

  std::string getBundleKeyPath();
  std::string getCurrentVersion(const std::string& keyPath);
  std::string getJavaHomePath();
  std::string getJvmPathViaRuntimeLib();

 private:
  std::string readCurrentVersionValue(const char* valueName, const char* readErrorText);

  LaunchProperties& properties;
};

}  // namespace murvo
