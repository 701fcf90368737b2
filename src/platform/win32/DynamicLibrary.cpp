#include "platform/DynamicLibrary.h"

#include <windows.h>

#include <cctype>

namespace murvo::platform {

void* loadLibrary(const std::string& path) {
  return LoadLibraryA(path.c_str());
}

void* findSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void freeLibrary(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

std::string libraryError(const std::string& path) {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason;
  if (length > 0) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    reason.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), reason.data(), size, nullptr,
                        nullptr);
  }
  LocalFree(text);
  // The system's texts end in a line break.
  while (!reason.empty() && std::isspace(static_cast<unsigned char>(reason.back()))) {
    reason.pop_back();
  }
  if (!reason.empty()) reason += ' ';
  reason += "(error " + std::to_string(code) + ")";
  // Some texts stand "%1" for the file; the others get its path in front.
  if (const std::size_t at = reason.find("%1"); at != std::string::npos) {
    return reason.replace(at, 2, path);
  }
  return path + ": " + reason;
}

}  // namespace murvo::platform
