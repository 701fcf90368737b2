// POSIX keeps bytes as they are: UTF-8 by convention, for the launcher and
// for every JVM alike.
#include "platform/TextEncoding.h"

namespace murvo::platform {

const bool hasLegacyCodePage = false;

std::string userFileTextToUtf8(std::string bytes) {
  return bytes;
}

std::string utf8ToLegacyCodePage(const std::string& text, bool& lossy) {
  lossy = false;
  return text;
}

}  // namespace murvo::platform
