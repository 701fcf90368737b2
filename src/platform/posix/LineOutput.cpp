#include "platform/LineOutput.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace murvo::platform {

std::optional<LineOutput> openLineOutput(const std::string& path) {
  const int fd =
      open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return std::nullopt;
  struct stat info;
  if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || isatty(fd))) {
    close(fd);
    return std::nullopt;
  }
  // A terminal takes the line when it can, as standard error does.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

LineOutput standardErrorOutput() {
  return STDERR_FILENO;
}

bool writeLine(LineOutput output, const std::string& text) {
  // A reader that has gone raises SIGPIPE: held back for this thread while
  // writing, and taken away if the write raised it.
  sigset_t pipeSignal;
  sigset_t previous;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  ssize_t written;
  do {
    written = write(static_cast<int>(output), text.data(), text.size());
  } while (written < 0 && errno == EINTR);
  if (!sigismember(&previous, SIGPIPE)) {
    const timespec noWait = {0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &noWait) == SIGPIPE) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return written == static_cast<ssize_t>(text.size());
}

}  // namespace murvo::platform
