#include "runnable-jar/LauncherAgent.h"

#include <zlib.h>

#include <cstdio>
#include <optional>

#include "config/TextRoutines.h"
#include "discovery/JvmLibraryLayout.h"
#include "platform/DynamicLibrary.h"
#include "platform/PathText.h"
#include "platform/PrivateFile.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"
#include "runnable-jar/JarFile.h"

namespace murvo {

namespace {

// The capabilities an agent's jar asks the instrumentation library for.
constexpr const char* capabilities[] = {"Can-Redefine-Classes", "Can-Retransform-Classes",
                                        "Can-Set-Native-Method-Prefix"};

// A manifest header, in lines of at most 72 bytes, each continued by a space.
void addHeader(std::string& manifest, const std::string& name, const std::string& value) {
  const std::string line = name + ": " + value;
  manifest += line.substr(0, 72);
  for (std::size_t at = 72; at < line.size(); at += 71) manifest += "\r\n " + line.substr(at, 71);
  manifest += "\r\n";
}

using AgentOnAttach = jint(JNICALL*)(JavaVM* vm, char* options, void* reserved);

AgentOnAttach findAgentEntry(const std::string& jvmPath) {
  const std::optional<std::string> home = homeOfJvmLibrary(jvmPath);
  if (!home) return nullptr;
  void* library = platform::loadLibrary(*home + platform::instrumentLibraryPiece);
  return library ? reinterpret_cast<AgentOnAttach>(platform::findSymbol(library, "Agent_OnAttach"))
                 : nullptr;
}

}  // namespace

LauncherAgent::LauncherAgent(const JarManifest& jarManifest, std::string jar, int javaFeature)
    : jar(std::move(jar)), javaFeature(javaFeature) {
  std::optional<std::string> named = jarManifest.attribute("Launcher-Agent-Class");
  if (!named || (javaFeature != 0 && javaFeature < 9)) return;
  trim(*named);
  if (named->empty()) return;
  agentClass = *named;
  manifest = "Manifest-Version: 1.0\r\n";
  addHeader(manifest, "Agent-Class", agentClass);
  for (const char* capability : capabilities) {
    if (std::optional<std::string> value = jarManifest.attribute(capability)) {
      trim(*value);
      addHeader(manifest, capability, *value);
    }
  }
  manifest += "\r\n";
}

void LauncherAgent::addOptions(LaunchProperties& properties) const {
  if (!agentClass.empty() && javaFeature >= 21) {
    properties.addJvmOption("-XX:+EnableDynamicAgentLoading");
  }
}

void LauncherAgent::start(JavaVM* vm, const std::string& jvmPath) const {
  if (agentClass.empty()) return;
  const AgentOnAttach onAttach = findAgentEntry(jvmPath);
  if (!onAttach) {
    throw LauncherError("the Java of " + jvmPath +
                        " has no instrumentation library to start the Launcher-Agent-Class of " +
                        jar);
  }
  const std::string agentJar = manifestOnlyJar(manifest);
  char name[32];
  std::snprintf(name, sizeof name, "murvo-agent-%08lx.jar",
                crc32(0, reinterpret_cast<const Bytef*>(agentJar.data()),
                      static_cast<uInt>(agentJar.size())));
  const std::optional<std::string> path = platform::privateFile(name, agentJar);
  if (!path) throw LauncherError("cannot hand over the Launcher-Agent-Class of " + jar);
  if (tracing()) trace("launcher agent " + agentClass + " through " + *path);
  // After '=' the agent's argument: empty, as with java -jar.
  std::string options = *path + "=";
  if (onAttach(vm, options.data(), nullptr) != JNI_OK) {
    throw LauncherError("error loading java agent in " + jar);
  }
}

}  // namespace murvo
