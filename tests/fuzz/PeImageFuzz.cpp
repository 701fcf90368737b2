// Reads arbitrary bytes as an executable to brand and, when it is one,
// writes its copy with a version resource added. Beyond not crashing: the
// copy is accepted again and holds exactly the resources written, every
// section but the resources is kept byte for byte, and the checksum is
// valid when the input had one; a refusal names the input.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "PeImage.h"
#include "StampError.h"
#include "VersionResource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using murvo::fuzz::require;
  using namespace murvo::stamp;
  try {
    const PeImage image(std::string(reinterpret_cast<const char*>(data), size), "input");
    ResourceTree tree = image.resources();
    const VersionResource version{{1, 2, 3, 4}, {{"ProductName", "Caf\xC3\xA9"}}};
    tree.entries()[{{versionType, {}}, {1, {}}, {0x0409, {}}}] = {version.bytes()};
    const PeImage copy(image.withResources(tree), "copy");
    require(copy.resources().entries() == tree.entries(), "the copy holds the resources written");
    require(copy.sections().size() == image.sections().size(), "no section is added or lost");
    for (std::size_t i = 0; i < copy.sections().size(); ++i) {
      const PeSection& before = image.sections()[i];
      const PeSection& after = copy.sections()[i];
      if (&before == &image.resourceSection() || before.rawSize == 0) continue;
      require(copy.bytes().compare(after.rawPointer, after.rawSize, image.bytes(),
                                   before.rawPointer, before.rawSize) == 0,
              "every other section is kept byte for byte");
    }
    require(!image.checkSum() || copy.checkSum() == copy.computedCheckSum(),
            "the checksum is valid");
  } catch (const StampError& error) {
    require(std::string(error.what()).starts_with("input "), "a refusal names the input");
  }
  return 0;
}
