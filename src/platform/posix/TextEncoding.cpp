#include "platform/TextEncoding.h"

namespace murvo::platform {

namespace {

constexpr char16_t replacement = 0xFFFD;

void appendCodePoint(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
  } else {
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
  }
}

}  // namespace

// Strict UTF-8: overlong forms, surrogates and code points above U+10FFFF
// are invalid, and each byte of an invalid sequence becomes U+FFFD.
std::u16string argumentToUtf16(const std::string& argument) {
  std::u16string out;
  const std::size_t size = argument.size();
  std::size_t i = 0;
  while (i < size) {
    const auto lead = static_cast<unsigned char>(argument[i]);
    int length;
    char32_t code;
    char32_t minimum;
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
      out += replacement;
      ++i;
      continue;
    }
    bool valid = i + length <= size;
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(argument[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    valid = valid && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    if (!valid) {
      out += replacement;
      ++i;
      continue;
    }
    appendCodePoint(out, code);
    i += length;
  }
  return out;
}

}  // namespace murvo::platform
