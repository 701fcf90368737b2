// The process's end, which the C runtime offers alike everywhere.
#include <cstdlib>

#include "platform/ProcessExit.h"

namespace murvo::platform {

void endProcess(int status) {
  std::exit(status);
}

void endProcessAtOnce(int status) {
  std::_Exit(status);
}

}  // namespace murvo::platform
