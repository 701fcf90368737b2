#include "Utf.h"

#include "StampError.h"

namespace murvo::stamp {

std::u16string utf16FromUtf8(std::string_view text, const std::string& what) {
  std::u16string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const int more = lead < 0x80                   ? 0
                     : lead >= 0xC2 && lead < 0xE0 ? 1
                     : lead >= 0xE0 && lead < 0xF0 ? 2
                     : lead >= 0xF0 && lead < 0xF5 ? 3
                                                   : -1;
    if (more < 0 || text.size() - at <= static_cast<std::size_t>(more))
      throw StampError(what + " is not UTF-8 text");
    char32_t c = more == 0 ? lead : lead & (0x3F >> more);
    for (int k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[at + k]);
      if ((next & 0xC0) != 0x80) throw StampError(what + " is not UTF-8 text");
      c = c << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static constexpr char32_t lowest[] = {0, 0x80, 0x800, 0x10000};
    if (c < lowest[more] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
      throw StampError(what + " is not UTF-8 text");
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    at += more + 1;
  }
  return out;
}

std::string utf8FromUtf16(std::u16string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t c = text[at];
    if (c >= 0xD800 && c < 0xDC00 && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
        text[at + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++at] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    static constexpr unsigned char leads[] = {0, 0xC0, 0xE0, 0xF0};
    const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += static_cast<char>(leads[more] | c >> 6 * more);
    for (int k = more - 1; k >= 0; --k) out += static_cast<char>(0x80 | (c >> 6 * k & 0x3F));
  }
  return out;
}

}  // namespace murvo::stamp
