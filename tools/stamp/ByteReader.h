// Little-endian fields of a file held in memory, read with bounds checks,
// and the writing counterparts for files being built.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "StampError.h"

namespace murvo::stamp {

class ByteReader {
 public:
  // A read past the end throws StampError(`whenShort`).
  ByteReader(std::string_view bytes, std::string whenShort)
      : bytes(bytes), whenShort(std::move(whenShort)) {}

  std::size_t size() const { return bytes.size(); }
  bool holds(std::uint64_t at, std::uint64_t length) const {
    return at <= bytes.size() && length <= bytes.size() - at;
  }
  std::string_view slice(std::uint64_t at, std::uint64_t length) const {
    if (!holds(at, length)) throw StampError(whenShort);
    return bytes.substr(at, length);
  }
  std::uint16_t u16(std::uint64_t at) const {
    const std::string_view field = slice(at, 2);
    return static_cast<std::uint16_t>(byte(field, 0) | byte(field, 1) << 8);
  }
  std::uint32_t u32(std::uint64_t at) const {
    const std::string_view field = slice(at, 4);
    return byte(field, 0) | byte(field, 1) << 8 | byte(field, 2) << 16 |
           static_cast<std::uint32_t>(byte(field, 3)) << 24;
  }

 private:
  static std::uint32_t byte(std::string_view field, std::size_t at) {
    return static_cast<unsigned char>(field[at]);
  }
  std::string_view bytes;
  std::string whenShort;
};

// `value` rounded up to a multiple of `alignment`.
template <typename Number>
Number alignUp(Number value, std::type_identity_t<Number> alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

inline void set16(std::string& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}
inline void set32(std::string& out, std::size_t at, std::uint32_t value) {
  set16(out, at, value & 0xFFFF);
  set16(out, at + 2, value >> 16);
}
inline void put16(std::string& out, std::uint32_t value) {
  out.append(2, '\0');
  set16(out, out.size() - 2, value);
}
inline void put32(std::string& out, std::uint32_t value) {
  out.append(4, '\0');
  set32(out, out.size() - 4, value);
}

}  // namespace murvo::stamp
