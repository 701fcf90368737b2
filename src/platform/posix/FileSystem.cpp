#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

namespace murvo::platform {

namespace {

std::int64_t nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// Regular, this user's, and writable by nobody else.
bool isOwnRegular(const struct stat& info) {
  return S_ISREG(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 022) == 0;
}

}  // namespace

const bool folderAccessCoversFoldersAbove = true;

std::optional<FileStamp> fileStamp(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(info.st_size), nanoseconds(info.st_mtim),
                   nanoseconds(info.st_ctim), static_cast<std::uint64_t>(info.st_ino),
                   static_cast<std::uint64_t>(info.st_dev)};
}

bool isFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<FolderAccess> folderAccess(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return std::nullopt;
  if (S_ISLNK(info.st_mode)) return FolderAccess{true, false, false, true, false};
  if (!S_ISDIR(info.st_mode)) return std::nullopt;
  return FolderAccess{false, info.st_uid == geteuid(), info.st_uid == 0, (info.st_mode & 022) != 0,
                      (info.st_mode & S_ISVTX) != 0};
}

bool createFolders(const std::string& path) {
  if (path.empty() || isFolder(path)) return !path.empty();
  const std::size_t parent = path.find_last_of('/');
  if (parent != std::string::npos && parent > 0 && !createFolders(path.substr(0, parent))) {
    return false;
  }
  return (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) && isFolder(path);
}

bool createNewFile(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    written += static_cast<std::size_t>(count);
  }
  return close(fd) == 0 && written == bytes.size();
}

std::optional<std::string> readOwnFile(const std::string& path, std::size_t limit) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info;
  std::optional<std::string> bytes;
  if (fstat(fd, &info) == 0 && isOwnRegular(info)) {
    bytes.emplace();
    char buffer[64 * 1024];
    for (ssize_t count; bytes->size() < limit;) {
      count = read(fd, buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) bytes.reset();
      if (count <= 0) break;
      bytes->append(buffer, std::min(static_cast<std::size_t>(count), limit - bytes->size()));
    }
  }
  close(fd);
  return bytes;
}

bool isOwnFile(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && isOwnRegular(info);
}

bool syncFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

std::optional<std::int64_t> secondsSinceModified(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::int64_t>(std::time(nullptr)) - info.st_mtim.tv_sec;
}

void touchFile(const std::string& path) {
  utimensat(AT_FDCWD, path.c_str(), nullptr, AT_SYMLINK_NOFOLLOW);
}

std::optional<std::uint64_t> freeBytes(const std::string& folder) {
  struct statvfs info;
  if (statvfs(folder.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

bool renameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void removeFile(const std::string& path) {
  unlink(path.c_str());
}

std::string currentFolder() {
  std::string folder(256, '\0');
  while (!getcwd(folder.data(), folder.size())) {
    if (errno != ERANGE) return {};
    folder.resize(folder.size() * 2);
  }
  folder.resize(folder.find('\0'));
  return folder;
}

bool setCurrentFolder(const std::string& folder) {
  return chdir(folder.c_str()) == 0;
}

}  // namespace murvo::platform
