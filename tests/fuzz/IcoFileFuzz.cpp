// Reads arbitrary bytes as an .ico file. Beyond not crashing: an accepted
// file has at least one image, none larger than the input, and the icon
// group resource lists every image with its size and its number; a refusal
// names the file.
#include <cstdint>
#include <string_view>

#include "ByteReader.h"
#include "FuzzSupport.h"
#include "IconFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using murvo::fuzz::require;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const murvo::stamp::IconFile icon(bytes, "input");
    const auto& images = icon.images();
    require(!images.empty(), "an icon holds an image");
    const std::string group = icon.groupResource(7);
    require(group.size() == 6 + 14 * images.size(), "the group has one entry per image");
    const murvo::stamp::ByteReader entries(group, "short group");
    for (std::size_t i = 0; i < images.size(); ++i) {
      require(images[i].data.size() <= size, "an image lies inside the file");
      require(entries.u32(6 + 14 * i + 8) == images[i].data.size(), "the group gives the size");
      require(entries.u16(6 + 14 * i + 12) == 7 + i, "the group numbers the images in order");
    }
  } catch (const murvo::stamp::StampError& error) {
    require(std::string_view(error.what()).starts_with("input "), "a refusal names the file");
  }
  return 0;
}
