#include "platform/LineOutput.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace murvo::platform {

std::optional<LineOutput> openLineOutput(const std::string& path) {
  // Appending: every write lands at the end of the file, whoever else writes.
  const HANDLE file = CreateFileW(widen(path).c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  const DWORD type = GetFileType(file);
  if (type != FILE_TYPE_DISK && type != FILE_TYPE_CHAR) {
    CloseHandle(file);
    return std::nullopt;
  }
  return reinterpret_cast<LineOutput>(file);
}

LineOutput standardErrorOutput() {
  return reinterpret_cast<LineOutput>(GetStdHandle(STD_ERROR_HANDLE));
}

bool writeLine(LineOutput output, const std::string& text) {
  DWORD written = 0;
  return WriteFile(reinterpret_cast<HANDLE>(output), text.data(), static_cast<DWORD>(text.size()),
                   &written, nullptr) &&
         written == text.size();
}

}  // namespace murvo::platform
