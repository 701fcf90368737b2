#include "startup-cache/ClassFile.h"

#include <cstdint>

namespace murvo {

namespace {

// Big-endian reads that fail past the end of the bytes.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes(bytes) {}
  std::optional<std::uint32_t> number(int width) {
    if (bytes.size() - at < static_cast<std::size_t>(width)) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at++]);
    return value;
  }
  std::optional<std::string_view> text(std::size_t length) {
    if (bytes.size() - at < length) return std::nullopt;
    at += length;
    return bytes.substr(at - length, length);
  }
  bool skip(std::size_t length) { return text(length).has_value(); }

 private:
  std::string_view bytes;
  std::size_t at = 0;
};

constexpr std::uint32_t magic = 0xcafebabe;

// The size of a constant pool entry after its tag; 0 for a tag the class
// file format does not know.
std::size_t entrySize(std::uint32_t tag) {
  switch (tag) {
    case 7:
    case 8:
    case 16:
    case 19:
    case 20:
      return 2;  // class, string, method type, module, package
    case 15:
      return 3;  // method handle
    case 3:
    case 4:
    case 9:
    case 10:
    case 11:
    case 12:
    case 17:
    case 18:
      return 4;
    case 5:
    case 6:
      return 8;  // long, double
    default:
      return 0;
  }
}

}  // namespace

std::optional<ClassHierarchy> classHierarchy(std::string_view classFile) {
  Reader read(classFile);
  if (read.number(4) != magic || !read.skip(4)) return std::nullopt;
  const std::optional<std::uint32_t> count = read.number(2);
  if (!count) return std::nullopt;
  // For each entry: the text of a UTF-8 one, the name's index of a class one.
  std::vector<std::optional<std::string_view>> texts(*count);
  std::vector<std::uint32_t> classNames(*count, 0);
  for (std::uint32_t index = 1; index < *count; ++index) {
    const std::optional<std::uint32_t> tag = read.number(1);
    if (!tag) return std::nullopt;
    if (*tag == 1) {
      const std::optional<std::uint32_t> length = read.number(2);
      texts[index] = length ? read.text(*length) : std::nullopt;
      if (!texts[index]) return std::nullopt;
    } else if (*tag == 7) {
      const std::optional<std::uint32_t> name = read.number(2);
      if (!name) return std::nullopt;
      classNames[index] = *name;
    } else {
      const std::size_t size = entrySize(*tag);
      if (size == 0 || !read.skip(size)) return std::nullopt;
      if (*tag == 5 || *tag == 6) ++index;  // takes two entries
    }
  }
  const auto className = [&](std::optional<std::uint32_t> index) -> std::optional<std::string> {
    if (!index || *index == 0 || *index >= *count) return std::nullopt;
    const std::uint32_t name = classNames[*index];
    if (name == 0 || name >= *count || !texts[name]) return std::nullopt;
    return std::string(*texts[name]);
  };
  if (!read.skip(2)) return std::nullopt;  // access flags
  ClassHierarchy hierarchy;
  const std::optional<std::string> name = className(read.number(2));
  const std::optional<std::string> super = className(read.number(2));
  const std::optional<std::uint32_t> interfaces = read.number(2);
  if (!name || !super || !interfaces) return std::nullopt;
  hierarchy.name = *name;
  hierarchy.super = *super;
  for (std::uint32_t i = 0; i < *interfaces; ++i) {
    const std::optional<std::string> interface = className(read.number(2));
    if (!interface) return std::nullopt;
    hierarchy.interfaces.push_back(*interface);
  }
  return hierarchy;
}

}  // namespace murvo
