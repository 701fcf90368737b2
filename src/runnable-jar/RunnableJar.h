#pragma once

#include <string>
#include <vector>

#include "config/LaunchProperties.h"
#include "runnable-jar/LauncherAgent.h"

namespace murvo {

// What `java -jar` takes from a runnable jar's manifest (murvo.jar), applied
// to the launch: the main class unless murvo.main.class names one, the jar and
// its Class-Path libraries first on the class path, and the options of
// Add-Opens, Add-Exports and Enable-Native-Access; the agent of its
// Launcher-Agent-Class is returned, to start once the VM is created. A jar
// that cannot be read, is no zip or names no main class ends the launch with
// a message naming it. `javaFeature` is the feature release of the Java that
// runs (0: not known).
LauncherAgent applyRunnableJar(LaunchProperties& properties, int javaFeature);

// The files a Class-Path value names, relative to the jar's folder `jarFolder`
// (relative URLs: `/` separates, %XX escapes, a trailing `/` names a folder);
// entries with a scheme, and on Windows absolute ones, name no file here.
std::vector<std::string> classPathEntries(const std::string& jarFolder, const std::string& value);

}  // namespace murvo
