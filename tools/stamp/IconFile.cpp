#include "IconFile.h"

#include "ByteReader.h"

namespace murvo::stamp {

namespace {

constexpr std::size_t directorySize = 6;
constexpr std::size_t fileEntrySize = 16;

// An image is a PNG file or a bitmap that starts with its info header (of
// the 40-byte form or a later, longer one).
bool isImage(std::string_view data) {
  if (data.starts_with("\x89PNG\r\n\x1A\n")) return true;
  if (data.size() < 40) return false;
  const std::uint32_t headerSize = ByteReader(data, "").u32(0);
  return headerSize == 40 || headerSize == 108 || headerSize == 124;
}

}  // namespace

IconFile::IconFile(std::string_view bytes, const std::string& name) {
  const std::string notIcon = name + " is not an .ico file";
  const ByteReader in(bytes, notIcon);
  const std::uint16_t count = in.u16(4);
  if (in.u16(0) != 0 || in.u16(2) != 1 || count == 0) throw StampError(notIcon);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = directorySize + i * fileEntrySize;
    IconImage image{std::string(in.slice(at, 8)),
                    std::string(in.slice(in.u32(at + 12), in.u32(at + 8)))};
    if (!isImage(image.data)) throw StampError(notIcon);
    imageList.push_back(std::move(image));
  }
}

std::string IconFile::groupResource(std::uint16_t firstId) const {
  std::string out;
  put16(out, 0);
  put16(out, 1);
  put16(out, static_cast<std::uint32_t>(imageList.size()));
  for (std::size_t i = 0; i < imageList.size(); ++i) {
    out += imageList[i].entry;
    put32(out, static_cast<std::uint32_t>(imageList[i].data.size()));
    put16(out, static_cast<std::uint32_t>(firstId + i));
  }
  return out;
}

}  // namespace murvo::stamp
