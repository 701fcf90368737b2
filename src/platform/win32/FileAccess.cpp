#include "platform/FileAccess.h"

#include <windows.h>

namespace murvo::platform {

bool isRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> readRegularFile(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> bytes;
  // A folder does not open this way; a pipe or a device is no disk file.
  if (GetFileType(file) == FILE_TYPE_DISK) {
    bytes.emplace();
    char buffer[64 * 1024];
    DWORD count = 0;
    while (true) {
      if (!ReadFile(file, buffer, sizeof buffer, &count, nullptr)) {
        bytes.reset();
        break;
      }
      if (count == 0) break;
      bytes->append(buffer, count);
    }
  }
  CloseHandle(file);
  return bytes;
}

std::FILE* openForAppend(const std::string& path) {
  return std::fopen(path.c_str(), "ab");
}

}  // namespace murvo::platform
