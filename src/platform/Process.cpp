// The process facilities that the C runtime offers alike everywhere.
#include <cstdlib>

#include "platform/Environment.h"
#include "platform/ProcessExit.h"

namespace murvo::platform {

void endProcess(int status) { std::exit(status); }

std::optional<std::string> environmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

}  // namespace murvo::platform
