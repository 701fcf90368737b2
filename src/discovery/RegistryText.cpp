#include "discovery/RegistryText.h"

#include "platform/Environment.h"

namespace murvo {

using platform::RegistryKey;
using platform::ValueKind;

std::vector<std::string> RegistryText::subKeys(const std::string& key) {
  RegistryKey handle = nullptr;
  if (!registry.openKey(root, key, handle)) return {};
  std::vector<std::string> names = registry.listSubKeys(handle);
  registry.closeKey(handle);
  return names;
}

std::optional<std::string> RegistryText::text(const std::string& key,
                                              const std::string& valueName) {
  RegistryKey handle = nullptr;
  if (!registry.openKey(root, key, handle)) return std::nullopt;
  char buffer[5000];
  std::size_t size = sizeof buffer;
  ValueKind kind = ValueKind::other;
  const bool read = registry.readString(handle, valueName, buffer, size, kind);
  registry.closeKey(handle);
  if (!read || kind == ValueKind::other || size == 0 || buffer[size - 1] != '\0') {
    return std::nullopt;
  }
  std::string value(buffer, std::string_view(buffer, size).find('\0'));
  if (kind == ValueKind::expandableText) value = expandEnvironmentReferences(value);
  return value;
}

std::string expandEnvironmentReferences(const std::string& text) {
  std::string result;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    const auto value = platform::environmentVariable(text.substr(open + 1, close - open - 1));
    if (value && close > open + 1) {
      result += text.substr(at, open - at) + *value;
      at = close + 1;
    } else {
      // Not a reference: the first % stays, and the second may open one.
      result += text.substr(at, close - at);
      at = close;
    }
  }
  return result + text.substr(at);
}

}  // namespace murvo
