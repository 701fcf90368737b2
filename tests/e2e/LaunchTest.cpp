// Starting the launcher as a user would, before any JVM is involved.
#include <gtest/gtest.h>

#include "Harness.h"

namespace murvo::e2e {
namespace {

TEST(Launch, MissingLapFileIsReportedWithItsFullPath) {
  for (const char* name : {"app", "tool.exe", "Tool.EXE", "my.tool"}) {
    LauncherFolder app(name);
    RunResult result = app.run({"x"});
    std::string lap = app.exePath();
    if (lap.size() > 4 && (lap.ends_with(".exe") || lap.ends_with(".EXE")))
      lap.resize(lap.size() - 4);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error in Java launcher. Could not open file " + lap + ".lap\n");
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace murvo::e2e
