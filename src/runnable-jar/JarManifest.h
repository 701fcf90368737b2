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
  // False when a line of any section is no header (a name of letters,
  // digits, '-' and '_' up to 70 bytes, ": ", the value) or continuation of
  // one, or is 512 bytes long or longer: the JVM refuses such a jar.
  bool valid() const { return wellFormed; }

 private:
  static constexpr std::size_t lineLimit = 512;

  std::vector<std::pair<std::string, std::string>> attributes;
  bool wellFormed = true;
};

// The words of a value separated by spaces, tabs, line ends or form feeds
// (Class-Path, Add-Opens, Add-Exports).
std::vector<std::string> attributeWords(std::string_view value);

}  // namespace murvo
