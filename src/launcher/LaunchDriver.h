#pragma once

#include "config/LaunchProperties.h"

namespace murvo {

// The whole launch: builds the record from the executable's path, the
// program arguments (argv[1] onward) and the .lap file, then runs the Java
// program over a copy of it. Returns 0 once the program and its VM have ended.
int launcherMain(int argc, char** argv);

// The built record; it lives to the end of the process.
LaunchProperties* createLaunchProperties(int argc, char** argv);

void launchProgram(LaunchProperties& properties);

}  // namespace murvo
