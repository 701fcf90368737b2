#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace murvo::platform {

std::optional<FileStamp> fileStamp(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileStamp{
      static_cast<std::uint64_t>(info.st_size),
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool isFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool createFolders(const std::string& path) {
  if (path.empty() || isFolder(path)) return !path.empty();
  const std::size_t parent = path.find_last_of('/');
  if (parent != std::string::npos && parent > 0 && !createFolders(path.substr(0, parent))) {
    return false;
  }
  return (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) && isFolder(path);
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
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

}  // namespace murvo::platform
