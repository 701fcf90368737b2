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

// Whether the system ends the process by itself once the handler has
// returned from the event: on Windows for closing the console, logoff and
// shutdown; on POSIX never (SIGHUP and SIGTERM are trapped whole).
bool systemEndsProcessAfter(std::uint32_t event);

// The exit status of a program that the event ends: 128 and the signal's
// number on POSIX, as the JVM gives it (129 for SIGHUP, 143 for SIGTERM).
int endStatusOf(std::uint32_t event);

// Installs the handler for the rest of the process; false when the system
// refuses. The handler is called on a thread other than the one that
// installed it, and taking an event never blocks the thread it interrupts.
bool installConsoleHandler(ConsoleHandler handler);

}  // namespace murvo::platform
