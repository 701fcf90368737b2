#pragma once

namespace murvo::platform {

// Ends the process through the runtime's ordinary exit path.
[[noreturn]] void endProcess(int status);

}  // namespace murvo::platform
