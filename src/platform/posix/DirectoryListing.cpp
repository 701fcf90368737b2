#include "platform/DirectoryListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace murvo::platform {

std::vector<std::string> listJarFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* directory = opendir(folder.c_str());
  if (!directory) return names;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (!endsWithJar(name)) continue;
    // Regular files and links to them count; folders, pipes and dangling
    // links do not. The entry's own type spares a stat where it tells enough.
    struct stat info;
    if (entry->d_type != DT_REG &&
        (stat((folder + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode))) {
      continue;
    }
    names.push_back(name);
  }
  closedir(directory);
  // Sorted, so that the class path is the same on every machine.
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> listFolder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* directory = opendir(folder.c_str());
  if (!directory) return names;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(directory);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace murvo::platform
