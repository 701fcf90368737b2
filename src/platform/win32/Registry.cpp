// Windows' registry, read only, through the wide functions: names and text
// reach the launcher in UTF-8. The launcher is a 64-bit process, so every key
// is read in the registry's 64-bit view, where 64-bit Java registers.
#include "platform/Registry.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/WideText.h"

namespace murvo::platform {

namespace {

bool isText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ;
}

class SystemRegistry : public Registry {
 public:
  using Registry::openKey;
  bool openKey(RegistryRoot root, const std::string& path, RegistryKey& key) override {
    const HKEY top = root == RegistryRoot::currentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    HKEY handle;
    if (RegOpenKeyExW(top, widen(path).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
      return false;
    }
    key = handle;
    return true;
  }

  // Text is read whole and measured as UTF-8 against the caller's buffer,
  // so that a capacity means the same as for the bytes of an ANSI text.
  bool readString(RegistryKey key, const std::string& valueName, char* buffer, std::size_t& size,
                  ValueKind& kind) override {
    const std::wstring name = widen(valueName);
    std::string data;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    LONG result =
        RegQueryValueExW(static_cast<HKEY>(key), name.c_str(), nullptr, &type, nullptr, &bytes);
    std::string raw;
    while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
      raw.resize(bytes);
      result = RegQueryValueExW(static_cast<HKEY>(key), name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(raw.data()), &bytes);
      if (result == ERROR_SUCCESS) break;
    }
    if (result != ERROR_SUCCESS) return false;
    raw.resize(bytes);
    if (isText(type)) {
      std::wstring wide(raw.size() / sizeof(wchar_t), L'\0');
      std::memcpy(wide.data(), raw.data(), wide.size() * sizeof(wchar_t));
      const bool terminated = !wide.empty() && wide.back() == L'\0';
      if (terminated) wide.pop_back();
      data = narrow(wide);
      if (terminated) data += '\0';
    } else {
      data = std::move(raw);
    }
    if (data.size() > size) return false;
    std::memcpy(buffer, data.data(), data.size());
    size = data.size();
    kind = type == REG_SZ          ? ValueKind::text
           : type == REG_EXPAND_SZ ? ValueKind::expandableText
                                   : ValueKind::other;
    return true;
  }

  std::vector<std::string> listSubKeys(RegistryKey key) override {
    std::vector<std::string> names;
    wchar_t name[256];  // the longest key name the registry allows, and its zero
    for (DWORD index = 0;; ++index) {
      DWORD length = std::size(name);
      const LONG result = RegEnumKeyExW(static_cast<HKEY>(key), index, name, &length, nullptr,
                                        nullptr, nullptr, nullptr);
      if (result != ERROR_SUCCESS) break;  // the end of the list, or a key that went away
      names.push_back(narrow({name, length}));
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
