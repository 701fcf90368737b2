#include "config/TextRoutines.h"

namespace murvo {

// Both routines let every failure pass to their callers' guards.

std::string& trim(std::string& text) {
  constexpr const char* blanks = " \t\n";
  const std::size_t last = text.find_last_not_of(blanks);
  if (last == std::string::npos) {
    text.clear();
    return text;
  }
  text.erase(last + 1);
  text.erase(0, text.find_first_not_of(blanks));
  return text;
}

std::string& replaceChar(std::string& text, char from, char to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text[at] = to;
  }
  return text;
}

}  // namespace murvo
