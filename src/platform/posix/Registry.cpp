// POSIX systems have no registry: discovery finds Java installations in
// folders, and makes a registry of its own from them.
#include "platform/Registry.h"

namespace murvo::platform {

Registry* systemRegistry() {
  return nullptr;
}

}  // namespace murvo::platform
