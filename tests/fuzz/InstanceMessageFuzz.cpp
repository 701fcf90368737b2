// Decodes arbitrary bytes as a later start's message to the running
// program: nothing but a well-formed message decodes, and one that does is
// the one encoding of what it holds.
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "single-instance/InstanceMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto message = murvo::decodeInstanceMessage(bytes)) {
    murvo::fuzz::require(murvo::encodeInstanceMessage(*message) == bytes,
                         "a decoded message encodes to the same bytes");
  }
  return 0;
}
