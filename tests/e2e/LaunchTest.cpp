// Starting the launcher as a user would, before any JVM is involved.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

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

// The .lap follows the running executable's path: also when the executable
// was deleted after its start, and for a file that is really named so.
TEST(Launch, LapFileOfAnExecutableDeletedWhileItRunsIsItsOwn) {
  const std::vector<std::string> deleteThenRun = {
      "sh", "-c", "exec 3<\"$0\" && rm \"$0\" && exec /proc/self/fd/3 \"$@\""};
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"app", deleteThenRun}, {"app (deleted)", {}}, {"app (deleted)", deleteThenRun}};
  for (const auto& [name, runner] : cases) {
    SCOPED_TRACE(name + (runner.empty() ? "" : ", deleted"));
    LauncherFolder app(name, MURVO_LAUNCHER, runner);
    app.writeLap(realJdkLap("demo.Probe"));
    const RunResult result = app.run();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "no command\n");
  }
}

// Without /proc the executable's path cannot be found: the launcher fails
// before it reads any file, and never takes a .lap from the current directory.
TEST(Launch, WithoutTheExecutablesPathNoLapIsRead) {
#ifdef MURVO_SANITIZED
  GTEST_SKIP() << "the sanitizers' runtime reads its options and threads from /proc";
#endif
  if (geteuid() != 0 || std::system("unshare -m true 2>/dev/null") != 0) {
    GTEST_SKIP() << "needs root and mount namespaces";
  }
  LauncherFolder app(
      "app", MURVO_LAUNCHER,
      {"unshare", "-m", "sh", "-c", "mount -t tmpfs none /proc && exec \"$0\" \"$@\""});
  for (const char* planted : {".lap", "app.lap"}) app.writeFile(planted, realJdkLap("demo.Probe"));
  const RunResult result = app.run();
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Error in Java launcher. Error getting configuration file name.\n");
  EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace murvo::e2e
