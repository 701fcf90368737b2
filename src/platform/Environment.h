#pragma once

#include <optional>
#include <string>

namespace murvo::platform {

// The value of an environment variable of the process; nothing when unset.
std::optional<std::string> environmentVariable(const std::string& name);

}  // namespace murvo::platform
