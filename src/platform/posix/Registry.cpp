// The registry on POSIX: synthesised on first use from the Java
// installations of the machine, with the key paths and value names that
// Windows uses, so that discovery reads it like Windows' own.
#include "platform/Registry.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "discovery/VersionOrder.h"
#include "platform/MemoryRegistry.h"

namespace murvo::platform {

namespace {

struct Installation {
  std::string home;
  std::string version;
  std::string runtimeLib;
  bool developmentKit;
};

bool isFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string canonical(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return {};
  std::string result = resolved;
  std::free(resolved);
  return result;
}

// JAVA_VERSION="17.0.15" of the installation's release file. Read with C
// streams: the first iostream would initialise the C++ locale, half a
// megabyte of resident memory in every launch.
std::string releaseVersion(const std::string& home) {
  std::FILE* release = std::fopen((home + "/release").c_str(), "rb");
  if (!release) return {};
  std::string text;
  char buffer[4096];
  while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, release)) {
    text.append(buffer, count);
  }
  std::fclose(release);
  const std::string key = "JAVA_VERSION=";
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.starts_with(key)) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return {};
}

#if defined(__x86_64__)
constexpr const char* legacyArch = "amd64";
#elif defined(__aarch64__)
constexpr const char* legacyArch = "aarch64";
#else
constexpr const char* legacyArch = "i386";
#endif

std::optional<Installation> installationAt(const std::string& folder) {
  const std::string home = canonical(folder);
  if (home.empty()) return std::nullopt;
  const std::string version = releaseVersion(home);
  if (version.empty()) return std::nullopt;
  const std::string legacy = std::string("/jre/lib/") + legacyArch;
  for (const std::string& dir : {std::string("/lib/server"), std::string("/lib/client"),
                                 legacy + "/server", legacy + "/client"}) {
    const std::string lib = home + dir + "/libjvm.so";
    if (isFile(lib)) return Installation{home, version, lib, isFile(home + "/bin/javac")};
  }
  return std::nullopt;
}

// The installation that a command on PATH resolves into (bin/<command>).
std::optional<Installation> installationOnPath(const char* command) {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  const std::string entries = path;
  std::size_t start = 0;
  while (start <= entries.size()) {
    std::size_t end = entries.find(':', start);
    if (end == std::string::npos) end = entries.size();
    const std::string candidate = entries.substr(start, end - start) + "/" + command;
    start = end + 1;
    if (access(candidate.c_str(), X_OK) != 0) continue;
    const std::string target = canonical(candidate);
    const std::string suffix = std::string("/bin/") + command;
    if (!target.ends_with(suffix)) return std::nullopt;
    return installationAt(target.substr(0, target.size() - suffix.size()));
  }
  return std::nullopt;
}

std::vector<Installation> installationsInFolders() {
  std::vector<Installation> found;
  for (const char* parent : {"/usr/lib/jvm", "/usr/java", "/opt/java"}) {
    DIR* directory = opendir(parent);
    if (!directory) continue;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory)) names.emplace_back(entry->d_name);
    closedir(directory);
    // In name order, so that equal versions resolve alike on every machine.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      if (name == "." || name == "..") continue;
      if (auto installation = installationAt(std::string(parent) + "/" + name)) {
        found.push_back(*installation);
      }
    }
  }
  return found;
}

class SyntheticRegistry : public MemoryRegistry {
 public:
  SyntheticRegistry() {
    std::vector<Installation> all;
    std::optional<Installation> fromJavaHome;
    if (const char* javaHome = std::getenv("JAVA_HOME")) fromJavaHome = installationAt(javaHome);
    const std::optional<Installation> java = installationOnPath("java");
    const std::optional<Installation> javac = installationOnPath("javac");
    for (const auto& candidate : {fromJavaHome, java, javac}) {
      if (candidate) all.push_back(*candidate);
    }
    for (const Installation& installation : installationsInFolders()) all.push_back(installation);

    publish("SOFTWARE\\JavaSoft\\Java Runtime Environment", all, fromJavaHome, java, false);
    publish("SOFTWARE\\JavaSoft\\Java Development Kit", all, fromJavaHome, javac, true);
  }

 private:
  // Writes one bundle key: a sub-key per installation (the first found of
  // a version wins) and the current installation's version.
  void publish(const std::string& key, const std::vector<Installation>& all,
               const std::optional<Installation>& fromJavaHome,
               const std::optional<Installation>& onPath, bool kitsOnly) {
    const Installation* current = nullptr;
    auto eligible = [&](const std::optional<Installation>& i) {
      return i && (!kitsOnly || i->developmentKit);
    };
    for (const Installation& installation : all) {
      if (kitsOnly && !installation.developmentKit) continue;
      const std::string versionKey = key + "\\" + installation.version;
      if (!hasKey(versionKey)) {
        setValue(versionKey, "JavaHome", installation.home);
        setValue(versionKey, "RuntimeLib", installation.runtimeLib);
      }
      if (!current || compareVersions(installation.version, current->version) > 0) {
        current = &installation;
      }
    }
    if (eligible(onPath)) current = &*onPath;
    if (eligible(fromJavaHome)) current = &*fromJavaHome;
    if (!current) return;
    // The current installation's own values, also when another
    // installation has the same version.
    const std::string versionKey = key + "\\" + current->version;
    setValue(versionKey, "JavaHome", current->home);
    setValue(versionKey, "RuntimeLib", current->runtimeLib);
    setValue(key, "CurrentVersion", current->version);
  }
};

}  // namespace

Registry& systemRegistry() {
  static SyntheticRegistry synthetic;
  return synthetic;
}

}  // namespace murvo::platform
