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
  if (--callsInside == 0) left.notify_all();
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

bool VmGate::shutAndDrain(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex);
  isShut = true;
  return left.wait_for(lock, limit, [&] { return callsInside == 0; });
}

}  // namespace murvo
