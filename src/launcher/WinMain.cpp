// The Windows GUI entry: the command-line text after the program's name is
// split by CommandLine by the launcher's own rules. The text is taken from
// the process's wide command line rather than from the entry's parameter,
// which holds only what the ANSI code page can (see platform/CommandLineText.h).
#include <cstdlib>

#include "launcher/CommandLine.h"
#include "launcher/LaunchDriver.h"
#include "platform/CommandLineText.h"
#include "reporting/ErrorReporter.h"

extern "C" int __stdcall WinMain(void*, void*, char*, int) {
  return murvo::guardWithoutDetail([&] {
    murvo::CommandLine commandLine(murvo::platform::commandLineArguments(), __argv[0]);
    return murvo::launcherMain(commandLine.getArgc(), commandLine.getArgv());
  });
}
