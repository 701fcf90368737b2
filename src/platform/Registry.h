// Read access to the registry of installed Java runtimes under the
// local-machine root: Windows' own registry there, a registry synthesised
// from the Java installations of the machine on POSIX.
#pragma once

#include <cstddef>
#include <string>

namespace murvo::platform {

using RegistryKey = void*;

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens a key for reading; false when it does not exist or cannot be read.
  virtual bool openKey(const std::string& path, RegistryKey& key) = 0;
  // Reads a string value into `buffer` of `size` bytes; on success `size`
  // becomes the number of bytes written (the terminating zero included).
  // Fails when the value is missing or does not fit.
  virtual bool readString(RegistryKey key, const std::string& valueName, char* buffer,
                          std::size_t& size) = 0;
  virtual void closeKey(RegistryKey key) = 0;
};

// The registry the launcher reads: the system's unless a replacement is in use.
Registry& registry();
// Windows' own registry, or the POSIX synthetic one.
Registry& systemRegistry();
// Puts a replacement (tests) in place of the system's registry; null restores it.
void useRegistry(Registry* replacement);

}  // namespace murvo::platform
