// UTF-8, the text of murvo-stamp's options and messages, and UTF-16, the
// text of Windows resources and of the Windows command line.
#pragma once

#include <string>
#include <string_view>

namespace murvo::stamp {

// Throws StampError(`what` + " is not UTF-8 text") for a malformed sequence.
std::u16string utf16FromUtf8(std::string_view text, const std::string& what);
// A lone surrogate becomes U+FFFD.
std::string utf8FromUtf16(std::u16string_view text);

}  // namespace murvo::stamp
