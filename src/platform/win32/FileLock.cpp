#include "platform/FileLock.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace murvo::platform {

bool holdFileLock(const std::string& path) {
  // Opened for this process alone: no other can open it while the handle,
  // which the system closes however the process ends, is open.
  const HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file != INVALID_HANDLE_VALUE;
}

}  // namespace murvo::platform
