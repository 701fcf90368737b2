// The launcher's UTF-8 texts and Windows' UTF-16 ones, converted where the
// launcher meets the system: only here.
#pragma once

#include <string>
#include <string_view>

namespace murvo::platform {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

// The ANSI code page of the system's locale: the one that programs use
// without the UTF-8 manifest.
unsigned legacyCodePage();

}  // namespace murvo::platform
