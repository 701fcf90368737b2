#include "vm/ConsoleControl.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "platform/ConsoleControl.h"
#include "platform/ProcessExit.h"
#include "reporting/Trace.h"
#include "vm/ModifiedUtf8.h"
#include "vm/VmGate.h"

namespace murvo {

namespace {

// Never destroyed: a handler call may still run while the process ends.
VmGate& gate = *new VmGate;

// The program that events reach; none until the trap is installed.
struct Target {
  JavaVM* vm;
  std::string mainClass;  // in modified UTF-8
};
const Target* target = nullptr;

bool vmReachable() {
  return gate.open();
}

// Attaches the calling thread to the VM while the VM is still there.
JNIEnv* attach() {
  JNIEnv* env = nullptr;
  if (!vmReachable() ||
      target->vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) < 0) {
    return nullptr;
  }
  return vmReachable() ? env : nullptr;
}

// Calls the main class's static initiateExit(0) on the calling thread, while
// the primary thread may destroy the VM at any moment: each JNI call starts
// only while the VM is still there. False when the main class has none.
bool requestExit() {
  JNIEnv* env = attach();
  if (!env) return true;
  jclass mainClass = env->FindClass(target->mainClass.c_str());
  if (!vmReachable()) return true;
  jmethodID initiateExit =
      mainClass ? env->GetStaticMethodID(mainClass, "initiateExit", "(I)V") : nullptr;
  if (!vmReachable()) return true;
  if (initiateExit) {
    env->CallStaticVoidMethod(mainClass, initiateExit, 0);
  } else if (env->ExceptionOccurred() && vmReachable()) {
    env->ExceptionDescribe();
  }
  if (vmReachable()) target->vm->DetachCurrentThread();
  return initiateExit != nullptr;
}

// Ends the program through System.exit(status) on the calling thread.
void exitVm(int status) {
  JNIEnv* env = attach();
  if (!env) return;
  jclass system = env->FindClass("java/lang/System");
  if (!vmReachable()) return;
  jmethodID exit = system ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
  if (exit && vmReachable()) env->CallStaticVoidMethod(system, exit, status);
  if (vmReachable()) target->vm->DetachCurrentThread();
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
      if (target && gate.enter()) {
        exitVm(status);
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
      if (target && gate.enter()) {
        const bool initiateExitCalled = requestExit();
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

bool trapConsoleEvents(JavaVM* vm, const std::string& mainClass) {
  target = new Target{vm, toModifiedUtf8(mainClass)};
  return platform::installConsoleHandler(consoleCtrlHandler);
}

bool shutOffConsoleControl() {
  return gate.shut();
}

}  // namespace murvo
