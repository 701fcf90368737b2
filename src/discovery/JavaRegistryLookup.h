#pragma once

#include <optional>
#include <string>

#include "config/LaunchProperties.h"

namespace murvo {

// Reads the current installed Java runtime environment or development kit
// from the registry's JavaSoft keys and applies the configured version range
// to it. The get operations end the process with their message on failure;
// the find operations give nothing instead.
class JavaRegistryLookup {
 public:
  explicit JavaRegistryLookup(LaunchProperties& properties) : properties(properties) {}
  virtual ~JavaRegistryLookup() = default;

  std::string getBundleKeyPath();
  std::string getCurrentVersion(const std::string& keyPath);
  std::string getJavaHomePath();
  std::string getJvmPathViaRuntimeLib();

  // The bundle key's current version, when it has one.
  std::optional<std::string> findCurrentVersion();
  // JavaHome and RuntimeLib of the current version, when it is in range.
  std::optional<std::string> findJavaHomePath();
  std::optional<std::string> findJvmPathViaRuntimeLib();

 private:
  // These throw a LauncherError with the user's message on failure.
  std::string currentVersionOf(const std::string& keyPath);
  std::string versionValue(const std::string& bundleKey, const std::string& version,
                           const char* valueName, const char* readErrorText);
  std::optional<std::string> findVersionValue(const char* valueName, const char* readErrorText);

  LaunchProperties& properties;
};

}  // namespace murvo
