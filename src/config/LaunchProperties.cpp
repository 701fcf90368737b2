#include "config/LaunchProperties.h"

#include "config/PropertyFileLoader.h"
#include "config/TextRoutines.h"
#include "config/VersionOrder.h"
#include "platform/DirectoryListing.h"
#include "platform/PathText.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"

namespace murvo {

const std::string LaunchProperties::SDK_BUNDLE = "SDK";

void deriveSelfHome(const std::string& exePath, char separator, std::string& home) {
  const std::size_t last = exePath.rfind(separator);
  if (last == std::string::npos) return;
  home = exePath.substr(0, last);
  const std::size_t parent = home.rfind(separator);
  if (parent != std::string::npos && home.compare(parent + 1, std::string::npos, "bin") == 0) {
    home.erase(parent);
  }
}

void LaunchProperties::setExePath(const std::string& path) {
  exePath = path;
  deriveSelfHome(exePath, platform::pathSeparator, selfHome);
}

std::string LaunchProperties::getExeFolder() const {
  return exePath.substr(0, exePath.rfind(platform::pathSeparator));
}

std::string& LaunchProperties::getFoundJavaHome() {
  if (foundJavaHome.empty() && javaLookup.findJavaHome) {
    guardWithoutDetail([&] { foundJavaHome = javaLookup.findJavaHome(*this); });
  }
  return foundJavaHome;
}

std::string& LaunchProperties::getJvmPath() {
  if (jvmPath.empty() && javaLookup.findJvmPath) {
    guardWithoutDetail([&] { jvmPath = javaLookup.findJvmPath(*this); });
  }
  return jvmPath;
}

std::string& LaunchProperties::getJniMainClass() {
  return replaceChar(mainClass, '.', '/');
}

bool LaunchProperties::isYes(const std::string& value) {
  for (const char* accepted : {"Y", "y", "YES", "yes", "T", "t", "TRUE", "true"}) {
    if (value == accepted) return true;
  }
  return false;
}

bool LaunchProperties::isTrapConsoleCtrl() const {
  return isYes(trapConsoleCtrl);
}

std::string LaunchProperties::getProgramName() const {
  std::string name = exePath.substr(exePath.rfind(platform::pathSeparator) + 1);
  if (name.size() > 4) {
    std::string suffix = name.substr(name.size() - 4);
    for (char& c : suffix) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (suffix == ".exe") name.resize(name.size() - 4);
  }
  return name;
}

bool LaunchProperties::isClassPathOption(const std::string& option) {
  return option == "-Djava.class.path" || option.starts_with("-Djava.class.path=");
}

void LaunchProperties::addJarsToClassPath(const std::string& folder) {
  guard("Error adding jars to classpath.", [&] {
    jarFolderGiven = true;
    // An empty value names no folder; with a separator added it would be the root.
    if (folder.empty()) return;
    std::string directory = folder;
    if (directory.back() != platform::pathSeparator) directory += platform::pathSeparator;
    for (const std::string& name : platform::listJarFiles(directory)) {
      const std::string path = directory + name;
      // The JVM would read such a path as several, and an empty one among
      // them as the current directory.
      if (path.find(platform::classPathSeparator) != std::string::npos) {
        if (tracing()) trace("class path: left out " + path + ": it holds the separator");
        continue;
      }
      classPath += platform::classPathSeparator;
      classPath += path;
    }
  });
}

bool LaunchProperties::isVersionGood(const std::string& version) {
  return guard("Error checking if version is good.", [&] {
    if (!minJavaVersion.empty() && compareVersions(version, minJavaVersion) < 0) return false;
    if (!maxJavaVersion.empty() && compareVersions(version, maxJavaVersion) > 0) return false;
    return true;
  });
}

void LaunchProperties::loadProperties() {
  guard("Error loading properties.", [&] { PropertyFileLoader(*this).load(); });
}

}  // namespace murvo
