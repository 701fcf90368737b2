#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "TestSupport.h"
#include "reporting/ErrorReporter.h"

namespace murvo {
namespace {

using test::exactStderr;
using test::launcherMessage;
using testing::ExitedWithCode;

TEST(ErrorReporterDeathTest, FatalErrorShowsOneExactLineAndExitsWithOne) {
  EXPECT_EXIT(fatalError("Cannot find main Java class demo.Main"), ExitedWithCode(1),
              launcherMessage("Cannot find main Java class demo.Main"));
  EXPECT_EXIT(fatalError(), ExitedWithCode(1), exactStderr("Error in Java launcher."));
  EXPECT_EXIT(fatalError(""), ExitedWithCode(1), exactStderr("Error in Java launcher. "));
}

TEST(ErrorReporterDeathTest, TheInnermostGuardReportsAndOnlyGuardOwnTextShowsTheThrownText) {
  const struct {
    const char* what;
    std::function<void()> body;
    std::string message;
  } cases[] = {
      {"own text inside a context guard",
       [] { guard("outer", [] { guardOwnText("inner", [] { throw LauncherError("Why"); }); }); },
       launcherMessage("Why")},
      {"context guard inside an own-text guard",
       [] { guardOwnText("outer", [] { guard("inner", [] { throw LauncherError("Why"); }); }); },
       launcherMessage("inner")},
      {"guard without detail inside a context guard",
       [] { guard("outer", [] { guardWithoutDetail([] { throw std::out_of_range("x"); }); }); },
       launcherMessage()},
      {"other failure at an own-text guard",
       [] { guardOwnText("context", [] { throw std::bad_alloc(); }); }, launcherMessage("context")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EXIT(c.body(), ExitedWithCode(1), c.message);
  }
}

}  // namespace
}  // namespace murvo
