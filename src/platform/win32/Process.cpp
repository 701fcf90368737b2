// The process facilities on Windows: the executable's path and the message
// line on standard error (the box is the GUI launcher's own).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/ExecutablePath.h"
#include "platform/win32/StandardErrorCopy.h"

namespace murvo::platform {

std::string executablePath() {
  // Grown until the whole path fits: long paths are never cut.
  std::vector<char> buffer(MAX_PATH);
  while (true) {
    const DWORD length =
        GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return {buffer.data(), buffer.data() + length};
    buffer.resize(buffer.size() * 2);
  }
}

void copyToStandardError(const std::string& text) {
  // What the C runtime still holds (it buffers streams that lead to no
  // console) is written first, so that the message comes after it.
  std::fflush(stdout);
  std::fflush(stderr);
  // A GUI program has no console; when its standard error leads somewhere
  // (a redirection, a script) the message goes there too. A console
  // program always has one.
  const HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
  if (standardError != nullptr && standardError != INVALID_HANDLE_VALUE) {
    const std::string line = text + "\r\n";
    DWORD written;
    WriteFile(standardError, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

}  // namespace murvo::platform
