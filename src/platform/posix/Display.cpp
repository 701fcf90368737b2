#include "platform/Display.h"

#include <chrono>
#include <thread>

#include "platform/Environment.h"

namespace murvo::platform {

bool hasDisplay() {
  const std::optional<std::string> display = environmentVariable("DISPLAY");
  return display && !display->empty();
}

float displayScale() {
  return 1;
}

void watchSplashWindow(unsigned seconds, void (*action)()) {
  if (seconds == 0) return;
  // Detached: the process may end before the time is up, and nothing waits.
  std::thread([seconds, action] {
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    action();
  }).detach();
}

}  // namespace murvo::platform
