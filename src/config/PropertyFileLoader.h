#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/LaunchProperties.h"

namespace murvo {

// Reads the .lap file beside the executable and applies its property lines
// to the record: launcher lines before other lines, and in each group lines
// without variable references before lines with them.
class PropertyFileLoader {
 public:
  explicit PropertyFileLoader(LaunchProperties& properties) : properties(properties) {}
  virtual ~PropertyFileLoader() = default;

  // The executable's path with ".lap" in place of ".exe" (in any letter
  // case), or with ".lap" appended.
  const std::string& getConfigFileName();
  void load();

  static bool isComment(const std::string& line) { return !line.empty() && line[0] == '#'; }
  static bool hasSeparator(const std::string& line) { return line.find('=') != std::string::npos; }
  std::string parsePropertyName(const std::string& line);
  std::string parsePropertyValue(const std::string& line);
  void processProperty(const std::string& line);
  // The lines of a file's text that are neither empty nor comments, without
  // a leading byte-order mark, line ends and surrounding blanks.
  static std::vector<std::string> readPropertyLines(std::string_view bytes);

 private:
  void applyInPassOrder(const std::vector<std::string>& lines);
  void applyValue(const std::string& name, const std::string& value);
  bool isStartupCacheLine(const std::string& line);
  std::string fromExeFolder(const std::string& path) const;
  void setJavaDownloadUrl(const std::string& value);

  std::string configFileName;
  LaunchProperties& properties;
};

}  // namespace murvo
