#pragma once

#include <string>

namespace murvo::platform {

// Takes the lock of a file (made when missing) for this process, without
// waiting; it is held until the process ends, however it ends. False when
// another process holds it or the file cannot be opened.
bool holdFileLock(const std::string& path);

}  // namespace murvo::platform
