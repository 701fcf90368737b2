#pragma once

#include <string>

namespace murvo {

// Removes space, tab and line feed (nothing else) from both ends, in place.
std::string& trim(std::string& text);

// Replaces every `from` by `to`, in place; the length never changes.
std::string& replaceChar(std::string& text, char from, char to);

}  // namespace murvo
