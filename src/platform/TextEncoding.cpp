#include "platform/TextEncoding.h"

namespace murvo::platform {

namespace {

constexpr char32_t invalid = 0xFFFFFFFF;

// The code point of the sequence at `at`, which moves past it; `invalid`
// (moving one byte on) for a byte that starts no valid sequence.
char32_t decodeUtf8(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  int length;
  char32_t code;
  char32_t minimum;
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    ++at;
    return invalid;
  }
  bool valid = at + length <= text.size();
  for (int k = 1; valid && k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    valid = (next & 0xC0) == 0x80;
    code = (code << 6) | (next & 0x3F);
  }
  valid = valid && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
  if (!valid) {
    ++at;
    return invalid;
  }
  at += length;
  return code;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    if (decodeUtf8(text, at) == invalid) return false;
  }
  return true;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  for (std::size_t at = 0; at < text.size();) {
    char32_t code = decodeUtf8(text, at);
    if (code == invalid) {
      out += u'\xFFFD';
    } else if (code < 0x10000) {
      out += static_cast<char16_t>(code);
    } else {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
  }
  return out;
}

}  // namespace murvo::platform
