#include "platform/ConsoleControl.h"

#include <windows.h>

namespace murvo::platform {

namespace {

ConsoleHandler installed = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
  return installed(event);
}

}  // namespace

bool systemEndsProcessAfter(std::uint32_t event) {
  return event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

int endStatusOf(std::uint32_t) {
  // The status Windows gives a process that a console event ends.
  return static_cast<int>(STATUS_CONTROL_C_EXIT);
}

bool installConsoleHandler(ConsoleHandler handler) {
  installed = handler;
  return SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
}

}  // namespace murvo::platform
