#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace murvo::platform {

// A registry held in memory: the POSIX synthetic registry and the tests'.
// It records which keys were opened and how many are still open.
class MemoryRegistry : public Registry {
 public:
  void setValue(const std::string& keyPath, const std::string& valueName, const std::string& text);
  void addKey(const std::string& keyPath);
  bool hasKey(const std::string& keyPath) const { return keys.contains(keyPath); }

  bool openKey(const std::string& path, RegistryKey& key) override;
  bool readString(RegistryKey key, const std::string& valueName, char* buffer,
                  std::size_t& size) override;
  void closeKey(RegistryKey key) override;

  const std::vector<std::string>& openedKeys() const { return opened; }
  int openKeyCount() const { return stillOpen; }

 private:
  std::map<std::string, std::map<std::string, std::string>> keys;
  std::vector<std::string> opened;
  int stillOpen = 0;
};

}  // namespace murvo::platform
