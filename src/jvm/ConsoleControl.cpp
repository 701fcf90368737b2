#include "jvm/ConsoleControl.h"

#include <mutex>

#include "jvm/JvmLauncher.h"
#include "launcher/Trace.h"
#include "platform/ConsoleControl.h"

namespace murvo {

namespace {

// Between the handler's threads and the thread that destroys the VM.
struct Gate {
  std::mutex mutex;
  bool vmDestroyed = false;
  int callsInside = 0;
};

// Never destroyed: a handler call may still run while the process ends.
Gate& gate = *new Gate;

bool enterGate() {
  std::lock_guard lock(gate.mutex);
  if (gate.vmDestroyed) return false;
  ++gate.callsInside;
  return true;
}

void leaveGate() {
  std::lock_guard lock(gate.mutex);
  --gate.callsInside;
}

}  // namespace

int consoleCtrlHandler(std::uint32_t event) {
  switch (event) {
    case platform::ctrlC:
    case platform::ctrlBreak:
    case platform::ctrlClose:
    case platform::ctrlShutdown:
      if (tracing()) trace("console event " + std::to_string(event) + ": asking initiateExit");
      if (activeLauncher && enterGate()) {
        activeLauncher->requestExit();
        leaveGate();
      }
      return 1;
    case platform::ctrlLogoff:
      return 1;
    default:
      return 0;
  }
}

bool vmReachable() {
  std::lock_guard lock(gate.mutex);
  return !gate.vmDestroyed;
}

bool shutOffConsoleControl() {
  std::lock_guard lock(gate.mutex);
  gate.vmDestroyed = true;
  return gate.callsInside == 0;
}

}  // namespace murvo
