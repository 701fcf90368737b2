// Windows' registry, read only. The launcher is a 64-bit process, so every
// key is read in the registry's 64-bit view, where 64-bit Java registers.
#include "platform/Registry.h"

#include <windows.h>

namespace murvo::platform {

namespace {

class SystemRegistry : public Registry {
 public:
  using Registry::openKey;
  bool openKey(RegistryRoot root, const std::string& path, RegistryKey& key) override {
    const HKEY top = root == RegistryRoot::currentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    HKEY handle;
    if (RegOpenKeyExA(top, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    key = handle;
    return true;
  }

  bool readString(RegistryKey key, const std::string& valueName, char* buffer, std::size_t& size,
                  ValueKind& kind) override {
    DWORD type = REG_SZ;
    DWORD bytes = static_cast<DWORD>(size);
    const LONG result = RegQueryValueExA(static_cast<HKEY>(key), valueName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer), &bytes);
    if (result != ERROR_SUCCESS) return false;
    size = bytes;
    kind = type == REG_SZ          ? ValueKind::text
           : type == REG_EXPAND_SZ ? ValueKind::expandableText
                                   : ValueKind::other;
    return true;
  }

  std::vector<std::string> listSubKeys(RegistryKey key) override {
    std::vector<std::string> names;
    char name[256];  // the longest key name the registry allows, and its zero
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      const LONG result = RegEnumKeyExA(static_cast<HKEY>(key), index, name, &length, nullptr,
                                        nullptr, nullptr, nullptr);
      if (result != ERROR_SUCCESS) break;  // the end of the list, or a key that went away
      names.emplace_back(name, length);
    }
    return names;
  }

  void closeKey(RegistryKey key) override { RegCloseKey(static_cast<HKEY>(key)); }
};

}  // namespace

Registry* systemRegistry() {
  static SystemRegistry system;
  return &system;
}

}  // namespace murvo::platform
