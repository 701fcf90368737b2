#include "discovery/SyntheticRegistry.h"

#include "config/VersionOrder.h"
#include "discovery/JavaInstallations.h"

namespace murvo {

SyntheticRegistry::SyntheticRegistry(const std::vector<JavaInstallation>& installations) {
  publish("SOFTWARE\\JavaSoft\\Java Runtime Environment", installations, false);
  publish("SOFTWARE\\JavaSoft\\Java Development Kit", installations, true);
}

void SyntheticRegistry::publish(const std::string& key,
                                const std::vector<JavaInstallation>& installations, bool kitsOnly) {
  const JavaInstallation* current = nullptr;
  bool chosenByUser = false;
  for (const JavaInstallation& installation : installations) {
    if (kitsOnly && !installation.developmentKit) continue;
    const std::string versionKey = key + "\\" + installation.version;
    // The first installation of a version has its key.
    if (!hasKey(versionKey)) {
      setValue(versionKey, "JavaHome", installation.home);
      setValue(versionKey, "RuntimeLib", installation.jvmLibrary);
    }
    const bool byUser =
        installation.foundAt == "JAVA_HOME" || installation.foundAt.starts_with("PATH");
    if (chosenByUser) continue;
    if (byUser || !current || compareVersions(installation.version, current->version) > 0) {
      current = &installation;
      chosenByUser = byUser;
    }
  }
  if (!current) return;
  // The current installation's own values, also when another one has its version.
  const std::string versionKey = key + "\\" + current->version;
  setValue(versionKey, "JavaHome", current->home);
  setValue(versionKey, "RuntimeLib", current->jvmLibrary);
  setValue(key, "CurrentVersion", current->version);
}

platform::Registry& lookupRegistry() {
  if (platform::Registry* registry = platform::registry()) return *registry;
  static SyntheticRegistry synthetic(
      JavaInstallations(JvmLibraryLayout(false, ""), InstallationSources::ofThisMachine())
          .gather());
  return synthetic;
}

}  // namespace murvo
