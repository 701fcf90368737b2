#include "config/VariableResolver.h"

#include "config/TextRoutines.h"
#include "platform/Environment.h"
#include "reporting/ErrorReporter.h"

namespace murvo {

bool VariableResolver::hasVariable(const std::string& text) const {
  const std::size_t open = text.find("${");
  return open != std::string::npos && text.find('}', open + 2) != std::string::npos;
}

std::string& VariableResolver::resolve(std::string& text) {
  return guard("Error resolving property variables.", [&]() -> std::string& {
    std::optional<std::string> result = substituted(text);
    if (!result) throw LauncherError("no value");
    text = std::move(*result);
    return text;
  });
}

bool VariableResolver::resolveIfKnown(std::string& text) {
  return guard("Error resolving property variables.", [&] {
    std::optional<std::string> result = substituted(text);
    if (result) text = std::move(*result);
    return result.has_value();
  });
}

std::optional<std::string> VariableResolver::substituted(const std::string& original) {
  std::string text = original;
  std::size_t scan = 0;
  while (true) {
    const std::size_t open = text.find("${", scan);
    if (open == std::string::npos) break;
    const std::size_t close = text.find('}', open + 2);
    // A "${" that nothing closes stays as it is, with the rest of the text.
    if (close == std::string::npos) break;
    std::string reference = text.substr(open, close - open);
    const std::optional<std::string> value = getVariableValue(trim(reference));
    if (!value) return std::nullopt;
    text.replace(open, close - open + 1, *value);
    scan = open + value->size();
  }
  return text;
}

std::optional<std::string> VariableResolver::getVariableValue(const std::string& reference) {
  return guard("Error getting value from property variable.", [&]() -> std::optional<std::string> {
    const std::string name = reference.substr(2);
    if (name == "FOUND_JAVA_HOME") return properties.getFoundJavaHome();
    if (name.starts_with("env.")) {
      if (auto value = platform::environmentVariable(name.substr(4))) return value;
    }
    if (name == "SELF_HOME") return properties.getSelfHome();
    if (name == "FOUND_EXE_FOLDER") return properties.getExeFolder();
    return std::nullopt;
  });
}

}  // namespace murvo
