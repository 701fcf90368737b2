#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/LaunchProperties.h"
#include "discovery/JavaInstallation.h"
#include "discovery/JvmLibraryLayout.h"

namespace murvo {

// The installed Java that runs when the .lap file names neither a JVM
// library nor a Java home. The current Java of the registry's JavaSoft key
// is kept when the key exists, its version is in range and its JVM library
// exists. Otherwise every installation of the machine is considered (only
// development kits for the bundle "SDK"), and the highest version in range
// wins, the first found among equal ones. When none is suitable the launch
// ends: with the version out of range when some installation was found,
// otherwise with the JavaSoft key's own message; with a download address
// (murvo.java.download.url), with what is needed and where to get it.
class InstalledJavaFinder {
 public:
  InstalledJavaFinder(LaunchProperties& properties, JvmLibraryLayout layout)
      : properties(properties), layout(std::move(layout)) {}

  std::string findHome();
  // The JVM library, for a runtime environment without a configured JVM folder.
  std::string findRuntimeLib();

 private:
  std::optional<JavaInstallation> chooseInstallation();
  // Ends the launch, or gives what the JavaSoft key's own lookup gives.
  template <typename DescribedLookup>
  std::string noneSuitable(bool keyFailed, DescribedLookup&& describedLookup);
  // Ends the launch with the Java it needs and where to get it.
  [[noreturn]] void offerDownload(const std::string& address);
  // "Java 17 or later", "Java 11 to 17".
  std::string requiredRange();
  std::string whyNotTaken(const JavaInstallation& installation);

  LaunchProperties& properties;
  JvmLibraryLayout layout;
  std::vector<JavaInstallation> gathered;  // every installation found
  std::vector<JavaInstallation> eligible;  // of the kind asked for, in range or not
};

}  // namespace murvo
