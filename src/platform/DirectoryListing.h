#pragma once

#include <string>
#include <vector>

namespace murvo::platform {

// Names of the files in a folder whose names end in ".jar" in any letter case;
// sub-folders are left out. `folder` ends with the path separator. A folder
// that cannot be read gives no names.
std::vector<std::string> listJarFiles(const std::string& folder);

// The names of the entries of a folder ("." and ".." left out), in name
// order; none when the folder cannot be read.
std::vector<std::string> listFolder(const std::string& folder);

}  // namespace murvo::platform
