// The launcher's single way of failing: one message that begins with
// genericErrorText, then the end of the process with status 1.
#pragma once

#include <string>

namespace murvo {

// A failure with something specific to say travels as a plain text value.
using LauncherError = std::string;

extern const std::string genericErrorText;

void showErrorMessage(const std::string& text);

[[noreturn]] void fatalError(const std::string& detail);
[[noreturn]] void fatalError();
// A failure whose message names a page (an https:// address) where the user
// can set it right: a message box also offers to open it.
[[noreturn]] void fatalErrorOffering(const std::string& detail, const std::string& address);

// From now on, a failure is also shown in a dialog of the user's desktop,
// titled `title`, when standard error is no terminal and a display is set
// (a desktop program started from a menu); an empty title: never.
void showFailuresOnDesktop(const std::string& title);

// Runs `hook` once a failure is reported, before its message is shown (the
// splash screen closes so that it hides no message box; the start-up cache
// removes what the launch had begun). Each hook is added once; hooks run in
// the order they were added.
void beforeFailureMessage(void (*hook)());

// Writes what explains a failure (the system's reason) as a line on standard
// error, before the message that reports the failure; the message stays as it is.
void explainFailure(const std::string& reason);

// Thrown by fatalError instead of ending the process once a harness (the
// fuzz targets) has asked for it, so that one input's reported failure
// returns to the harness. Guards let it pass, so only the first report counts.
struct FailureReported {
  std::string message;
};
void reportFailuresByThrowing(bool enabled);

// The guards of the error convention: the innermost guard that a failure
// reaches reports it, and a report never reaches an outer guard.

// Any failure is reported with the operation's fixed context message.
template <typename Body>
auto guard(const char* context, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const FailureReported&) {
    throw;
  } catch (...) {
    fatalError(context);
  }
}

// A LauncherError is reported with its own text, anything else with the
// operation's context message.
template <typename Body>
auto guardOwnText(const char* context, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const FailureReported&) {
    throw;
  } catch (const LauncherError& error) {
    fatalError(error);
  } catch (...) {
    fatalError(context);
  }
}

// Any failure is reported with the generic text alone.
template <typename Body>
auto guardWithoutDetail(Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const FailureReported&) {
    throw;
  } catch (...) {
    fatalError();
  }
}

}  // namespace murvo
