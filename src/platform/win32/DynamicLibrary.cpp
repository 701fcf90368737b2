#include "platform/DynamicLibrary.h"

#include <windows.h>

#include <cctype>
#include <cstring>

#include "platform/FileAccess.h"
#include "platform/win32/WideText.h"

namespace murvo::platform {

void* loadLibrary(const std::string& path) {
  return LoadLibraryW(widen(path).c_str());
}

void* findSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void freeLibrary(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

bool isLibraryForThisProcess(const std::string& path) {
  // The DOS header names where the PE header lies; its machine field follows
  // the four-byte signature.
  const std::optional<std::string> start = readRegularFile(path, 4096);
  if (!start || start->size() < 0x40 || !start->starts_with("MZ")) return false;
  std::uint32_t peOffset;
  std::memcpy(&peOffset, start->data() + 0x3C, sizeof peOffset);
  if (peOffset > start->size() - 6 || start->compare(peOffset, 4, std::string("PE\0\0", 4)) != 0) {
    return false;
  }
  std::uint16_t machine;
  std::memcpy(&machine, start->data() + peOffset + 4, sizeof machine);
  return machine == IMAGE_FILE_MACHINE_AMD64;
}

void searchLibrariesIn(const std::string& folder) {
  // Besides adding the folder, this takes the current directory out of the
  // search order of every later load.
  SetDllDirectoryW(widen(folder).c_str());
}

std::string libraryError(const std::string& path) {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length > 0 ? narrow({text, length}) : std::string();
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
