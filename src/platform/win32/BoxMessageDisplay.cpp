// The message of the GUI launcher (murvo.exe): a box, and the same line on
// standard error for scripts and tests that redirect it.
#include <objbase.h>
#include <windows.h>

#include "platform/MessageDisplay.h"
#include "platform/win32/WideText.h"

namespace murvo::platform {

namespace {

using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*,
                                                const wchar_t*, const wchar_t*, int);
using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);

template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
  const HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// shell32 and ole32 are loaded from the system folder, and only when a page
// is opened: every other start pays nothing for them. The shell hands a page
// to the browser through COM, which the thread must have set up first.
void openInBrowser(const std::string& address) {
  const auto coInitializeEx =
      systemFunction<CoInitializeExFunction>(L"ole32.dll", "CoInitializeEx");
  const auto shellExecute = systemFunction<ShellExecuteFunction>(L"shell32.dll", "ShellExecuteW");
  if (!coInitializeEx || !shellExecute) return;
  coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  shellExecute(nullptr, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
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
