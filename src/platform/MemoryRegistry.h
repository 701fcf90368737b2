#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace murvo::platform {

// A registry held in memory: the synthetic registry of machines without one,
// and the tests'. It records which keys were opened and how many are still open.
class MemoryRegistry : public Registry {
 public:
  // Stores a text value with its terminating zero, making its key and the
  // keys above it.
  void setValue(const std::string& keyPath, const std::string& valueName, const std::string& text,
                ValueKind kind = ValueKind::text, RegistryRoot root = RegistryRoot::localMachine);
  // Stores a value's data exactly as given.
  void setRawValue(const std::string& keyPath, const std::string& valueName,
                   const std::string& bytes, ValueKind kind,
                   RegistryRoot root = RegistryRoot::localMachine);
  void addKey(const std::string& keyPath, RegistryRoot root = RegistryRoot::localMachine);
  bool hasKey(const std::string& keyPath) const {
    return keys.contains(keyName(RegistryRoot::localMachine, keyPath));
  }

  using Registry::openKey;
  bool openKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
  bool readString(RegistryKey key, const std::string& valueName, char* buffer, std::size_t& size,
                  ValueKind& kind) override;
  std::vector<std::string> listSubKeys(RegistryKey key) override;
  void closeKey(RegistryKey key) override;

  const std::vector<std::string>& openedKeys() const { return opened; }
  int openKeyCount() const { return stillOpen; }

 private:
  struct Value {
    std::string bytes;
    ValueKind kind;
  };
  struct Key {
    std::map<std::string, Value> values;
    std::vector<std::string> subKeys;  // in the order they were made
  };
  static std::string keyName(RegistryRoot root, const std::string& path);

  std::map<std::string, Key> keys;
  std::vector<std::string> opened;
  int stillOpen = 0;
};

}  // namespace murvo::platform
