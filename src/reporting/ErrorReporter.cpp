#include "reporting/ErrorReporter.h"

#include "platform/MessageDisplay.h"
#include "platform/ProcessExit.h"
#include "reporting/Trace.h"

namespace murvo {

const std::string genericErrorText = "Error in Java launcher.";

namespace {

bool throwInsteadOfExit = false;
// Room for the hooks of every capability; fixed, so that registering never
// allocates and a failure never meets a list being changed.
constexpr int maxFailureHooks = 4;
void (*failureHooks[maxFailureHooks])() = {};

[[noreturn]] void reportAndEnd(const char* detail) {
  // Building or showing the message may itself fail (memory, display); the
  // process must still end with status 1.
  std::string message;
  try {
    message = genericErrorText;
    if (detail) {
      message += ' ';
      message += detail;
    }
    if (throwInsteadOfExit) throw FailureReported{message};
    if (tracing()) trace("failure: " + message + "; exit status 1");
    for (void (*hook)() : failureHooks) {
      if (hook) hook();
    }
    showErrorMessage(message);
  } catch (const FailureReported&) {
    throw;
  } catch (...) {
  }
  platform::endProcess(1);
}

}  // namespace

void showErrorMessage(const std::string& text) {
  platform::showMessage(text);
}

void fatalError(const std::string& detail) {
  reportAndEnd(detail.c_str());
}

void fatalError() {
  reportAndEnd(nullptr);
}

void beforeFailureMessage(void (*hook)()) {
  for (void (*&slot)() : failureHooks) {
    if (!slot || slot == hook) {
      slot = hook;
      return;
    }
  }
}

void explainFailure(const std::string& reason) {
  if (tracing()) trace(reason);
  platform::writeErrorLine(reason);
}

void reportFailuresByThrowing(bool enabled) {
  throwInsteadOfExit = enabled;
}

}  // namespace murvo
