// The message of the GUI launcher (murvo.exe): a box, and the same line on
// standard error for scripts and tests that redirect it.
#include <windows.h>

#include "platform/MessageDisplay.h"
#include "platform/win32/WideText.h"

namespace murvo::platform {

void showMessage(const std::string& text) {
  writeErrorLine(text);
  MessageBoxW(nullptr, widen(text).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace murvo::platform
