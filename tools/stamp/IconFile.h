// An .ico file: the images it holds, each with its directory entry, as the
// icon resources of an executable carry them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace murvo::stamp {

struct IconImage {
  // The directory entry's first 8 bytes: width, height, colour count,
  // reserved, planes, bits per pixel, as the group resource repeats them.
  std::string entry;
  std::string data;  // a bitmap (header and pixels) or a PNG file
};

class IconFile {
 public:
  // Throws StampError naming `name` when `bytes` are not an .ico file.
  IconFile(std::string_view bytes, const std::string& name);

  const std::vector<IconImage>& images() const { return imageList; }
  // The icon group resource that lists the images as icons firstId,
  // firstId + 1, ...
  std::string groupResource(std::uint16_t firstId) const;

 private:
  std::vector<IconImage> imageList;
};

}  // namespace murvo::stamp
