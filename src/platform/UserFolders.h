#pragma once

#include <optional>
#include <string>

namespace murvo::platform {

// The folder where the user's programs keep what they can make again:
// %LOCALAPPDATA% on Windows; elsewhere $XDG_CACHE_HOME when it is an absolute
// path, else the .cache folder of the home folder. Nothing when there is none.
std::optional<std::string> userCacheFolder();

// The folder where the user's programs keep their settings: %APPDATA% on
// Windows; elsewhere $XDG_CONFIG_HOME when it is an absolute path, else the
// .config folder of the home folder. Nothing when there is none.
std::optional<std::string> userConfigFolder();

}  // namespace murvo::platform
