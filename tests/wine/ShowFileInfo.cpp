// Prints what Windows itself reads from an executable for its properties
// and its icon, one "name=value" line each (UTF-8):
//   the version texts of the file's first translation (GetFileVersionInfoW,
//   VerQueryValueW), "(none)" for one it lacks; the numeric file version;
//   the number of icons (ExtractIconExW); and the images of the first icon,
//   each made into an icon by CreateIconFromResourceEx.
#define UNICODE
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void print(const char* name, const std::wstring& value) {
  std::string text(WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, nullptr, 0, nullptr, nullptr),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, text.data(), static_cast<int>(text.size()),
                      nullptr, nullptr);
  std::printf("%s=%s\n", name, text.c_str());
}

void printVersion(const wchar_t* file) {
  std::vector<char> info(GetFileVersionInfoSizeW(file, nullptr));
  if (info.empty() || !GetFileVersionInfoW(file, 0, static_cast<DWORD>(info.size()), info.data())) {
    std::printf("version=(none)\n");
    return;
  }
  VS_FIXEDFILEINFO* fixed;
  UINT size;
  if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size)) {
    std::printf("FileVersion(numeric)=%lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16,
                fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
                fixed->dwFileVersionLS & 0xFFFF);
  }
  WORD* translation;
  if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &size))
    return;
  for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "InternalName",
                           "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"}) {
    wchar_t query[128];
    swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%hs", translation[0], translation[1], name);
    wchar_t* value;
    print(name, VerQueryValueW(info.data(), query, reinterpret_cast<void**>(&value), &size)
                    ? value
                    : L"(none)");
  }
}

BOOL CALLBACK firstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<LPWSTR*>(found) = name;
  return FALSE;
}

void printIcons(const wchar_t* file) {
  std::printf("icons=%u\n", ExtractIconExW(file, -1, nullptr, nullptr, 0));
  const HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  LPWSTR group = nullptr;
  EnumResourceNamesW(module, RT_GROUP_ICON, firstName, reinterpret_cast<LONG_PTR>(&group));
  const HRSRC found = group ? FindResourceW(module, group, RT_GROUP_ICON) : nullptr;
  if (!found) return;
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  std::string images;
  for (int i = 0; i < *reinterpret_cast<const WORD*>(directory + 4); ++i) {
    const BYTE* entry = directory + 6 + 14 * i;
    const HRSRC icon = FindResourceW(
        module, MAKEINTRESOURCEW(*reinterpret_cast<const WORD*>(entry + 12)), RT_ICON);
    const DWORD size = icon ? SizeofResource(module, icon) : 0;
    auto* bits = icon ? static_cast<BYTE*>(LockResource(LoadResource(module, icon))) : nullptr;
    const HICON made =
        bits ? CreateIconFromResourceEx(bits, size, TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR)
             : nullptr;
    images += (images.empty() ? "" : " ") + std::to_string(entry[0] ? entry[0] : 256) + "x" +
              std::to_string(entry[1] ? entry[1] : 256) + (made ? "" : "(unreadable)");
    if (made) DestroyIcon(made);
  }
  std::printf("images=%s\n", images.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF alone
  printVersion(argv[1]);
  printIcons(argv[1]);
  return 0;
}
