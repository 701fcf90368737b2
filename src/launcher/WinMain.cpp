// The Windows GUI entry: the runtime hands over the command-line text after
// the program's name, which CommandLine splits by the launcher's own rules.
#include <cstdlib>

#include "launcher/CommandLine.h"
#include "launcher/ErrorReporter.h"
#include "launcher/LaunchDriver.h"

extern "C" int __stdcall WinMain(void*, void*, char* commandLineText, int) {
  return murvo::guardWithoutDetail([&] {
    murvo::CommandLine commandLine(commandLineText, __argv[0]);
    return murvo::launcherMain(commandLine.getArgc(), commandLine.getArgv());
  });
}
