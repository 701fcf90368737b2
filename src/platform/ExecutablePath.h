#pragma once

#include <string>

namespace murvo::platform {

// The full path of the running executable, never truncated (for one deleted
// while it runs, the path it had); empty when the system cannot tell.
std::string executablePath();

}  // namespace murvo::platform
