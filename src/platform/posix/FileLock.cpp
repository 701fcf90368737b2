#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace murvo::platform {

bool holdFileLock(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  // The descriptor stays open: the system lets go of the lock when the
  // process ends, also by a crash or a kill.
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  close(fd);
  return false;
}

}  // namespace murvo::platform
