#include "discovery/InstalledJavaFinder.h"

#include "config/VersionOrder.h"
#include "discovery/JavaInstallations.h"
#include "discovery/JavaRegistryLookup.h"
#include "platform/DynamicLibrary.h"
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
  gathered = JavaInstallations(layout, InstallationSources::ofThisMachine()).gather();
  for (const JavaInstallation& installation : gathered) {
    if (kitsOnly && !installation.developmentKit) continue;
    eligible.push_back(installation);
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

std::string InstalledJavaFinder::requiredRange() {
  const std::string& min = properties.getMinJavaVersion();
  const std::string& max = properties.getMaxJavaVersion();
  if (!min.empty() && !max.empty())
    return min == max ? "Java " + min : "Java " + min + " to " + max;
  if (!min.empty()) return "Java " + min + " or later";
  if (!max.empty()) return "Java " + max + " or earlier";
  return "Java";
}

std::string InstalledJavaFinder::whyNotTaken(const JavaInstallation& installation) {
  if (properties.getJavaBundle() == LaunchProperties::SDK_BUNDLE && !installation.developmentKit) {
    return "a runtime, not a development kit";
  }
  if (installation.version.empty()) return "its Java home names no version";
  const std::string& min = properties.getMinJavaVersion();
  if (!min.empty() && compareVersions(installation.version, min) < 0) return "older than " + min;
  return "newer than " + properties.getMaxJavaVersion();
}

// What a user needs to get the program running: the Java it needs, the Java
// the machine has and why none of it serves, and where to get one.
void InstalledJavaFinder::offerDownload(const std::string& address) {
  std::string detail = "This program needs " + requiredRange() + " (" +
                       platform::processArchitecture() + ")" +
                       (gathered.empty() ? "; no Java was found." : ". Found:");
  constexpr std::size_t shown = 5;
  for (std::size_t i = 0; i < gathered.size() && i < shown; ++i) {
    const JavaInstallation& installation = gathered[i];
    detail += "\nJava " + (installation.version.empty() ? "(no version)" : installation.version) +
              " at " + installation.home + ": " + whyNotTaken(installation);
  }
  if (gathered.size() > shown) {
    detail += "\nand " + std::to_string(gathered.size() - shown) + " more";
  }
  detail += "\nGet a suitable Java at " + address;
  fatalErrorOffering(detail, address);
}

template <typename DescribedLookup>
std::string InstalledJavaFinder::noneSuitable(bool keyFailed, DescribedLookup&& describedLookup) {
  const std::string& address = properties.getJavaDownloadUrl();
  if (!address.empty() && (keyFailed || !eligible.empty())) offerDownload(address);
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
