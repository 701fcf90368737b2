// Where the start-up cache of a launch lives, and whether it may be used: the
// JVM trusts what an archive holds, so the cache only ever uses a folder
// that nobody but the user could have written.
#pragma once

#include <optional>
#include <string>

#include "config/LaunchProperties.h"

namespace murvo {

// The cache folder of the launch, made when missing: for "auto" the
// program's folder in the user's cache folder, one for each installation of
// the program; otherwise the configured folder. Nothing, with the reason in
// `why`, when there is none, the JVM cannot name it, or it is not the
// user's alone.
std::optional<std::string> usableCacheFolder(const LaunchProperties& properties, std::string& why);

}  // namespace murvo
