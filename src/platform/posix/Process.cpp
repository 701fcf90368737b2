// The process facilities on POSIX: the executable's path, the environment
// and the lines on standard error.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Environment.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageDisplay.h"

namespace murvo::platform {

std::string executablePath() {
  std::vector<char> buffer(256);
  while (true) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size())
      return {buffer.data(), buffer.data() + length};
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::string> environmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

void showMessage(const std::string& text) {
  writeErrorLine(text);
}

void writeErrorLine(const std::string& text) {
  // A standard output or error whose reader has gone must not end the
  // process by SIGPIPE before it can exit with its status: the signal is held
  // back for this thread while writing, and taken away if the write raised it.
  sigset_t pipeSignal;
  sigset_t previous;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  if (!sigismember(&previous, SIGPIPE)) {
    const timespec noWait = {0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &noWait) == SIGPIPE) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace murvo::platform
