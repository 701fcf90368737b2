#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murvo {

// The main section of a jar's manifest: the attributes before the first
// empty line. Lines end in CR LF, LF or CR; a line that begins with one space
// continues the one before (the space dropped); a name ends at ": ".
// Names compare without regard to letter case; of a name given twice, the
// first counts.
class JarManifest {
 public:
  explicit JarManifest(std::string_view text);

  // The value of an attribute of the main section, as written.
  std::optional<std::string> attribute(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> attributes;
};

// The words of a value separated by spaces, tabs, line ends or form feeds
// (Class-Path, Add-Opens, Add-Exports).
std::vector<std::string> attributeWords(std::string_view value);

}  // namespace murvo
