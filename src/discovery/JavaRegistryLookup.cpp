#include "discovery/JavaRegistryLookup.h"

#include <cstring>
#include <vector>

#include "launcher/ErrorReporter.h"
#include "platform/Registry.h"

namespace murvo {

namespace {

constexpr std::size_t versionCapacity = 50;
constexpr std::size_t pathCapacity = 5000;

// Reads one string value of a key; the key is closed whether or not the read
// succeeds. Nothing when the key cannot be opened (`opened` false) or the
// value cannot be read.
bool readValue(const std::string& keyPath, const char* valueName, std::size_t capacity,
               bool& opened, std::string& text) {
  platform::Registry& registry = platform::registry();
  platform::RegistryKey key = nullptr;
  opened = registry.openKey(keyPath, key);
  if (!opened) return false;
  std::vector<char> buffer(capacity);
  std::size_t size = capacity;
  const bool read = registry.readString(key, valueName, buffer.data(), size);
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
  return guardOwnText("Error getting current Java version from registry.", [&] {
    bool opened;
    std::string version;
    if (!readValue(keyPath, "CurrentVersion", versionCapacity, opened, version)) {
      if (!opened) throw LauncherError("Error opening registry key:" + keyPath);
      throw LauncherError("Error reading CurrentValue registry key value at " + keyPath);
    }
    return version;
  });
}

std::string JavaRegistryLookup::getJavaHomePath() {
  return guardOwnText("Error getting the path to the Java home from the registry.", [&] {
    return readCurrentVersionValue("JavaHome", "Error reading JavaHome key at:");
  });
}

std::string JavaRegistryLookup::getJvmPathViaRuntimeLib() {
  return guardOwnText("Error getting JVM path via RuntimeLib registry value.", [&] {
    return readCurrentVersionValue("RuntimeLib", "Error reading RuntimeLib registry key value at:");
  });
}

// The steps that getJavaHomePath and getJvmPathViaRuntimeLib share; their
// failures travel to the caller's guard.
std::string JavaRegistryLookup::readCurrentVersionValue(const char* valueName,
                                                        const char* readErrorText) {
  const std::string bundleKey = getBundleKeyPath();
  const std::string version = getCurrentVersion(bundleKey);
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
