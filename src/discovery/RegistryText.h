#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace murvo {

// Reads the registry as discovery needs it: whole keys' sub-key names and
// text values, skipping whatever is not plain text.
class RegistryText {
 public:
  RegistryText(platform::Registry& registry, platform::RegistryRoot root)
      : registry(registry), root(root) {}

  // The names of the key's sub-keys; none when it does not exist.
  std::vector<std::string> subKeys(const std::string& key);
  // A text value, its %VARIABLE% references expanded; nothing for a missing
  // value, a value of another kind, one without its terminating zero, or one
  // of more than 5000 bytes.
  std::optional<std::string> text(const std::string& key, const std::string& valueName);

 private:
  platform::Registry& registry;
  platform::RegistryRoot root;
};

// Replaces each %NAME% that names a set environment variable by its value,
// as Windows expands a registry value; other text stays as it is.
std::string expandEnvironmentReferences(const std::string& text);

}  // namespace murvo
