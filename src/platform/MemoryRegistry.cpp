#include "platform/MemoryRegistry.h"

#include <cstring>

namespace murvo::platform {

std::string MemoryRegistry::keyName(RegistryRoot root, const std::string& path) {
  return (root == RegistryRoot::currentUser ? "HKCU\\" : "HKLM\\") + path;
}

void MemoryRegistry::setValue(const std::string& keyPath, const std::string& valueName,
                              const std::string& text, ValueKind kind, RegistryRoot root) {
  setRawValue(keyPath, valueName, text + '\0', kind, root);
}

void MemoryRegistry::setRawValue(const std::string& keyPath, const std::string& valueName,
                                 const std::string& bytes, ValueKind kind, RegistryRoot root) {
  addKey(keyPath, root);
  keys[keyName(root, keyPath)].values[valueName] = {bytes, kind};
}

void MemoryRegistry::addKey(const std::string& keyPath, RegistryRoot root) {
  const std::string name = keyName(root, keyPath);
  if (keys.contains(name)) return;
  keys[name];
  const std::size_t last = keyPath.rfind('\\');
  if (last == std::string::npos) return;
  const std::string parent = keyPath.substr(0, last);
  addKey(parent, root);
  keys[keyName(root, parent)].subKeys.push_back(keyPath.substr(last + 1));
}

bool MemoryRegistry::openKey(RegistryRoot root, const std::string& path, RegistryKey& key) {
  const auto found = keys.find(keyName(root, path));
  if (found == keys.end()) return false;
  // A handle points at the key's entry in the map, whose nodes never move.
  key = &found->second;
  opened.push_back(path);
  ++stillOpen;
  return true;
}

bool MemoryRegistry::readString(RegistryKey key, const std::string& valueName, char* buffer,
                                std::size_t& size, ValueKind& kind) {
  const auto& values = static_cast<Key*>(key)->values;
  const auto found = values.find(valueName);
  if (found == values.end()) return false;
  const std::string& bytes = found->second.bytes;
  if (bytes.size() > size) return false;
  std::memcpy(buffer, bytes.data(), bytes.size());
  size = bytes.size();
  kind = found->second.kind;
  return true;
}

std::vector<std::string> MemoryRegistry::listSubKeys(RegistryKey key) {
  return static_cast<Key*>(key)->subKeys;
}

void MemoryRegistry::closeKey(RegistryKey) {
  --stillOpen;
}

}  // namespace murvo::platform
