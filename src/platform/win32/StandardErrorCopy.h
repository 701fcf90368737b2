// The message line on standard error, shared by both ways of showing a
// message on Windows (Windows only).
#pragma once

#include <string>

namespace murvo::platform {

// Writes `text` and CR LF to the process's standard error when it has one,
// after what the C runtime still buffers for standard output and error.
void copyToStandardError(const std::string& text);

}  // namespace murvo::platform
