#include "jvm/ConsoleControl.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "jvm/JvmLauncher.h"
#include "launcher/Trace.h"
#include "platform/ConsoleControl.h"
#include "platform/ProcessExit.h"

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

// Once a program was asked to end for the console closing or a shutdown
// where the system does not end the process itself: System.exit, 5 seconds
// after an initiateExit that has not ended the program (at once without
// one), and the end of the process 5 seconds after that. Never joined: the
// process ends under it.
void endProgramAfter(std::uint32_t event, bool initiateExitCalled) {
  static std::once_flag started;
  std::call_once(started, [&] {
    const int status = platform::endStatusOf(event);
    std::thread([status, initiateExitCalled] {
      constexpr auto grace = std::chrono::seconds(5);
      if (initiateExitCalled) std::this_thread::sleep_for(grace);
      if (tracing())
        trace("the program has not ended: System.exit(" + std::to_string(status) + ")");
      std::thread([status, grace] {
        std::this_thread::sleep_for(grace);
        if (tracing()) trace("System.exit has not ended the program: the process ends");
        platform::endProcessAtOnce(status);
      }).detach();
      if (activeLauncher && enterGate()) {
        activeLauncher->exitVm(status);
        leaveGate();
      }
    }).detach();
  });
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
        const bool initiateExitCalled = activeLauncher->requestExit();
        leaveGate();
        if (event != platform::ctrlC && event != platform::ctrlBreak &&
            !platform::systemEndsProcessAfter(event)) {
          endProgramAfter(event, initiateExitCalled);
        }
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
