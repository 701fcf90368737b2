#pragma once

#include <optional>
#include <string>

namespace murvo::platform {

// A file of `bytes` that this process can hand to a library by its path and
// that no one else can change while the process runs. Linux: a file in
// memory, /proc/self/fd/N. Windows: `name` (or `name` with a number before
// its extension, when another process holds other bytes under it) in the
// user's temporary folder, held open against writers to the end of the
// process. Nothing when it cannot be made.
std::optional<std::string> privateFile(const std::string& name, const std::string& bytes);

}  // namespace murvo::platform
