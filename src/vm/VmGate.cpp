#include "vm/VmGate.h"

namespace murvo {

bool VmGate::enter() {
  std::lock_guard lock(mutex);
  if (isShut) return false;
  ++callsInside;
  return true;
}

void VmGate::leave() {
  std::lock_guard lock(mutex);
  --callsInside;
}

bool VmGate::open() {
  std::lock_guard lock(mutex);
  return !isShut;
}

bool VmGate::shut() {
  std::lock_guard lock(mutex);
  isShut = true;
  return callsInside == 0;
}

}  // namespace murvo
