#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "TestSupport.h"
#include "vm/VmExitHooks.h"

namespace murvo {
namespace {

using test::exactStderr;
using test::launcherMessage;
using testing::ExitedWithCode;

// A hook that lets the VM go on returns: the process then ends with 7, silent.
TEST(VmExitHooksDeathTest, OnlyAnEndWhileTheVmIsCreatedIsReported) {
  const struct {
    const char* what;
    bool creating;
    std::function<void()> hook;
    int status;
    std::string err;
  } cases[] = {
      {"abort while created", true, [] { vmAbortHook(); }, 1,
       launcherMessage("Cannot create Java VM")},
      {"exit 2 while created", true, [] { vmExitHook(2); }, 1,
       launcherMessage("Cannot create Java VM")},
      {"exit 0 while created", true, [] { vmExitHook(0); }, 7, exactStderr("")},
      {"Ctrl+C while created", true, [] { vmExitHook(130); }, 7, exactStderr("")},
      {"System.exit(3) of the program", false, [] { vmExitHook(3); }, 7, exactStderr("")},
      {"abort of a running VM", false, [] { vmAbortHook(); }, 7, exactStderr("")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EXIT(
        {
          setVmBeingCreated(c.creating);
          c.hook();
          std::exit(7);
        },
        ExitedWithCode(c.status), c.err);
  }
}

}  // namespace
}  // namespace murvo
