#include "platform/Display.h"

#include <windows.h>

#include <chrono>
#include <thread>

namespace murvo::platform {

namespace {

constexpr auto pollInterval = std::chrono::milliseconds(50);

// The window functions come from the system's own folder when a splash needs
// them: a launch without a splash loads neither USER32 nor GDI32 (the console
// twin imports neither).
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

struct WindowSearch {
  decltype(&GetWindowThreadProcessId) windowProcess;
  decltype(&IsWindowVisible) isVisible;
  decltype(&GetWindow) relatedWindow;
  HWND splash;      // the first visible window seen, null until then
  bool otherShown;  // a visible top-level window other than the splash
};

BOOL CALLBACK inspectWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD process = 0;
  search->windowProcess(window, &process);
  if (process != GetCurrentProcessId() || !search->isVisible(window) ||
      search->relatedWindow(window, GW_OWNER)) {
    return TRUE;
  }
  if (!search->splash) {
    search->splash = window;
  } else if (window != search->splash) {
    search->otherShown = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool hasDisplay() {
  return true;
}

std::string displayFailure(std::chrono::milliseconds) {
  return {};
}

float displayScale() {
  auto getDc = systemFunction<decltype(&GetDC)>(L"user32.dll", "GetDC");
  auto releaseDc = systemFunction<decltype(&ReleaseDC)>(L"user32.dll", "ReleaseDC");
  auto deviceCaps = systemFunction<decltype(&GetDeviceCaps)>(L"gdi32.dll", "GetDeviceCaps");
  if (!getDc || !releaseDc || !deviceCaps) return 1;
  // The manifest declares the launcher DPI-aware, so the screen reports its
  // real density.
  HDC screen = getDc(nullptr);
  if (!screen) return 1;
  const int dpi = deviceCaps(screen, LOGPIXELSX);
  releaseDc(nullptr, screen);
  return dpi > 0 ? static_cast<float>(dpi) / 96 : 1;
}

void watchSplashWindow(unsigned seconds, void (*action)()) {
  auto enumWindows = systemFunction<decltype(&EnumWindows)>(L"user32.dll", "EnumWindows");
  WindowSearch search{systemFunction<decltype(&GetWindowThreadProcessId)>(
                          L"user32.dll", "GetWindowThreadProcessId"),
                      systemFunction<decltype(&IsWindowVisible)>(L"user32.dll", "IsWindowVisible"),
                      systemFunction<decltype(&GetWindow)>(L"user32.dll", "GetWindow"), nullptr,
                      false};
  const bool canWatch =
      enumWindows && search.windowProcess && search.isVisible && search.relatedWindow;
  if (!canWatch && seconds == 0) return;
  std::thread([seconds, action, enumWindows, canWatch, search]() mutable {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (seconds == 0 || std::chrono::steady_clock::now() < deadline) {
      if (canWatch) {
        enumWindows(inspectWindow, reinterpret_cast<LPARAM>(&search));
        if (search.otherShown) break;
      }
      std::this_thread::sleep_for(pollInterval);
    }
    action();
  }).detach();
}

}  // namespace murvo::platform
