#include "discovery/JvmLocator.h"

#include "discovery/InstalledJavaFinder.h"
#include "platform/PathText.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"

namespace murvo {

JvmLibraryLayout JvmLocator::layout() {
  return JvmLibraryLayout(properties.getJavaBundle() == LaunchProperties::SDK_BUNDLE,
                          properties.getBinJvmDir());
}

void JvmLocator::storeDefaultJvmDir() {
  std::string& dir = properties.getBinJvmDir();
  if (dir.empty()) dir = platform::defaultJvmDir;
}

std::string JvmLocator::findJvmPath() {
  return guard("Error trying to get JVM path", [&]() -> std::string {
    const std::string& home = properties.getConfiguredJavaHome();
    if (home.empty()) return findJvmPathInRegistry();
    const JvmLibraryLayout inHome = layout();
    storeDefaultJvmDir();
    return inHome.pathIn(home);
  });
}

std::string JvmLocator::findJvmPathInRegistry() {
  return guard("Error trying to get JVM path from registry", [&]() -> std::string {
    const JvmLibraryLayout inHome = layout();
    if (properties.getJavaBundle() == LaunchProperties::SDK_BUNDLE) {
      storeDefaultJvmDir();
      return inHome.pathIn(properties.getFoundJavaHome());
    }
    if (properties.getBinJvmDir().empty()) {
      return InstalledJavaFinder(properties, inHome).findRuntimeLib();
    }
    return inHome.pathIn(properties.getFoundJavaHome());
  });
}

std::string JvmLocator::findJavaHomeInRegistry() {
  return guard("Error trying to get Java home path from registry", [&]() -> std::string {
    // A configured JVM library names the Java that runs.
    if (const std::string& library = properties.getStoredJvmPath(); !library.empty()) {
      if (std::optional<std::string> home = homeOfJvmLibrary(library)) {
        if (tracing()) trace("discovery: " + library + " belongs to the Java home " + *home);
        return *home;
      }
    }
    return InstalledJavaFinder(properties, layout()).findHome();
  });
}

JavaLookup discoveryLookup() {
  return {
      [](LaunchProperties& properties) { return JvmLocator(properties).findJvmPath(); },
      [](LaunchProperties& properties) { return JvmLocator(properties).findJavaHomeInRegistry(); }};
}

}  // namespace murvo
