#include "vm/ModifiedUtf8.h"

namespace murvo {

namespace {

void appendThreeBytes(std::string& out, char32_t unit) {
  out += static_cast<char>(0xE0 | (unit >> 12));
  out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (unit & 0x3F));
}

}  // namespace

std::string toModifiedUtf8(std::string_view utf8) {
  std::string out;
  for (std::size_t at = 0; at < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if ((lead & 0xF8) != 0xF0 || at + 4 > utf8.size()) {
      out += utf8[at++];
      continue;
    }
    char32_t code = lead & 0x07;
    for (int k = 1; k < 4; ++k) code = (code << 6) | (utf8[at + k] & 0x3F);
    code -= 0x10000;
    appendThreeBytes(out, 0xD800 + (code >> 10));
    appendThreeBytes(out, 0xDC00 + (code & 0x3FF));
    at += 4;
  }
  return out;
}

}  // namespace murvo
