#include "discovery/JavaInstallations.h"

#include <algorithm>

#include "discovery/RegistryText.h"
#include "discovery/ReleaseFile.h"
#include "platform/DirectoryListing.h"
#include "platform/DynamicLibrary.h"
#include "platform/Environment.h"
#include "platform/FileAccess.h"
#include "platform/PathText.h"
#include "reporting/Trace.h"

namespace murvo {

using platform::pathSeparator;
using platform::RegistryRoot;

namespace {

constexpr const char* javaSoft = "SOFTWARE\\JavaSoft\\";

std::string rootName(RegistryRoot root) {
  return root == RegistryRoot::currentUser ? "HKCU\\" : "HKLM\\";
}

std::string inBin(const std::string& home, const std::string& command) {
  return home + pathSeparator + "bin" + pathSeparator + command + platform::executableSuffix;
}

}  // namespace

InstallationSources InstallationSources::ofThisMachine() {
  InstallationSources sources{platform::registry(), {}};
  // Without a registry, installations lie in conventional folders.
  if (!sources.registry) {
    sources.folders = {"/usr/lib/jvm", "/usr/java", "/opt/java"};
    if (const auto home = platform::environmentVariable("HOME"); home && !home->empty()) {
      sources.folders.push_back(*home + "/.sdkman/candidates/java");
      sources.folders.push_back(*home + "/.jdks");
    }
  }
  return sources;
}

std::string InstallationSources::describe() const {
  std::string places;
  if (registry) {
    places =
        "the registry keys SOFTWARE\\JavaSoft, SOFTWARE\\Eclipse Adoptium, "
        "SOFTWARE\\AdoptOpenJDK, SOFTWARE\\Microsoft\\JDK and SOFTWARE\\Azul Systems\\Zulu "
        "(local machine and current user), ";
  }
  places += "JAVA_HOME, java and javac on PATH";
  for (const std::string& folder : folders) places += ", " + folder;
  return places;
}

JavaInstallations::JavaInstallations(JvmLibraryLayout layout, InstallationSources sources)
    : layout(std::move(layout)), sources(std::move(sources)) {}

std::vector<JavaInstallation> JavaInstallations::gather() {
  found.clear();
  resolvedHomes.clear();
  if (sources.registry) gatherFromRegistry();
  if (const auto javaHome = platform::environmentVariable("JAVA_HOME")) {
    consider(*javaHome, "", "", "JAVA_HOME");
  } else if (tracing()) {
    trace("discovery: JAVA_HOME is not set");
  }
  gatherFromPath("java");
  gatherFromPath("javac");
  for (const std::string& folder : sources.folders) {
    if (tracing()) trace("discovery: looking in " + folder);
    for (const std::string& name : platform::listFolder(folder)) {
      consider(folder + pathSeparator + name, "", "", folder);
    }
  }
  return found;
}

void JavaInstallations::gatherFromRegistry() {
  for (const RegistryRoot root : {RegistryRoot::localMachine, RegistryRoot::currentUser}) {
    for (const char* bundle : {"Java Runtime Environment", "Java Development Kit", "JRE", "JDK"}) {
      gatherJavaSoftKey(root, javaSoft + std::string(bundle));
    }
    for (const char* vendor : {"SOFTWARE\\Eclipse Adoptium\\", "SOFTWARE\\AdoptOpenJDK\\"}) {
      gatherMsiKeys(root, vendor + std::string("JDK"), {"hotspot", "openj9"});
      gatherMsiKeys(root, vendor + std::string("JRE"), {"hotspot", "openj9"});
    }
    gatherMsiKeys(root, "SOFTWARE\\Microsoft\\JDK", {"hotspot"});
    gatherZuluKeys(root, "SOFTWARE\\Azul Systems\\Zulu");
  }
}

// <key>\<version> with JavaHome, and RuntimeLib where the installer wrote one.
void JavaInstallations::gatherJavaSoftKey(RegistryRoot root, const std::string& key) {
  RegistryText registry(*sources.registry, root);
  for (const std::string& version : registry.subKeys(key)) {
    const std::string versionKey = key + "\\" + version;
    const auto home = registry.text(versionKey, "JavaHome");
    if (!home) continue;
    consider(*home, version, registry.text(versionKey, "RuntimeLib").value_or(""),
             rootName(root) + versionKey);
  }
}

// <key>\<version>\<vm>\MSI with Path, as the vendors' installers write it.
void JavaInstallations::gatherMsiKeys(RegistryRoot root, const std::string& key,
                                      const std::vector<std::string>& vms) {
  RegistryText registry(*sources.registry, root);
  for (const std::string& version : registry.subKeys(key)) {
    for (const std::string& vm : vms) {
      const std::string msiKey = key + "\\" + version + "\\" + vm + "\\MSI";
      if (const auto home = registry.text(msiKey, "Path")) {
        consider(*home, version, "", rootName(root) + msiKey);
      }
    }
  }
}

// <key>\<name> with InstallationPath.
void JavaInstallations::gatherZuluKeys(RegistryRoot root, const std::string& key) {
  RegistryText registry(*sources.registry, root);
  for (const std::string& name : registry.subKeys(key)) {
    const std::string nameKey = key + "\\" + name;
    if (const auto home = registry.text(nameKey, "InstallationPath")) {
      consider(*home, name, "", rootName(root) + nameKey);
    }
  }
}

// The installation that the first `command` on PATH lies in: the folder above
// its bin folder once links are resolved.
void JavaInstallations::gatherFromPath(const std::string& command) {
  const std::string entries = platform::environmentVariable("PATH").value_or("");
  const std::string tail = inBin("", command);
  for (std::size_t start = 0; start < entries.size();) {
    const std::size_t end =
        std::min(entries.find(platform::pathListSeparator, start), entries.size());
    const std::string candidate =
        entries.substr(start, end - start) + pathSeparator + command + platform::executableSuffix;
    const bool absolute = platform::isAbsolutePath(entries.substr(start, end - start));
    start = end + 1;
    // An empty or relative entry would mean the current directory.
    if (!absolute || !platform::isRegularFile(candidate)) continue;
    const std::string target = platform::resolvedPath(candidate).value_or("");
    if (target.ends_with(tail)) {
      consider(target.substr(0, target.size() - tail.size()), "", "", "PATH (" + candidate + ")");
    } else if (tracing()) {
      trace("discovery: " + candidate + " on PATH lies in no bin folder of a Java home");
    }
    return;
  }
}

void JavaInstallations::consider(std::string home, const std::string& keyVersion,
                                 const std::string& runtimeLib, const std::string& foundAt) {
  while (home.size() > 1 && (home.back() == pathSeparator || home.back() == '/')) home.pop_back();
  const auto leftOut = [&](const std::string& why) {
    if (tracing()) trace("discovery: " + foundAt + ": " + home + " left out: " + why);
  };
  if (!platform::isAbsolutePath(home)) return leftOut("not an absolute path");
  const std::optional<std::string> resolved = platform::resolvedPath(home);
  if (!resolved) return leftOut("no such folder");
  if (std::find(resolvedHomes.begin(), resolvedHomes.end(), *resolved) != resolvedHomes.end()) {
    return leftOut("found before");
  }
  std::optional<std::string> library = layout.find(home);
  if (!library && !runtimeLib.empty() && platform::isRegularFile(runtimeLib)) library = runtimeLib;
  if (!library) return leftOut("no JVM library (" + layout.builtPath(home) + ")");
  if (!platform::isLibraryForThisProcess(*library)) {
    return leftOut(*library + " cannot load into this 64-bit process");
  }
  std::string version = releaseVersion(home);
  if (version.empty()) version = keyVersion;
  const bool kit = platform::isRegularFile(inBin(home, "javac"));
  if (tracing()) {
    trace("discovery: " + foundAt + ": Java " + version + (kit ? " development kit" : " runtime") +
          " at " + home + ", JVM library " + *library);
  }
  found.push_back({std::move(home), std::move(version), kit, std::move(*library), foundAt});
  resolvedHomes.push_back(*resolved);
}

}  // namespace murvo
