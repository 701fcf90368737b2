#include "platform/TextEncoding.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace murvo::platform {

const bool hasLegacyCodePage = true;

std::string userFileTextToUtf8(std::string bytes) {
  // A byte-order mark says UTF-8 whatever follows.
  if (bytes.starts_with("\xEF\xBB\xBF") || isValidUtf8(bytes)) return bytes;
  const UINT codePage = legacyCodePage();
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
  return narrow(wide);
}

std::string utf8ToLegacyCodePage(const std::string& text, bool& lossy) {
  lossy = false;
  if (text.empty()) return text;
  const std::wstring wide = widen(text);
  const UINT codePage = legacyCodePage();
  if (codePage == CP_UTF8) return text;  // the system's own locale is UTF-8
  const int size = static_cast<int>(wide.size());
  BOOL replaced = FALSE;
  const int length =
      WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, &replaced);
  std::string converted(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, converted.data(), length, nullptr, nullptr);
  lossy = replaced != FALSE;
  return converted;
}

}  // namespace murvo::platform
