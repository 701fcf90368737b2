// What the fuzz targets share: the check of a property; for the
// configuration targets, a reported failure that returns to the harness, an
// environment of known variables only, and an in-memory registry that names
// one plausible Java installation of each kind.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/MemoryRegistry.h"
#include "reporting/ErrorReporter.h"

namespace murvo::fuzz {

// Ends the input as a finding, naming the property that did not hold.
inline void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property failed: %s\n", property);
  std::abort();
}

inline const std::string javaVersion = "17.0.15";
inline const std::string javaHome = "/usr/lib/jvm/java-17-openjdk-amd64";

inline void setUpProcess() {
  reportFailuresByThrowing(true);
  // Every value a reference can take holds no "$", "{" or "}" and is not
  // empty, so that no reference forms anew across an inserted value: a
  // resolved text holds a reference only where the input left one unclosed.
  clearenv();
  setenv("HOME", "/home/fuzz", 1);
  setenv("APP_OPTS", "-Xmx64m -Dx=y", 1);
}

// The registry for one input. A registry of its own for each input, since it
// keeps what was opened: memory that outlived the input would make libFuzzer
// run a leak check after every input.
class JavaRegistry {
 public:
  JavaRegistry() {
    for (const char* bundle : {"Java Runtime Environment", "Java Development Kit"}) {
      const std::string key = std::string("SOFTWARE\\JavaSoft\\") + bundle;
      memory.setValue(key, "CurrentVersion", javaVersion);
      memory.setValue(key + "\\" + javaVersion, "JavaHome", javaHome);
      memory.setValue(key + "\\" + javaVersion, "RuntimeLib", javaHome + "/lib/server/libjvm.so");
    }
    platform::useRegistry(&memory);
  }
  ~JavaRegistry() { platform::useRegistry(nullptr); }

 private:
  platform::MemoryRegistry memory;
};

// A reported failure must be one that the input can cause; any other
// message names the wrong cause.
inline void expectMessage(const FailureReported& failure,
                          std::initializer_list<std::string> allowed) {
  for (const std::string& prefix : allowed) {
    if (failure.message.starts_with(genericErrorText + " " + prefix)) return;
  }
  std::fprintf(stderr, "unexpected failure: %s\n", failure.message.c_str());
  std::abort();
}

}  // namespace murvo::fuzz
