#include "platform/CommandLineText.h"

#include <windows.h>

#include <string>

#include "platform/win32/WideText.h"

namespace murvo::platform {

const char* textAfterProgramName(const char* commandLine) {
  auto* at = reinterpret_cast<const unsigned char*>(commandLine);
  if (*at == '"') {
    ++at;
    while (*at != '\0' && *at != '"') ++at;
    if (*at == '"') ++at;
  } else {
    bool quoted = false;
    while (*at > ' ' || (*at != '\0' && quoted)) {
      if (*at == '"') quoted = !quoted;
      ++at;
    }
  }
  while (*at != '\0' && *at <= ' ') ++at;
  return reinterpret_cast<const char*>(at);
}

const char* commandLineArguments() {
  static const std::string commandLine = narrow(GetCommandLineW());
  return textAfterProgramName(commandLine.c_str());
}

}  // namespace murvo::platform
