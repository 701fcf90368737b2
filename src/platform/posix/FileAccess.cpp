#include "platform/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace murvo::platform {

bool isRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> readRegularFile(const std::string& path, std::size_t limit) {
  // Opened without waiting, so that a FIFO without a writer cannot hold the
  // launcher; what it is is then asked of the open file itself.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> bytes;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    bytes.emplace();
    char buffer[64 * 1024];
    while (bytes->size() < limit) {
      const ssize_t count = read(fd, buffer, std::min(sizeof buffer, limit - bytes->size()));
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) bytes.reset();
      if (count <= 0) break;
      bytes->append(buffer, static_cast<std::size_t>(count));
    }
  }
  close(fd);
  return bytes;
}

std::optional<std::uint64_t> regularFileSize(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::string> readFilePart(const std::string& path, std::uint64_t offset,
                                        std::size_t length) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> bytes(std::in_place, length, '\0');
  std::size_t done = 0;
  while (done < length) {
    const ssize_t count =
        pread(fd, bytes->data() + done, length - done, static_cast<off_t>(offset + done));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) bytes.reset();
    if (count <= 0) break;
    done += static_cast<std::size_t>(count);
  }
  close(fd);
  if (bytes) bytes->resize(done);
  return bytes;
}

std::optional<std::string> resolvedPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  std::string result = resolved;
  std::free(resolved);
  return result;
}

}  // namespace murvo::platform
