#include "discovery/JvmLocator.h"

#include "discovery/JavaRegistryLookup.h"
#include "launcher/ErrorReporter.h"
#include "platform/PathText.h"

namespace murvo {

using platform::developmentKitJvmPiece;
using platform::jvmLibraryName;
using platform::runtimeJvmPiece;

const std::string& JvmLocator::binJvmDirOrDefault() {
  std::string& dir = properties.getBinJvmDir();
  if (dir.empty()) dir = platform::defaultJvmDir;
  return dir;
}

std::string JvmLocator::findJvmPath() {
  return guard("Error trying to get JVM path", [&]() -> std::string {
    const std::string& home = properties.getConfiguredJavaHome();
    if (home.empty()) return findJvmPathInRegistry();
    const bool kit = properties.getJavaBundle() == LaunchProperties::SDK_BUNDLE;
    const std::string& dir = binJvmDirOrDefault();
    return home + (kit ? developmentKitJvmPiece : runtimeJvmPiece) + dir + jvmLibraryName;
  });
}

std::string JvmLocator::findJvmPathInRegistry() {
  return guard("Error trying to get JVM path from registry", [&]() -> std::string {
    if (properties.getJavaBundle() == LaunchProperties::SDK_BUNDLE) {
      const std::string& dir = binJvmDirOrDefault();
      return properties.getFoundJavaHome() + developmentKitJvmPiece + dir + jvmLibraryName;
    }
    if (properties.getBinJvmDir().empty()) {
      return JavaRegistryLookup(properties).getJvmPathViaRuntimeLib();
    }
    return properties.getFoundJavaHome() + runtimeJvmPiece + properties.getBinJvmDir() +
           jvmLibraryName;
  });
}

std::string JvmLocator::findJavaHomeInRegistry() {
  return guard("Error trying to get Java home path from registry",
               [&] { return JavaRegistryLookup(properties).getJavaHomePath(); });
}

}  // namespace murvo
