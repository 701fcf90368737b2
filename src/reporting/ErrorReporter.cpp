#include "reporting/ErrorReporter.h"

#include "platform/Environment.h"
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
std::string desktopTitle;
// The explanations of this failure, shown above its message in a dialog.
std::string explained;

// A dialog that nobody answers (a display that hangs) ends the wait; the
// dialog itself stays until it is closed.
constexpr unsigned dialogWaitSeconds = 300;

bool desktopSession() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const std::optional<std::string> value = platform::environmentVariable(variable);
    if (value && !value->empty()) return true;
  }
  return false;
}

void showOnDesktop(const std::string& message) {
  if (desktopTitle.empty()) return;
  if (platform::standardErrorIsTerminal() || !desktopSession()) {
    if (tracing()) trace("desktop dialog: none, standard error is a terminal or no display is set");
    return;
  }
  const std::optional<std::string> shownBy =
      platform::showDesktopDialog(desktopTitle, explained + message, dialogWaitSeconds);
  if (tracing()) {
    trace(shownBy ? "desktop dialog: shown by " + *shownBy
                  : "desktop dialog: none, no zenity, kdialog or xmessage in /usr/bin or /bin");
  }
}

[[noreturn]] void reportAndEnd(const char* detail, const std::string& address = {}) {
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
    if (address.empty()) {
      showErrorMessage(message);
    } else {
      platform::showMessageOffering(message, address);
    }
    showOnDesktop(message);
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

void fatalErrorOffering(const std::string& detail, const std::string& address) {
  reportAndEnd(detail.c_str(), address);
}

void showFailuresOnDesktop(const std::string& title) {
  desktopTitle = title;
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
  if (!desktopTitle.empty()) explained += reason + '\n';
}

void reportFailuresByThrowing(bool enabled) {
  throwInsteadOfExit = enabled;
}

}  // namespace murvo
