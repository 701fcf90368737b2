#include "runnable-jar/RunnableJar.h"

#include "config/TextRoutines.h"
#include "platform/FileAccess.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"
#include "runnable-jar/JarFile.h"
#include "runnable-jar/JarManifest.h"

namespace murvo {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
  return -1;
}

// A URL's %XX escapes decoded; a malformed escape stays as it is.
std::string percentDecoded(const std::string& text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

bool hasScheme(const std::string& entry) {
  const std::size_t colon = entry.find(':');
  return colon != std::string::npos && colon < entry.find('/');
}

// `base` (a folder) and the segments of a relative path, "." and ".."
// resolved as a URL resolves them.
std::string resolved(std::string base, const std::string& relative) {
  std::vector<std::string> segments;
  for (std::size_t start = 0; start <= relative.size();) {
    const std::size_t end = std::min(relative.find('/', start), relative.size());
    const std::string segment = relative.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == ".." && !segments.empty() && segments.back() != "..") {
      segments.pop_back();
    } else {
      segments.push_back(segment);
    }
  }
  for (const std::string& segment : segments) {
    if (segment == "..") {
      const std::size_t last = base.find_last_of(platform::pathSeparator);
      if (last != std::string::npos && last > 0) base.erase(last);
      continue;
    }
    base += platform::pathSeparator;
    base += segment;
  }
  return base;
}

std::string folderOf(const std::string& path) {
  const std::size_t last = path.find_last_of(platform::pathSeparator == '/' ? "/" : "\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

void addOptions(LaunchProperties& properties, const JarManifest& manifest, const char* attribute,
                const std::string& option) {
  const std::optional<std::string> value = manifest.attribute(attribute);
  if (!value) return;
  for (const std::string& target : attributeWords(*value)) {
    properties.addJvmOption(option + target + "=ALL-UNNAMED");
  }
}

// The jar's splash image, unless murvo.splash names one. A splash never
// stops a launch: an image that cannot be read is left out, as with no key.
void addSplash(LaunchProperties& properties, const JarManifest& manifest) {
  std::optional<std::string> image = manifest.attribute("SplashScreen-Image");
  if (!image || !properties.getSplashImage().empty()) return;
  trim(*image);
  JarEntry entry = readJarEntry(properties.getJar(), *image);
  if (entry.outcome != JarEntry::Outcome::found) {
    if (tracing()) trace("no splash: the jar holds no readable " + *image);
    return;
  }
  properties.setJarSplash(*image, std::move(entry.text));
}

}  // namespace

std::vector<std::string> classPathEntries(const std::string& jarFolder, const std::string& value) {
  std::vector<std::string> paths;
  for (const std::string& word : attributeWords(value)) {
    const std::string entry = percentDecoded(word);
    const bool absolute = entry.starts_with('/');
    if (hasScheme(word) || (absolute && platform::pathSeparator != '/')) {
      if (tracing()) trace("runnable jar: Class-Path entry " + word + " names no file here");
      continue;
    }
    paths.push_back(resolved(absolute ? std::string() : jarFolder, entry));
  }
  return paths;
}

LauncherAgent applyRunnableJar(LaunchProperties& properties, int javaFeature) {
  const std::string jar = properties.getJar();
  if (jar.empty()) return {};
  const JarEntry entry = readJarEntry(jar, manifestName);
  if (entry.outcome == JarEntry::Outcome::unreadable) {
    throw LauncherError("Unable to access jarfile " + jar);
  }
  const JarManifest manifest(entry.text);
  if (entry.outcome == JarEntry::Outcome::corrupt || !manifest.valid()) {
    throw LauncherError("Invalid or corrupt jarfile " + jar);
  }
  if (!properties.hasMainClass()) {
    std::optional<std::string> mainClass = manifest.attribute("Main-Class");
    if (mainClass) trim(*mainClass);
    if (!mainClass || mainClass->empty()) {
      throw LauncherError("no main manifest attribute, in " + jar);
    }
    properties.setMainClass(*mainClass);
  }
  // The jar, then the libraries it names that exist, as the class loader
  // finds them; none can be named on a class path when it holds the separator.
  std::vector<std::string> classPath{jar};
  if (const std::optional<std::string> value = manifest.attribute("Class-Path")) {
    for (const std::string& path : classPathEntries(folderOf(jar), *value)) {
      if (!platform::isRegularFile(path) && !platform::isFolder(path)) {
        if (tracing()) trace("runnable jar: Class-Path entry " + path + " does not exist");
        continue;
      }
      classPath.push_back(path);
    }
  }
  for (const std::string& path : classPath) {
    if (path.find(platform::classPathSeparator) != std::string::npos) {
      if (tracing()) trace("class path: left out " + path + ": it holds the separator");
      continue;
    }
    properties.addLeadingClassPath(path);
  }
  addSplash(properties, manifest);
  // Options that Java 8 does not know.
  if (javaFeature == 0 || javaFeature >= 9) {
    addOptions(properties, manifest, "Add-Opens", "--add-opens=");
    addOptions(properties, manifest, "Add-Exports", "--add-exports=");
  }
  if (javaFeature == 0 || javaFeature >= 22) {
    if (std::optional<std::string> access = manifest.attribute("Enable-Native-Access")) {
      trim(*access);
      if (*access != "ALL-UNNAMED") {
        throw LauncherError("illegal value \"" + *access +
                            "\" for Enable-Native-Access manifest attribute. Only ALL-UNNAMED "
                            "is allowed");
      }
      properties.addJvmOption("--enable-native-access=ALL-UNNAMED");
    }
  }
  LauncherAgent agent(manifest, jar, javaFeature);
  agent.addOptions(properties);
  return agent;
}

}  // namespace murvo
