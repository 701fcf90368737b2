// Read access to the registry, where the system has one (Windows). Discovery
// reads the keys that Java installers write; tests put an in-memory registry
// in its place.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace murvo::platform {

using RegistryKey = void*;

enum class RegistryRoot { localMachine, currentUser };

// What kind of data a value holds: text, text with %VARIABLE% references to
// expand, or anything else (a number, binary data).
enum class ValueKind { text, expandableText, other };

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens a key for reading; false when it does not exist or cannot be read.
  virtual bool openKey(RegistryRoot root, const std::string& path, RegistryKey& key) = 0;
  bool openKey(const std::string& path, RegistryKey& key) {
    return openKey(RegistryRoot::localMachine, path, key);
  }
  // Reads a value's data into `buffer` of `size` bytes; on success `size`
  // becomes the number of bytes written (the terminating zero included, when
  // the data has one) and `kind` tells what the data is. Fails when the value
  // is missing or does not fit.
  virtual bool readString(RegistryKey key, const std::string& valueName, char* buffer,
                          std::size_t& size, ValueKind& kind) = 0;
  // The names of the key's sub-keys, in the registry's order.
  virtual std::vector<std::string> listSubKeys(RegistryKey key) = 0;
  virtual void closeKey(RegistryKey key) = 0;
};

// The system's registry; null where the system has none.
Registry* systemRegistry();
// The registry in use: a replacement (tests) when one is set, else the
// system's; null where there is none.
Registry* registry();
// Puts a replacement in place of the system's registry; null restores it.
void useRegistry(Registry* replacement);

}  // namespace murvo::platform
