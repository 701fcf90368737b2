#include "startup-cache/CacheFolder.h"

#include <algorithm>

#include "platform/FileAccess.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/UserFolders.h"
#include "startup-cache/ArchiveIdentity.h"

namespace murvo {

namespace {

constexpr char separator = platform::pathSeparator;

// The executable's name without ".exe" in any letter case.
std::string programName(const std::string& exePath) {
  std::string name = exePath.substr(exePath.rfind(separator) + 1);
  std::string ending = name.size() > 4 ? name.substr(name.size() - 4) : "";
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  if (ending == ".exe") name.resize(name.size() - 4);
  return name;
}

// The folder itself, or the part above what the cache manages.
struct Place {
  std::string folder;
  std::string above;  // where the folders that the cache manages start
};

std::optional<Place> placeOf(const LaunchProperties& properties) {
  const std::string& setting = properties.getStartupCache();
  if (setting != "auto") {
    const std::size_t last = setting.find_last_of(separator);
    if (!platform::isAbsolutePath(setting) || last == std::string::npos) return std::nullopt;
    return Place{setting, setting.substr(0, last)};
  }
  const std::optional<std::string> user = platform::userCacheFolder();
  if (!user) return std::nullopt;
  return Place{*user + separator + programName(properties.getExePath()) + separator +
                   "startup-cache" + separator + shortHash(properties.getExePath()),
               *user};
}

// Each folder from the top of `path` down to `path` itself, the top first.
std::vector<std::string> foldersDownTo(const std::string& path) {
  std::vector<std::string> folders;
  for (std::size_t end = path.find(separator, 1); end != std::string::npos;
       end = path.find(separator, end + 1)) {
    if (end > 0 && path[end - 1] != separator && path[end - 1] != ':') {
      folders.push_back(path.substr(0, end));
    }
  }
  folders.push_back(path);
  return folders;
}

// A folder the cache made or was given: the user's, and nobody else may
// change what it holds.
std::optional<std::string> whyNotOwn(const std::string& folder) {
  const std::optional<platform::FolderAccess> access = platform::folderAccess(folder);
  if (!access) return "it cannot be read";
  if (access->isLink) return "it is a symbolic link";
  if (!access->ownedByUser) return "it belongs to another user";
  if (access->othersMayWrite) return "others may write it";
  return std::nullopt;
}

// A folder above: the user's or the system's, and nobody else may rename
// what it holds (a folder where everyone keeps their own, such as /tmp, is
// fine).
std::optional<std::string> whyNotSafeAbove(const std::string& folder) {
  const std::optional<platform::FolderAccess> access = platform::folderAccess(folder);
  if (!access) return "it cannot be read";
  if (!access->ownedByUser && !access->ownedBySystem) return "it belongs to another user";
  if (access->othersMayWrite && !access->othersKeepTheirOwn) return "others may write it";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> usableCacheFolder(const LaunchProperties& properties, std::string& why) {
  const std::optional<Place> place = placeOf(properties);
  if (!place) {
    why = properties.getStartupCache() == "auto"
              ? "the user has no cache folder"
              : "the folder is no full path: " + properties.getStartupCache();
    return std::nullopt;
  }
  const std::string& folder = place->folder;
  // The JVM reads its archive option as a list of files.
  if (folder.find(platform::pathListSeparator) != std::string::npos) {
    why = std::string("the JVM cannot take the folder ") + folder + ": it holds '" +
          platform::pathListSeparator + "'";
    return std::nullopt;
  }
  if (!platform::createFolders(folder)) {
    why = "the folder cannot be made: " + folder;
    return std::nullopt;
  }
  if (platform::folderAccessCoversFoldersAbove) {
    const std::optional<std::string> real = platform::resolvedPath(place->above);
    for (const std::string& above : foldersDownTo(real.value_or(place->above))) {
      if (const std::optional<std::string> reason = whyNotSafeAbove(above)) {
        why = "the folder " + above + " above the cache is not safe: " + *reason;
        return std::nullopt;
      }
    }
  }
  for (const std::string& managed : foldersDownTo(folder)) {
    if (managed.size() <= place->above.size()) continue;
    if (const std::optional<std::string> reason = whyNotOwn(managed)) {
      why = "the folder " + managed + " is not the user's alone: " + *reason;
      return std::nullopt;
    }
  }
  return folder;
}

}  // namespace murvo
