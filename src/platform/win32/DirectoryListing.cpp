#include "platform/DirectoryListing.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/WideText.h"

namespace murvo::platform {

namespace {

// The entries of `folder` (which ends with the separator) that match
// `pattern`, with whether each is a folder.
template <typename Take>
void listEntries(const std::string& folder, const char* pattern, Take&& take) {
  WIN32_FIND_DATAW entry;
  const HANDLE listing = FindFirstFileW(widen(folder + pattern).c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    take(narrow(entry.cFileName), (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileW(listing, &entry));
  FindClose(listing);
}

}  // namespace

std::vector<std::string> listJarFiles(const std::string& folder) {
  std::vector<std::string> names;
  // The pattern also matches names whose short 8.3 form ends in .jar
  // (b.jarx, old.jar_old): only the long name counts.
  listEntries(folder, "*.jar", [&](std::string name, bool isFolder) {
    if (!isFolder && endsWithJar(name)) names.push_back(std::move(name));
  });
  return names;
}

std::vector<std::string> listFolder(const std::string& folder) {
  std::vector<std::string> names;
  listEntries(folder, "\\*", [&](std::string name, bool) {
    if (name != "." && name != "..") names.push_back(std::move(name));
  });
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace murvo::platform
