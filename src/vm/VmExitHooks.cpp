#include "vm/VmExitHooks.h"

#include <algorithm>
#include <atomic>

#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"

namespace murvo {

namespace {

std::atomic<bool> vmBeingCreated{false};

// The status with which a VM ends on Ctrl+C, closing the console or a
// shutdown (on POSIX 128 and SIGINT, SIGHUP or SIGTERM): the user ended it.
bool endedByInterrupt(jint status) {
  return status == 128 + 2 || status == 128 + 1 || status == 128 + 15;
}

}  // namespace

void addVmExitHooks(JavaVMInitArgs& args) {
  // The array lives to the end of the process, as the one it replaces would.
  auto* options = new JavaVMOption[args.nOptions + 2];
  std::copy(args.options, args.options + args.nOptions, options);
  options[args.nOptions] = {const_cast<char*>("exit"), reinterpret_cast<void*>(vmExitHook)};
  options[args.nOptions + 1] = {const_cast<char*>("abort"), reinterpret_cast<void*>(vmAbortHook)};
  delete[] args.options;
  args.options = options;
  args.nOptions += 2;
}

void setVmBeingCreated(bool creating) {
  vmBeingCreated = creating;
}

bool isVmBeingCreated() {
  return vmBeingCreated;
}

void JNICALL vmExitHook(jint status) {
  if (tracing()) trace("the VM ends the process: exit status " + std::to_string(status));
  if (vmBeingCreated && status != 0 && !endedByInterrupt(status)) {
    fatalError("Cannot create Java VM");
  }
}

void JNICALL vmAbortHook() {
  if (tracing()) trace("the VM aborts");
  if (vmBeingCreated) fatalError("Cannot create Java VM");
}

}  // namespace murvo
