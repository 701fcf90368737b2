#include "platform/CommandLineText.h"

#include <windows.h>

namespace murvo::platform {

const char* textAfterProgramName(const char* commandLine) {
  auto* at = reinterpret_cast<const unsigned char*>(commandLine);
  bool quoted = false;
  while (*at > ' ' || (*at != '\0' && quoted)) {
    if (*at == '"') quoted = !quoted;
    ++at;
  }
  while (*at != '\0' && *at <= ' ') ++at;
  return reinterpret_cast<const char*>(at);
}

const char* commandLineArguments() {
  return textAfterProgramName(GetCommandLineA());
}

}  // namespace murvo::platform
