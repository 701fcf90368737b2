#pragma once

#include <vector>

#include "discovery/JavaInstallation.h"
#include "platform/MemoryRegistry.h"

namespace murvo {

// The registry of a machine without one, made from its Java installations
// with the key paths and value names that Java 8's installers write on
// Windows, so that the lookup of the current Java reads it alike:
// "SOFTWARE\JavaSoft\Java Runtime Environment" holds every installation,
// "...\Java Development Kit" the development kits, each as <key>\<version>
// with JavaHome and RuntimeLib; CurrentVersion names the first installation
// found through JAVA_HOME or PATH, else the highest version.
class SyntheticRegistry : public platform::MemoryRegistry {
 public:
  explicit SyntheticRegistry(const std::vector<JavaInstallation>& installations);

 private:
  void publish(const std::string& key, const std::vector<JavaInstallation>& installations,
               bool kitsOnly);
};

// The registry that the lookup of the current Java reads: the system's (or
// a replacement), else the synthetic one of this machine, made on first use.
platform::Registry& lookupRegistry();

}  // namespace murvo
