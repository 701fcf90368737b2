#include "platform/FileAccess.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/WideText.h"

namespace murvo::platform {

bool isRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> readRegularFile(const std::string& path, std::size_t limit) {
  const HANDLE file =
      CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> bytes;
  // A folder does not open this way; a pipe or a device is no disk file.
  if (GetFileType(file) == FILE_TYPE_DISK) {
    bytes.emplace();
    char buffer[64 * 1024];
    DWORD count = 0;
    while (bytes->size() < limit) {
      const auto wanted = static_cast<DWORD>(std::min(sizeof buffer, limit - bytes->size()));
      if (!ReadFile(file, buffer, wanted, &count, nullptr)) {
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

std::optional<std::uint64_t> regularFileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> readFilePart(const std::string& path, std::uint64_t offset,
                                        std::size_t length) {
  const HANDLE file =
      CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> bytes(std::in_place, length, '\0');
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  std::size_t done = 0;
  if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) bytes.reset();
  while (bytes && done < length) {
    DWORD count = 0;
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(length - done, 1 << 20));
    if (!ReadFile(file, bytes->data() + done, wanted, &count, nullptr)) bytes.reset();
    if (!bytes || count == 0) break;
    done += count;
  }
  CloseHandle(file);
  if (bytes) bytes->resize(done);
  return bytes;
}

std::optional<std::string> resolvedPath(const std::string& path) {
  const HANDLE file = CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  wchar_t buffer[32 * 1024];
  const DWORD length = GetFinalPathNameByHandleW(file, buffer, std::size(buffer), 0);
  CloseHandle(file);
  if (length == 0 || length >= std::size(buffer)) return std::nullopt;
  // The system's own form: \\?\C:\... for a drive, \\?\UNC\server\... for a share.
  std::string result = narrow({buffer, length});
  if (result.starts_with("\\\\?\\UNC\\")) return "\\\\" + result.substr(8);
  if (result.starts_with("\\\\?\\")) return result.substr(4);
  return result;
}

}  // namespace murvo::platform
