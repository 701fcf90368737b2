#include "launcher/LaunchDriver.h"

#include "discovery/JvmLocator.h"
#include "launcher/JvmLauncher.h"
#include "platform/ExecutablePath.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"
#include "runnable-jar/JarFile.h"
#include "startup-cache/ArchiveMaker.h"

namespace murvo {

int launcherMain(int argc, char** argv) {
  // A copy that makes a start-up cache archive runs no program.
  const auto jarEntry = [](const std::string& path,
                           const std::string& name) -> std::optional<std::string> {
    JarEntry entry = readJarEntry(path, name);
    if (entry.outcome != JarEntry::Outcome::found) return std::nullopt;
    return std::move(entry.text);
  };
  if (const std::optional<int> status = doArchiveWork(jarEntry)) return *status;
  return guardWithoutDetail([&] {
    LaunchProperties launchCopy = *createLaunchProperties(argc, argv);
    const int status = launchProgram(launchCopy);
    if (tracing()) trace("exit status " + std::to_string(status));
    return status;
  });
}

LaunchProperties* createLaunchProperties(int argc, char** argv) {
  return guardWithoutDetail([&] {
    auto* properties = new LaunchProperties();
    properties->useJavaLookup(discoveryLookup());
    properties->setExePath(platform::executablePath());
    if (tracing()) trace("executable: " + properties->getExePath());
    for (int i = 1; i < argc; ++i) properties->addProgramArg(argv[i]);
    properties->loadProperties();
    return properties;
  });
}

int launchProgram(LaunchProperties& properties) {
  return guardWithoutDetail([&] { return JvmLauncher(properties).run(); });
}

}  // namespace murvo
