// Reads arbitrary bytes as a class file, as the start-up cache's maker reads
// those of jars it did not make. The reader must never read out of bounds,
// and every name it gives must be one that the bytes hold.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "startup-cache/ClassFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<murvo::ClassHierarchy> hierarchy = murvo::classHierarchy(bytes);
  if (!hierarchy) return 0;
  murvo::fuzz::require(bytes.find(hierarchy->name) != std::string_view::npos &&
                           bytes.find(hierarchy->super) != std::string_view::npos,
                       "the class's names are the file's own");
  for (const std::string& interface : hierarchy->interfaces) {
    murvo::fuzz::require(bytes.find(interface) != std::string_view::npos,
                         "the interfaces' names are the file's own");
  }
  return 0;
}
