#include "platform/DirectoryListing.h"

#include <io.h>

#include <algorithm>

namespace murvo::platform {

std::vector<std::string> listJarFiles(const std::string& folder) {
  std::vector<std::string> names;
  _finddata_t entry;
  const intptr_t listing = _findfirst((folder + "*.jar").c_str(), &entry);
  if (listing == -1) return names;
  do {
    if (!(entry.attrib & _A_SUBDIR)) names.push_back(entry.name);
  } while (_findnext(listing, &entry) == 0);
  _findclose(listing);
  return names;
}

std::vector<std::string> listFolder(const std::string& folder) {
  std::vector<std::string> names;
  _finddata_t entry;
  const intptr_t listing = _findfirst((folder + "\\*").c_str(), &entry);
  if (listing == -1) return names;
  do {
    const std::string name = entry.name;
    if (name != "." && name != "..") names.push_back(name);
  } while (_findnext(listing, &entry) == 0);
  _findclose(listing);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace murvo::platform
