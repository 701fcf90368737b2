#include "platform/MemoryRegistry.h"

#include <cstring>

namespace murvo::platform {

// Key handles point at the key's entry in the map, whose nodes never move.
using KeyEntry = std::map<std::string, std::map<std::string, std::string>>::value_type;

void MemoryRegistry::setValue(const std::string& keyPath, const std::string& valueName,
                              const std::string& text) {
  keys[keyPath][valueName] = text;
}

void MemoryRegistry::addKey(const std::string& keyPath) {
  keys[keyPath];
}

bool MemoryRegistry::openKey(const std::string& path, RegistryKey& key) {
  const auto found = keys.find(path);
  if (found == keys.end()) return false;
  key = &*found;
  opened.push_back(path);
  ++stillOpen;
  return true;
}

bool MemoryRegistry::readString(RegistryKey key, const std::string& valueName, char* buffer,
                                std::size_t& size) {
  const auto& values = static_cast<KeyEntry*>(key)->second;
  const auto found = values.find(valueName);
  if (found == values.end()) return false;
  const std::string& text = found->second;
  if (text.size() + 1 > size) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  size = text.size() + 1;
  return true;
}

void MemoryRegistry::closeKey(RegistryKey) {
  --stillOpen;
}

}  // namespace murvo::platform
