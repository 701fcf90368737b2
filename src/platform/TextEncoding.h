#pragma once

#include <string>

namespace murvo::platform {

// A command-line argument as UTF-16: Windows reads it in the ANSI code page,
// POSIX as UTF-8, with each invalid byte becoming U+FFFD.
std::u16string argumentToUtf16(const std::string& argument);

}  // namespace murvo::platform
