#pragma once

#include <cstdint>

namespace murvo {

// The console control handler: Ctrl+C, Ctrl+Break, console close and
// shutdown ask the running Java program to exit; logoff is swallowed.
// Returns non-zero when the event counts as handled.
int consoleCtrlHandler(std::uint32_t event);

// Tested by a handler call before each of its JNI calls: false once the VM
// has been destroyed.
bool vmReachable();

// Called once the VM has been destroyed: no handler call makes a JNI call
// afterwards. A call already inside the VM is not waited for, since one that
// attaches to or exits a VM that shuts down may never return. True when no
// call is inside, so that the library may be released.
bool shutOffConsoleControl();

}  // namespace murvo
