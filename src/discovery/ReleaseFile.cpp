#include "discovery/ReleaseFile.h"

#include <algorithm>
#include <optional>

#include "platform/FileAccess.h"
#include "platform/PathText.h"

namespace murvo {

std::string releaseValue(const std::string& home, std::string_view name) {
  // A release file is a few hundred bytes; a larger one is no release file.
  const std::optional<std::string> text =
      platform::readRegularFile(home + platform::pathSeparator + "release", 64 * 1024);
  if (!text) return {};
  const std::string key = std::string(name) + "=";
  for (std::size_t start = 0; start < text->size();) {
    const std::size_t end = std::min(text->find('\n', start), text->size());
    std::string_view line = std::string_view(*text).substr(start, end - start);
    start = end + 1;
    if (!line.starts_with(key)) continue;
    line.remove_prefix(key.size());
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
      line = line.substr(1, line.size() - 2);
    }
    return std::string(line);
  }
  return {};
}

int featureVersion(std::string_view version) {
  if (version.starts_with("1.")) version.remove_prefix(2);
  int feature = 0;
  for (char c : version) {
    if (c < '0' || c > '9' || feature > 10000) break;
    feature = feature * 10 + (c - '0');
  }
  return feature;
}

}  // namespace murvo
