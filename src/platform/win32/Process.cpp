// The process facilities on Windows: the executable's path, the environment
// and the line on standard error, all in UTF-8 through the system's wide
// functions (the box is the GUI launcher's own).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Environment.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageDisplay.h"
#include "platform/win32/WideText.h"

namespace murvo::platform {

std::string executablePath() {
  // Grown until the whole path fits: long paths are never cut.
  std::vector<wchar_t> buffer(MAX_PATH);
  while (true) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return narrow({buffer.data(), length});
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::string> environmentVariable(const std::string& name) {
  const std::wstring wideName = widen(name);
  std::vector<wchar_t> buffer(256);
  while (true) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    if (length < buffer.size()) return narrow({buffer.data(), length});
    buffer.resize(length);
  }
}

void writeErrorLine(const std::string& text) {
  // What the C runtime still holds (it buffers streams that lead to no
  // console) is written first, so that the line comes after it.
  std::fflush(stdout);
  std::fflush(stderr);
  // A GUI program has no console; when its standard error leads somewhere
  // (a redirection, a script) the line goes there, in UTF-8. A console
  // program always has one.
  const HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
  if (standardError != nullptr && standardError != INVALID_HANDLE_VALUE) {
    const std::string line = text + "\r\n";
    DWORD written;
    WriteFile(standardError, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

bool standardErrorIsTerminal() {
  const HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode;
  return standardError != nullptr && standardError != INVALID_HANDLE_VALUE &&
         GetConsoleMode(standardError, &mode);
}

std::optional<std::string> showDesktopDialog(const std::string&, const std::string&, unsigned) {
  return std::nullopt;
}

}  // namespace murvo::platform
