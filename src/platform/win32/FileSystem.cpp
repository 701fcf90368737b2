#include "platform/FileSystem.h"

#include <windows.h>
// After windows.h, which they build on.
#include <aclapi.h>

#include "platform/win32/UserSecurity.h"
#include "platform/win32/WideText.h"

namespace murvo::platform {

namespace {

std::uint64_t join(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

std::int64_t ticks(const FILETIME& time) {
  return static_cast<std::int64_t>(join(time.dwHighDateTime, time.dwLowDateTime));
}

// A handle that closes itself.
struct Handle {
  HANDLE handle;
  explicit Handle(HANDLE opened) : handle(opened) {}
  ~Handle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  explicit operator bool() const { return handle != INVALID_HANDLE_VALUE; }
};

// Opens a file or folder for `access` without following a link at its end,
// letting others go on using it.
HANDLE openUnfollowed(const std::string& path, DWORD access, DWORD flags = 0) {
  return CreateFileW(widen(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

// Rights by which someone may add, remove or rename a folder's entries, or
// take the folder over.
constexpr DWORD changingRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD |
                                 DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// True when the access list lets anyone but the user and the system's
// administration change the object. No list at all lets everyone in.
bool othersMayChange(PACL acl) {
  if (!acl) return true;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(acl, i, &entry)) return true;
    const auto* header = static_cast<ACE_HEADER*>(entry);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
      continue;
    }
    const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if ((allowed->Mask & changingRights) && !isUserSid(sid) && !isSystemSid(sid) &&
        !IsWellKnownSid(sid, WinCreatorOwnerSid)) {
      return true;
    }
  }
  return false;
}

// The owner of an open file or folder, and whether others may change it.
bool ownerOf(HANDLE handle, bool& user, bool& system, bool& othersMayWrite) {
  PSID owner = nullptr;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr, &acl,
                      nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  user = isUserSid(owner);
  system = isSystemSid(owner);
  othersMayWrite = othersMayChange(acl);
  LocalFree(descriptor);
  return true;
}

}  // namespace

const bool folderAccessCoversFoldersAbove = false;

std::optional<FileStamp> fileStamp(const std::string& path) {
  const Handle file(CreateFileW(widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || !GetFileInformationByHandle(file.handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  FILE_BASIC_INFO basic{};
  GetFileInformationByHandleEx(file.handle, FileBasicInfo, &basic, sizeof basic);
  return FileStamp{join(info.nFileSizeHigh, info.nFileSizeLow), ticks(info.ftLastWriteTime),
                   basic.ChangeTime.QuadPart, join(info.nFileIndexHigh, info.nFileIndexLow),
                   info.dwVolumeSerialNumber};
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FolderAccess> folderAccess(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return FolderAccess{true, false, false, true, false};
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  const Handle folder(openUnfollowed(path, READ_CONTROL));
  FolderAccess access{false, false, false, true, false};
  if (!folder ||
      !ownerOf(folder.handle, access.ownedByUser, access.ownedBySystem, access.othersMayWrite)) {
    return std::nullopt;
  }
  return access;
}

bool createFolders(const std::string& path) {
  if (path.empty() || isFolder(path)) return !path.empty();
  const std::size_t parent = path.find_last_of("\\/");
  if (parent != std::string::npos && parent > 0 && path[parent - 1] != ':' &&
      !createFolders(path.substr(0, parent))) {
    return false;
  }
  const bool made = withUserOnlySecurity(
      Inheritance::toContents,
      [&](SECURITY_ATTRIBUTES* attributes) {
        return CreateDirectoryW(widen(path).c_str(), attributes) != 0;
      },
      false);
  return (made || GetLastError() == ERROR_ALREADY_EXISTS) && isFolder(path);
}

bool createNewFile(const std::string& path, const std::string& bytes) {
  const Handle file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return bytes.empty() || (WriteFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()),
                                     &written, nullptr) &&
                           written == bytes.size());
}

// On Windows the owner decides: a file in a folder of the user's alone that
// the user owns was written by the user.
std::optional<std::string> readOwnFile(const std::string& path, std::size_t limit) {
  const Handle file(openUnfollowed(path, GENERIC_READ | READ_CONTROL));
  BY_HANDLE_FILE_INFORMATION info;
  bool user = false, system = false, others = true;
  if (!file || !GetFileInformationByHandle(file.handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      !ownerOf(file.handle, user, system, others) || !user) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[64 * 1024];
  DWORD count = 0;
  while (bytes.size() < limit && ReadFile(file.handle, buffer, sizeof buffer, &count, nullptr) &&
         count > 0) {
    bytes.append(buffer, std::min<std::size_t>(count, limit - bytes.size()));
  }
  return bytes;
}

bool isOwnFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return false;
  }
  const Handle file(openUnfollowed(path, READ_CONTROL));
  bool user = false, system = false, others = true;
  return file && ownerOf(file.handle, user, system, others) && user;
}

bool syncFile(const std::string& path) {
  const Handle file(openUnfollowed(path, GENERIC_WRITE));
  return file && FlushFileBuffers(file.handle);
}

std::optional<std::int64_t> secondsSinceModified(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (ticks(now) - ticks(data.ftLastWriteTime)) / 10000000;
}

void touchFile(const std::string& path) {
  const Handle file(openUnfollowed(path, FILE_WRITE_ATTRIBUTES));
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  if (file) SetFileTime(file.handle, nullptr, nullptr, &now);
}

std::optional<std::uint64_t> freeBytes(const std::string& folder) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExW(widen(folder).c_str(), &available, nullptr, nullptr)) {
    return std::nullopt;
  }
  return available.QuadPart;
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

bool setCurrentFolder(const std::string& folder) {
  return SetCurrentDirectoryW(widen(folder).c_str()) != 0;
}

}  // namespace murvo::platform
