#include "platform/Registry.h"

namespace murvo::platform {

namespace {

Registry* replacement = nullptr;

}  // namespace

Registry* registry() {
  return replacement ? replacement : systemRegistry();
}

void useRegistry(Registry* registry) {
  replacement = registry;
}

}  // namespace murvo::platform
