#include "vm/ConsoleControl.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "launcher/JvmLauncher.h"
#include "platform/ConsoleControl.h"
#include "platform/ProcessExit.h"
#include "reporting/Trace.h"
#include "vm/VmGate.h"

namespace murvo {

namespace {

// Never destroyed: a handler call may still run while the process ends.
VmGate& gate = *new VmGate;

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
      if (activeLauncher && gate.enter()) {
        activeLauncher->exitVm(status);
        gate.leave();
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
      if (activeLauncher && gate.enter()) {
        const bool initiateExitCalled = activeLauncher->requestExit();
        gate.leave();
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
  return gate.open();
}

bool shutOffConsoleControl() {
  return gate.shut();
}

}  // namespace murvo
