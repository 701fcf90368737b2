#pragma once

#include <string>

#include "config/LaunchProperties.h"

namespace murvo {

// The user's own JVM options (murvo.user.options): a file that the user can
// write when the .lap cannot be changed, read with the .lap's rules for
// lines. Its option lines that the author allows (murvo.user.options.allowed)
// join the record as user options; nothing of it is ever a failure.
class UserOptionsFile {
 public:
  // What the key being absent allows: the heap and stack sizes, proxies, the
  // display's scale and the language; nothing that loads code or changes
  // where classes come from.
  static const std::string DEFAULT_ALLOWED;

  explicit UserOptionsFile(LaunchProperties& properties) : properties(properties) {}

  void load();

 private:
  // The file the setting names; empty when there is none.
  std::string path() const;
  bool allowed(const std::string& option, const std::string& prefixes) const;

  LaunchProperties& properties;
};

}  // namespace murvo
