#include "platform/PrivateFile.h"

#include <sys/mman.h>
#include <unistd.h>

namespace murvo::platform {

// The descriptor stays open to the end of the process: the path names it.
std::optional<std::string> privateFile(const std::string& name, const std::string& bytes) {
  const int file = memfd_create(name.c_str(), MFD_CLOEXEC);
  if (file < 0) return std::nullopt;
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = write(file, bytes.data() + done, bytes.size() - done);
    if (written <= 0) {
      close(file);
      return std::nullopt;
    }
    done += static_cast<std::size_t>(written);
  }
  return "/proc/self/fd/" + std::to_string(file);
}

}  // namespace murvo::platform
