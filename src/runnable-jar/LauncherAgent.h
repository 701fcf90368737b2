#pragma once

#include <jni.h>

#include <string>

#include "config/LaunchProperties.h"
#include "runnable-jar/JarManifest.h"

namespace murvo {

// The agent that a runnable jar's Launcher-Agent-Class names, started as
// `java -jar` starts it: its agentmain(String, Instrumentation) runs once the
// VM is created, before the main class is loaded. The Java home's
// instrumentation library starts the agent that a jar's Agent-Class names; the
// launcher hands it a jar of a manifest alone that names the class and the
// capabilities the runnable jar asks for. The class itself is found on the
// class path, in the runnable jar.
class LauncherAgent {
 public:
  LauncherAgent() = default;
  // The agent of the manifest of `jar`; none on Java 8, which knows no such
  // attribute. `javaFeature`: the feature release of the Java (0: not known).
  LauncherAgent(const JarManifest& manifest, std::string jar, int javaFeature);

  // Java 21 and later warn when an agent starts in a running VM, which
  // `java -jar` does not for this one.
  void addOptions(LaunchProperties& properties) const;
  // Starts the agent in the VM of the JVM library at `jvmPath`. A Java
  // without the instrumentation library, or an agent that fails, ends the
  // launch.
  void start(JavaVM* vm, const std::string& jvmPath) const;

 private:
  std::string agentClass;  // empty: no agent
  std::string jar;
  std::string manifest;  // of the jar handed to the instrumentation library
  int javaFeature = 0;
};

}  // namespace murvo
