#pragma once

#include <string>

namespace murvo::platform {

// The full path of the running executable, never truncated; empty when the
// system cannot tell.
std::string executablePath();

}  // namespace murvo::platform
