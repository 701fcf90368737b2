#pragma once

#include <optional>
#include <string>

#include "config/LaunchProperties.h"

namespace murvo {

// Replaces the references "${NAME}" of a property line by their values:
// FOUND_JAVA_HOME, env.<variable>, SELF_HOME and FOUND_EXE_FOLDER.
class VariableResolver {
 public:
  explicit VariableResolver(LaunchProperties& properties) : properties(properties) {}
  virtual ~VariableResolver() = default;

  // True when the text holds "${" and a "}" somewhere after it.
  bool hasVariable(const std::string& text) const;
  // Replaces every reference in place; inserted values are not scanned again.
  std::string& resolve(std::string& text);
  // As resolve, but a reference without a value leaves the text as it is
  // and gives false instead of a failure.
  bool resolveIfKnown(std::string& text);
  // The value named by one reference text ("${" and the name).
  std::optional<std::string> getVariableValue(const std::string& reference);

 private:
  // The text with its references replaced, or nothing when one has no value.
  std::optional<std::string> substituted(const std::string& text);

  LaunchProperties& properties;
};

}  // namespace murvo
