#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace murvo::platform {

// True for a name that ends in ".jar" in any letter case.
inline bool endsWithJar(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ending(name.substr(name.size() - 4));
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ending == ".jar";
}

// Names of the files in a folder whose names end in ".jar" in any letter case;
// sub-folders are left out. `folder` ends with the path separator. A folder
// that cannot be read gives no names.
std::vector<std::string> listJarFiles(const std::string& folder);

// The names of the entries of a folder ("." and ".." left out), in name
// order; none when the folder cannot be read.
std::vector<std::string> listFolder(const std::string& folder);

}  // namespace murvo::platform
