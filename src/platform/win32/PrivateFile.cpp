#include "platform/PrivateFile.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace murvo::platform {

namespace {

// Opens `path` for reading, not following a link, letting others only read
// it; null when it cannot be opened or holds other bytes than `bytes`.
HANDLE openHolding(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  std::string held(bytes.size() + 1, '\0');
  DWORD count = 0;
  if (ReadFile(file, held.data(), static_cast<DWORD>(held.size()), &count, nullptr) &&
      held.compare(0, count, bytes) == 0 && count == bytes.size()) {
    return file;
  }
  CloseHandle(file);
  return nullptr;
}

// Writes `bytes` as the whole of `path`; false when another process holds it.
bool writeWhole(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  CloseHandle(file);
  return whole;
}

}  // namespace

// The handle that holds the file stays open to the end of the process: a
// reader that shares reading can open it, no writer, and no one can rename
// or remove it meanwhile. The bytes are checked through that handle.
std::optional<std::string> privateFile(const std::string& name, const std::string& bytes) {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  const std::size_t dot = name.rfind('.');
  const std::string stem = name.substr(0, dot),
                    extension = dot == std::string::npos ? "" : name.substr(dot);
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string candidate =
        attempt == 0 ? name : stem + "-" + std::to_string(attempt) + extension;
    const std::wstring path = std::wstring(folder, length) + widen(candidate);
    if (openHolding(path, bytes) || (writeWhole(path, bytes) && openHolding(path, bytes))) {
      return narrow(path);
    }
  }
  return std::nullopt;
}

}  // namespace murvo::platform
