// The graphical display, as far as the splash screen needs to know it.
#pragma once

#include <chrono>
#include <string>

namespace murvo::platform {

// True when windows can be shown: on Linux an X display is named (DISPLAY is
// set); always on Windows.
bool hasDisplay();

// Empty when the display answers a connection within `limit`, else why it
// does not. On Linux the X server must start the protocol's connection setup
// in time; on Windows the desktop always answers.
std::string displayFailure(std::chrono::milliseconds limit);

// The factor by which the system scales what programs draw (1.5 at 150 %, 2
// at 200 %); 1 on Linux, where the splash library reads the scale itself.
float displayScale();

// Calls `action` once, on a thread of its own, after `seconds` (never when 0);
// on Windows also as soon as a visible top-level window of this process shows
// that is not the first one (the splash window itself).
void watchSplashWindow(unsigned seconds, void (*action)());

}  // namespace murvo::platform
