#pragma once

namespace murvo::platform {

// Ends the process through the runtime's ordinary exit path.
[[noreturn]] void endProcess(int status);

// Ends the process at once, running nothing more of it: for a process that
// does not end by the ordinary path.
[[noreturn]] void endProcessAtOnce(int status);

}  // namespace murvo::platform
