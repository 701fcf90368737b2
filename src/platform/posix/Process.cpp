// The process facilities on POSIX: the executable's path, the message line,
// the exit, and the environment.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Environment.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageDisplay.h"
#include "platform/ProcessExit.h"

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

void showMessage(const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

void endProcess(int status) {
  std::exit(status);
}

std::optional<std::string> environmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

}  // namespace murvo::platform
