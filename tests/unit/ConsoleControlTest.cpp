#include <gtest/gtest.h>

#include "jvm/ConsoleControl.h"
#include "jvm/JvmLauncher.h"

namespace murvo {

TEST(ConsoleControl, HandledEventsAreTheExitEventsAndLogoff) {
  // No launcher is active: the exit events are still handled, and nothing
  // reaches a VM.
  activeLauncher = nullptr;
  const std::pair<std::uint32_t, bool> cases[] = {
      {0, true},  {1, true},  {2, true},  {6, true},    {5, true},
      {3, false}, {4, false}, {7, false}, {100, false}, {0xFFFFFFFF, false},
  };
  for (auto [event, handled] : cases) {
    SCOPED_TRACE(event);
    EXPECT_EQ(consoleCtrlHandler(event) != 0, handled);
  }
}

}  // namespace murvo
