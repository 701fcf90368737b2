#include "discovery/JavaRegistryLookup.h"

#include <cstring>
#include <vector>

#include "discovery/SyntheticRegistry.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"

namespace murvo {

namespace {

constexpr std::size_t versionCapacity = 50;
constexpr std::size_t pathCapacity = 5000;

// Reads one string value of a key; the key is closed whether or not the read
// succeeds. Nothing when the key cannot be opened (`opened` false) or the
// value cannot be read. The kind of the data is not looked at.
bool readValue(const std::string& keyPath, const char* valueName, std::size_t capacity,
               bool& opened, std::string& text) {
  platform::Registry& registry = lookupRegistry();
  platform::RegistryKey key = nullptr;
  opened = registry.openKey(keyPath, key);
  if (!opened) return false;
  std::vector<char> buffer(capacity);
  std::size_t size = capacity;
  platform::ValueKind kind;
  const bool read = registry.readString(key, valueName, buffer.data(), size, kind);
  registry.closeKey(key);
  if (!read) return false;
  // The text ends at the first zero byte, or with the data.
  const void* zero = std::memchr(buffer.data(), 0, size);
  text.assign(buffer.data(), zero ? static_cast<const char*>(zero) - buffer.data() : size);
  return true;
}

}  // namespace

std::string JavaRegistryLookup::getBundleKeyPath() {
  return guard("Error getting Java bundle registry key path.", [&]() -> std::string {
    if (properties.getJavaBundle() == LaunchProperties::SDK_BUNDLE) {
      return "SOFTWARE\\JavaSoft\\Java Development Kit";
    }
    return "SOFTWARE\\JavaSoft\\Java Runtime Environment";
  });
}

std::string JavaRegistryLookup::getCurrentVersion(const std::string& keyPath) {
  return guardOwnText("Error getting current Java version from registry.",
                      [&] { return currentVersionOf(keyPath); });
}

std::string JavaRegistryLookup::getJavaHomePath() {
  return guardOwnText("Error getting the path to the Java home from the registry.", [&] {
    const std::string bundleKey = getBundleKeyPath();
    return versionValue(bundleKey, getCurrentVersion(bundleKey), "JavaHome",
                        "Error reading JavaHome key at:");
  });
}

std::string JavaRegistryLookup::getJvmPathViaRuntimeLib() {
  return guardOwnText("Error getting JVM path via RuntimeLib registry value.", [&] {
    const std::string bundleKey = getBundleKeyPath();
    return versionValue(bundleKey, getCurrentVersion(bundleKey), "RuntimeLib",
                        "Error reading RuntimeLib registry key value at:");
  });
}

std::optional<std::string> JavaRegistryLookup::findCurrentVersion() {
  try {
    return currentVersionOf(getBundleKeyPath());
  } catch (const LauncherError&) {
    return std::nullopt;
  }
}

std::optional<std::string> JavaRegistryLookup::findJavaHomePath() {
  return findVersionValue("JavaHome", "Error reading JavaHome key at:");
}

std::optional<std::string> JavaRegistryLookup::findJvmPathViaRuntimeLib() {
  return findVersionValue("RuntimeLib", "Error reading RuntimeLib registry key value at:");
}

std::optional<std::string> JavaRegistryLookup::findVersionValue(const char* valueName,
                                                                const char* readErrorText) {
  try {
    const std::string bundleKey = getBundleKeyPath();
    const std::string value =
        versionValue(bundleKey, currentVersionOf(bundleKey), valueName, readErrorText);
    if (tracing()) trace("discovery: " + std::string(valueName) + " " + value);
    return value;
  } catch (const LauncherError& error) {
    if (tracing()) trace("discovery: " + error);
    return std::nullopt;
  }
}

std::string JavaRegistryLookup::currentVersionOf(const std::string& keyPath) {
  bool opened;
  std::string version;
  if (!readValue(keyPath, "CurrentVersion", versionCapacity, opened, version)) {
    if (!opened) throw LauncherError("Error opening registry key:" + keyPath);
    throw LauncherError("Error reading CurrentValue registry key value at " + keyPath);
  }
  if (tracing()) trace("discovery: " + keyPath + ": CurrentVersion " + version);
  return version;
}

// The value of a version's key, once the version is found in range.
std::string JavaRegistryLookup::versionValue(const std::string& bundleKey,
                                             const std::string& version, const char* valueName,
                                             const char* readErrorText) {
  if (!properties.isVersionGood(version)) {
    throw LauncherError("Incorrect current installed Java version:" + version);
  }
  const std::string versionKey = bundleKey + "\\" + version;
  bool opened;
  std::string text;
  if (!readValue(versionKey, valueName, pathCapacity, opened, text)) {
    if (!opened) throw LauncherError("Error opening registry key:" + versionKey);
    throw LauncherError(readErrorText + versionKey);
  }
  return text;
}

}  // namespace murvo
