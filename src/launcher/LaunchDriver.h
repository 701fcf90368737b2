#pragma once

#include "config/LaunchProperties.h"

namespace murvo {

// The whole launch: builds the record from the executable's path, the
// program arguments (argv[1] onward) and the .lap file, then runs the Java
// program over a copy of it. Returns the exit status once the program and
// its VM have ended: 0, or 1 when an exception escaped main.
int launcherMain(int argc, char** argv);

// The built record; it lives to the end of the process.
LaunchProperties* createLaunchProperties(int argc, char** argv);

int launchProgram(LaunchProperties& properties);

}  // namespace murvo
