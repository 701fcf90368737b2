#include "discovery/InstalledJavaFinder.h"

#include "config/VersionOrder.h"
#include "discovery/JavaInstallations.h"
#include "discovery/JavaRegistryLookup.h"
#include "platform/FileAccess.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"

namespace murvo {

std::string InstalledJavaFinder::findHome() {
  JavaRegistryLookup lookup(properties);
  const std::optional<std::string> home = lookup.findJavaHomePath();
  if (home && layout.find(*home)) return *home;
  if (home && tracing()) trace("discovery: no JVM library in " + *home);
  if (const auto chosen = chooseInstallation()) return chosen->home;
  return noneSuitable(!home, [&] { return lookup.getJavaHomePath(); });
}

std::string InstalledJavaFinder::findRuntimeLib() {
  JavaRegistryLookup lookup(properties);
  const std::optional<std::string> library = lookup.findJvmPathViaRuntimeLib();
  if (library && platform::isRegularFile(*library)) return *library;
  if (library && tracing()) trace("discovery: no JVM library at " + *library);
  if (const auto chosen = chooseInstallation()) return chosen->jvmLibrary;
  return noneSuitable(!library, [&] { return lookup.getJvmPathViaRuntimeLib(); });
}

std::optional<JavaInstallation> InstalledJavaFinder::chooseInstallation() {
  const bool kitsOnly = properties.getJavaBundle() == LaunchProperties::SDK_BUNDLE;
  const JavaInstallation* best = nullptr;
  for (JavaInstallation& installation :
       JavaInstallations(layout, InstallationSources::ofThisMachine()).gather()) {
    if (kitsOnly && !installation.developmentKit) continue;
    eligible.push_back(std::move(installation));
  }
  for (const JavaInstallation& installation : eligible) {
    if (!properties.isVersionGood(installation.version)) continue;
    if (!best || compareVersions(installation.version, best->version) > 0) best = &installation;
  }
  if (tracing()) {
    const std::string range =
        "range [" + properties.getMinJavaVersion() + ", " + properties.getMaxJavaVersion() + "]";
    trace(best ? "discovery: chose Java " + best->version + " at " + best->home + " (" +
                     best->foundAt + "): the highest " +
                     (kitsOnly ? "development kit" : "version") + " in " + range
               : "discovery: none of " + std::to_string(eligible.size()) +
                     (kitsOnly ? " development kits" : " installations") + " is in " + range);
  }
  if (!best) return std::nullopt;
  return *best;
}

template <typename DescribedLookup>
std::string InstalledJavaFinder::noneSuitable(bool keyFailed, DescribedLookup&& describedLookup) {
  if (!eligible.empty()) {
    // The JavaSoft key's current version where it has one, else the highest found.
    std::optional<std::string> version = JavaRegistryLookup(properties).findCurrentVersion();
    if (!version) {
      version = eligible.front().version;
      for (const JavaInstallation& installation : eligible) {
        if (compareVersions(installation.version, *version) > 0) version = installation.version;
      }
    }
    // A home whose release file names no version is named so, not by an empty text.
    fatalError(
        "Incorrect current installed Java version:" +
        (version->empty() ? std::string("unknown (its Java home names no version)") : *version));
  }
  if (keyFailed) {
    explainFailure("No Java installation was found in " +
                   InstallationSources::ofThisMachine().describe() + ".");
  }
  return describedLookup();
}

}  // namespace murvo
