#include "platform/FileSystem.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace murvo::platform {

std::optional<FileStamp> fileStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  const auto join = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  };
  return FileStamp{join(data.nFileSizeHigh, data.nFileSizeLow),
                   static_cast<std::int64_t>(join(data.ftLastWriteTime.dwHighDateTime,
                                                  data.ftLastWriteTime.dwLowDateTime))};
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool createFolders(const std::string& path) {
  if (path.empty() || isFolder(path)) return !path.empty();
  const std::size_t parent = path.find_last_of("\\/");
  if (parent != std::string::npos && parent > 0 && path[parent - 1] != ':' &&
      !createFolders(path.substr(0, parent))) {
    return false;
  }
  // A new folder takes the permissions of the one above it: under
  // %LOCALAPPDATA%, the user's own.
  return (CreateDirectoryW(widen(path).c_str(), nullptr) ||
          GetLastError() == ERROR_ALREADY_EXISTS) &&
         isFolder(path);
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole =
      bytes.empty() ||
      (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
       written == bytes.size());
  return CloseHandle(file) && whole;
}

bool renameFile(const std::string& from, const std::string& to) {
  return MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void removeFile(const std::string& path) {
  DeleteFileW(widen(path).c_str());
}

std::string currentFolder() {
  std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
  const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  if (length == 0 || length >= folder.size()) return {};
  folder.resize(length);
  return narrow(folder);
}

}  // namespace murvo::platform
