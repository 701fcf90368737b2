#include "platform/TextEncoding.h"

#include <windows.h>

namespace murvo::platform {

std::u16string argumentToUtf16(const std::string& argument) {
  if (argument.empty()) return {};
  const int size = static_cast<int>(argument.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, argument.data(), size, nullptr, 0);
  std::u16string text(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, argument.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                      length);
  return text;
}

}  // namespace murvo::platform
