#include "platform/ConsoleControl.h"

#include <windows.h>

namespace murvo::platform {

namespace {

ConsoleHandler installed = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
  return installed(event);
}

}  // namespace

bool installConsoleHandler(ConsoleHandler handler) {
  installed = handler;
  return SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
}

}  // namespace murvo::platform
