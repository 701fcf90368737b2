// The message of the GUI launcher (murvo.exe): a box, and the same line on
// standard error for scripts and tests that redirect it.
#include <windows.h>

#include "platform/MessageDisplay.h"
#include "platform/win32/WideText.h"

namespace murvo::platform {

namespace {

using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*,
                                                const wchar_t*, const wchar_t*, int);

// shell32 is loaded from the system folder, and only when a page is opened:
// every other start pays nothing for it.
void openInBrowser(const std::string& address) {
  const HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!shell) return;
  if (const auto shellExecute = reinterpret_cast<ShellExecuteFunction>(
          reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteW")))) {
    shellExecute(nullptr, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

}  // namespace

void showMessage(const std::string& text) {
  writeErrorLine(text);
  MessageBoxW(nullptr, widen(text).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void showMessageOffering(const std::string& text, const std::string& address) {
  writeErrorLine(text);
  const std::string question = text + "\n\nOpen " + address + " now?";
  if (MessageBoxW(nullptr, widen(question).c_str(), nullptr, MB_YESNO | MB_ICONEXCLAMATION) ==
      IDYES) {
    openInBrowser(address);
  }
}

}  // namespace murvo::platform
