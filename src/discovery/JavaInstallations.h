#pragma once

#include <optional>
#include <string>
#include <vector>

#include "discovery/JavaInstallation.h"
#include "discovery/JvmLibraryLayout.h"
#include "platform/Registry.h"

namespace murvo {

// Where Java installations are looked for.
struct InstallationSources {
  // The registry with the keys that Java installers write; null where there is none.
  platform::Registry* registry;
  // Folders whose every entry may be a Java home (where there is no registry).
  std::vector<std::string> folders;

  // This machine's: the registry in use, or, where there is none, the
  // conventional folders of Linux.
  static InstallationSources ofThisMachine();
  // The places, in words, for a user who is told that no Java was found.
  std::string describe() const;
};

// Gathers every Java installation of the machine, in this order: the
// registry's keys (the local machine's, then the current user's): JavaSoft's
// of Java 8 and of Java 9 and later, Eclipse Adoptium's, AdoptOpenJDK's,
// Microsoft's, Azul Zulu's; then JAVA_HOME; then the installations that
// `java` and `javac` on PATH belong to; then the folders. An installation
// whose JVM library does not exist, or cannot load into this process, is
// left out.
class JavaInstallations {
 public:
  JavaInstallations(JvmLibraryLayout layout, InstallationSources sources);

  std::vector<JavaInstallation> gather();

 private:
  void gatherFromRegistry();
  void gatherJavaSoftKey(platform::RegistryRoot root, const std::string& key);
  void gatherMsiKeys(platform::RegistryRoot root, const std::string& key,
                     const std::vector<std::string>& vms);
  void gatherZuluKeys(platform::RegistryRoot root, const std::string& key);
  void gatherFromPath(const std::string& command);
  void consider(std::string home, const std::string& keyVersion, const std::string& runtimeLib,
                const std::string& foundAt);

  JvmLibraryLayout layout;
  InstallationSources sources;
  std::vector<JavaInstallation> found;
  std::vector<std::string> resolvedHomes;  // of `found`, links resolved
};

}  // namespace murvo
