// Windows' registry under HKEY_LOCAL_MACHINE, read only.
#include "platform/Registry.h"

#include <windows.h>

namespace murvo::platform {

namespace {

class SystemRegistry : public Registry {
 public:
  bool openKey(const std::string& path, RegistryKey& key) override {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
      return false;
    }
    key = handle;
    return true;
  }

  bool readString(RegistryKey key, const std::string& valueName, char* buffer,
                  std::size_t& size) override {
    DWORD type = REG_SZ;
    DWORD bytes = static_cast<DWORD>(size);
    const LONG result = RegQueryValueExA(static_cast<HKEY>(key), valueName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer), &bytes);
    if (result != ERROR_SUCCESS) return false;
    size = bytes;
    return true;
  }

  void closeKey(RegistryKey key) override { RegCloseKey(static_cast<HKEY>(key)); }
};

}  // namespace

Registry& systemRegistry() {
  static SystemRegistry system;
  return system;
}

}  // namespace murvo::platform
