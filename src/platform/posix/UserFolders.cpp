#include "platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "platform/Environment.h"

namespace murvo::platform {

namespace {

std::optional<std::string> homeFolder() {
  if (auto home = environmentVariable("HOME"); home && home->starts_with('/')) return home;
  std::vector<char> buffer(16 * 1024);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir || found->pw_dir[0] != '/') {
    return std::nullopt;
  }
  return std::string(found->pw_dir);
}

// The XDG folder that `variable` names when it is absolute, else `inHome` of
// the home folder.
std::optional<std::string> xdgFolder(const char* variable, const char* inHome) {
  if (auto folder = environmentVariable(variable); folder && folder->starts_with('/')) {
    return folder;
  }
  const std::optional<std::string> home = homeFolder();
  if (!home) return std::nullopt;
  return (home->ends_with('/') ? *home : *home + '/') + inHome;
}

}  // namespace

std::optional<std::string> userCacheFolder() {
  return xdgFolder("XDG_CACHE_HOME", ".cache");
}

std::optional<std::string> userConfigFolder() {
  return xdgFolder("XDG_CONFIG_HOME", ".config");
}

}  // namespace murvo::platform
