// Texts are UTF-8 inside the launcher on every platform; these are the
// conversions at its edges that the platforms share or differ in.
#pragma once

#include <string>
#include <string_view>

namespace murvo::platform {

// True for strict UTF-8: no overlong forms, surrogates or code points above
// U+10FFFF.
bool isValidUtf8(std::string_view text);

// UTF-8 as UTF-16, each byte of an invalid sequence becoming U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// The text of a file written by a user (the .lap file) as UTF-8. Windows: a
// file that is not valid UTF-8 and has no byte-order mark was written in the
// system's legacy ANSI code page (the one without the UTF-8 manifest) and is
// converted from it. Elsewhere the bytes stay as they are.
std::string userFileTextToUtf8(std::string bytes);

// True where programs of older runtimes decode their texts in a legacy code
// page instead of UTF-8 (Windows).
extern const bool hasLegacyCodePage;

// UTF-8 in the system's legacy ANSI code page; a character that the code
// page cannot hold is replaced as the system replaces it, and `lossy` then
// says so. Unchanged where there is no legacy code page.
std::string utf8ToLegacyCodePage(const std::string& text, bool& lossy);

}  // namespace murvo::platform
