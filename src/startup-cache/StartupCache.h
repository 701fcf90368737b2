// The start-up cache (murvo.startup.cache): an archive of the classes that
// the program loads, made by the JVM from the program's first start and
// mapped at every later one. Whatever befalls the cache folder, the program
// behaves as it does without the cache; only its start is faster.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

#include "config/LaunchProperties.h"

namespace murvo {

class StartupCache {
 public:
  // Works out what the cache does for this launch, and traces it: use the
  // archive made for it, record the classes it loads, or nothing.
  StartupCache(LaunchProperties& properties, const std::string& jvmPath);
  virtual ~StartupCache() = default;

  // Puts the options that use the archive or record the classes before the
  // launch's own, so that the .lap's options have the last word.
  void addOptions(JavaVMInitArgs& args);
  // Once the VM exists: an archive that the JVM did not map is removed, and
  // a recording launch starts the maker of its archive, which waits for this
  // process to end.
  void afterVmCreated(JNIEnv* env);

 private:
  struct Launch;
  void plan(LaunchProperties& properties, const std::string& jvmPath);
  // True when the archive made for the launch is there and still the file
  // its maker sealed; anything else of that name is removed.
  bool archiveIntact(const std::string& base);
  // True when a mark says that the JVM could not make this launch's archive.
  bool failureStands(const std::string& base);
  void record(const Launch& launch, const std::string& folder, const std::string& base);

  std::vector<std::string> options;
  std::string jobFile;  // the job of a recording launch
};

}  // namespace murvo
