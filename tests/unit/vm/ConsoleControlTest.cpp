#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "platform/ConsoleControl.h"
#include "vm/ConsoleControl.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace murvo {

TEST(ConsoleControl, HandledEventsAreTheExitEventsAndLogoff) {
  // No program is trapped: the exit events are still handled, and nothing
  // reaches a VM.
  const std::pair<std::uint32_t, bool> cases[] = {
      {0, true},  {1, true},  {2, true},  {6, true},    {5, true},
      {3, false}, {4, false}, {7, false}, {100, false}, {0xFFFFFFFF, false},
  };
  for (auto [event, handled] : cases) {
    SCOPED_TRACE(event);
    EXPECT_EQ(consoleCtrlHandler(event) != 0, handled);
  }
}

#ifndef _WIN32
namespace {

// A handler whose first call stays busy until released, as a slow
// initiateExit does, and that records the events of the calls after it.
struct BusyHandler {
  std::mutex mutex;
  std::condition_variable changed;
  bool busy = false;
  bool released = false;
  std::set<std::uint32_t> afterRelease;
};
BusyHandler& busyHandler = *new BusyHandler;

int handleSlowly(std::uint32_t event) {
  std::unique_lock lock(busyHandler.mutex);
  if (!busyHandler.busy) {
    busyHandler.busy = true;
    busyHandler.changed.notify_all();
    busyHandler.changed.wait(lock, [] { return busyHandler.released; });
  } else {
    busyHandler.afterRelease.insert(event);
    busyHandler.changed.notify_all();
  }
  return 1;
}

}  // namespace

// Signals by the hundred thousand while the handler is busy block no thread
// that takes one (the child would end by SIGALRM), and each kind still
// reaches the handler once it is free, merged into one call.
TEST(ConsoleControlDeathTest, SignalStormWhileTheHandlerIsBusyBlocksNoThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto storm = [] {
    alarm(30);
    if (!platform::installConsoleHandler(handleSlowly)) std::exit(2);
    raise(SIGINT);
    std::unique_lock lock(busyHandler.mutex);
    busyHandler.changed.wait(lock, [] { return busyHandler.busy; });
    lock.unlock();
    for (int i = 0; i < 100000; ++i) raise(i % 2 == 0 ? SIGINT : SIGTERM);
    lock.lock();
    busyHandler.released = true;
    busyHandler.changed.notify_all();
    const bool bothKinds = busyHandler.changed.wait_for(lock, std::chrono::seconds(10), [] {
      return busyHandler.afterRelease ==
             std::set<std::uint32_t>{platform::ctrlC, platform::ctrlShutdown};
    });
    std::exit(bothKinds ? 0 : 3);
  };
  EXPECT_EXIT(storm(), testing::ExitedWithCode(0), "");
}
#endif

}  // namespace murvo
