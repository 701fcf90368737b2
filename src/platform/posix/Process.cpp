// The process facilities on POSIX: the executable's path, the environment
// and the lines on standard error.
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/Environment.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageDisplay.h"

namespace murvo::platform {

namespace {

constexpr const char* runningExecutable = "/proc/self/exe";

bool namesRunningExecutable(const std::string& path) {
  struct stat running;
  struct stat named;
  return stat(runningExecutable, &running) == 0 && stat(path.c_str(), &named) == 0 &&
         running.st_dev == named.st_dev && running.st_ino == named.st_ino;
}

}  // namespace

std::string executablePath() {
  std::vector<char> buffer(256);
  ssize_t length;
  while ((length = readlink(runningExecutable, buffer.data(), buffer.size())) >= 0 &&
         static_cast<std::size_t>(length) == buffer.size()) {
    buffer.resize(buffer.size() * 2);
  }
  if (length < 0) return {};
  std::string path(buffer.data(), static_cast<std::size_t>(length));
  // The link of an executable deleted while it runs reads as its path with
  // " (deleted)" appended; a file that is really named so is kept.
  constexpr std::string_view deleted = " (deleted)";
  if (path.ends_with(deleted) && !namesRunningExecutable(path)) {
    path.resize(path.size() - deleted.size());
  }
  return path;
}

std::optional<std::string> environmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

void showMessage(const std::string& text) {
  writeErrorLine(text);
}

// The address is part of the text; a line has nothing to ask.
void showMessageOffering(const std::string& text, const std::string&) {
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
