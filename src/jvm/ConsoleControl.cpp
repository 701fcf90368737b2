#include "jvm/ConsoleControl.h"

#include <atomic>
#include <thread>

#include "jvm/JvmLauncher.h"
#include "platform/ConsoleControl.h"

namespace murvo {

namespace {

std::atomic<bool> vmDestroyed{false};
std::atomic<int> callsInside{0};

}  // namespace

int consoleCtrlHandler(std::uint32_t event) {
  switch (event) {
    case platform::ctrlC:
    case platform::ctrlBreak:
    case platform::ctrlClose:
    case platform::ctrlShutdown:
      ++callsInside;
      if (!vmDestroyed && activeLauncher) activeLauncher->requestExit();
      --callsInside;
      return 1;
    case platform::ctrlLogoff:
      return 1;
    default:
      return 0;
  }
}

void shutOffConsoleControl() {
  vmDestroyed = true;
  while (callsInside != 0) std::this_thread::yield();
}

}  // namespace murvo
