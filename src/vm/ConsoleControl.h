#pragma once

#include <jni.h>

#include <cstdint>
#include <string>

namespace murvo {

// Makes console events reach the program of `vm` whose main class (in JNI's
// form) is `mainClass`, and installs the handler for the rest of the
// process; false when the system refuses.
bool trapConsoleEvents(JavaVM* vm, const std::string& mainClass);

// The console control handler: Ctrl+C, Ctrl+Break, console close and
// shutdown ask the running Java program to exit; logoff is swallowed.
// Returns non-zero when the event counts as handled.
int consoleCtrlHandler(std::uint32_t event);

// Called once the VM has been destroyed: no handler call makes a JNI call
// afterwards. A call already inside the VM is not waited for, since one that
// attaches to or exits a VM that shuts down may never return. True when no
// call is inside, so that the library may be released.
bool shutOffConsoleControl();

}  // namespace murvo
