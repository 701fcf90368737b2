#pragma once

#include <cstdint>

namespace murvo::platform {

// Console control events, numbered as Windows numbers them. On POSIX,
// SIGINT arrives as ctrlC, SIGHUP as ctrlClose and SIGTERM as ctrlShutdown.
enum ConsoleEvent : std::uint32_t {
  ctrlC = 0,
  ctrlBreak = 1,
  ctrlClose = 2,
  ctrlLogoff = 5,
  ctrlShutdown = 6,
};

// Returns non-zero when the event counts as handled.
using ConsoleHandler = int (*)(std::uint32_t event);

// Installs the handler; false when the system refuses. The handler is called
// on a thread other than the one that installed it.
bool installConsoleHandler(ConsoleHandler handler);
// Removes the handler again: no new call of it starts afterwards. Does
// nothing when none is installed.
void removeConsoleHandler(ConsoleHandler handler);

}  // namespace murvo::platform
