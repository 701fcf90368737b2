#pragma once

#include <cstdint>

namespace murvo {

// The console control handler: Ctrl+C, Ctrl+Break, console close and
// shutdown ask the running Java program to exit; logoff is swallowed.
// Returns non-zero when the event counts as handled.
int consoleCtrlHandler(std::uint32_t event);

// Called once the VM has been destroyed: no handler call reaches the VM
// afterwards, and any call still inside it has finished when this returns.
void shutOffConsoleControl();

}  // namespace murvo
