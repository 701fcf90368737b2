// Between threads that call into the VM on their own (a console event, a
// later start's hand-over) and the thread that ends it: once the gate is
// shut, no call enters the VM any more.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace murvo {

class VmGate {
 public:
  // True when the caller may call into the VM; it then leaves when done.
  bool enter();
  void leave();
  // True while the gate is open.
  bool open();
  // No call enters from now on. True when no call is inside.
  bool shut();
  // As shut, then waits up to `limit` for the calls inside to leave.
  bool shutAndDrain(std::chrono::milliseconds limit);

 private:
  std::mutex mutex;
  std::condition_variable left;
  bool isShut = false;
  int callsInside = 0;
};

}  // namespace murvo
