#include "platform/Display.h"

#include <windows.h>

#include <chrono>
#include <thread>

namespace murvo::platform {

namespace {

constexpr auto pollInterval = std::chrono::milliseconds(50);

struct WindowSearch {
  HWND splash;      // the first visible window seen, null until then
  bool otherShown;  // a visible top-level window other than the splash
};

BOOL CALLBACK inspectWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) {
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

float displayScale() {
  // The manifest declares the launcher DPI-aware, so the screen reports its
  // real density.
  HDC screen = GetDC(nullptr);
  if (!screen) return 1;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<float>(dpi) / 96 : 1;
}

void watchSplashWindow(unsigned seconds, void (*action)()) {
  std::thread([seconds, action] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    WindowSearch search{nullptr, false};
    while (seconds == 0 || std::chrono::steady_clock::now() < deadline) {
      EnumWindows(inspectWindow, reinterpret_cast<LPARAM>(&search));
      if (search.otherShown) break;
      std::this_thread::sleep_for(pollInterval);
    }
    action();
  }).detach();
}

}  // namespace murvo::platform
