#include "config/UserOptionsFile.h"

#include <optional>

#include "config/PropertyFileLoader.h"
#include "platform/FileAccess.h"
#include "platform/PathText.h"
#include "platform/TextEncoding.h"
#include "platform/UserFolders.h"
#include "reporting/Trace.h"

namespace murvo {

const std::string UserOptionsFile::DEFAULT_ALLOWED =
    "-Xmx -Xms -Xss -Dhttp. -Dhttps. -DsocksProxy -Djava.net.useSystemProxies= "
    "-Dsun.java2d.uiScale -Duser.language= -Duser.country=";

std::string UserOptionsFile::path() const {
  const std::string& setting = properties.getUserOptionsSetting();
  if (setting.empty() || setting == "off") return {};
  if (setting != "auto") {
    if (platform::isAbsolutePath(setting)) return setting;
    return properties.getExeFolder() + platform::pathSeparator + setting;
  }
  const std::optional<std::string> folder = platform::userConfigFolder();
  if (!folder) {
    if (tracing()) trace("user options: none, the user has no configuration folder");
    return {};
  }
  const std::string program = properties.getProgramName();
  return *folder + platform::pathSeparator + program + platform::pathSeparator + program +
         ".options";
}

bool UserOptionsFile::allowed(const std::string& option, const std::string& prefixes) const {
  for (std::size_t start = prefixes.find_first_not_of(" \t"); start != std::string::npos;) {
    const std::size_t end = prefixes.find_first_of(" \t", start);
    if (option.starts_with(std::string_view(prefixes).substr(start, end - start))) return true;
    start = prefixes.find_first_not_of(" \t", end);
  }
  return false;
}

void UserOptionsFile::load() {
  const std::string file = path();
  if (file.empty()) return;
  const std::optional<std::string> bytes = platform::readRegularFile(file);
  if (!bytes) {
    if (tracing()) {
      trace("user options: " + file +
            (platform::resolvedPath(file) ? " cannot be read, skipped" : " does not exist"));
    }
    return;
  }
  if (tracing()) trace("user options: " + file);
  const std::optional<std::string>& allowedKey = properties.getUserOptionsAllowed();
  const std::string& prefixes = allowedKey ? *allowedKey : DEFAULT_ALLOWED;
  bool taken = false;
  for (const std::string& line :
       PropertyFileLoader::readPropertyLines(platform::userFileTextToUtf8(*bytes))) {
    if (!LaunchProperties::isJvmOption(line)) {
      if (tracing()) trace("user options: ignored, not an option: " + line);
    } else if (!allowed(line, prefixes)) {
      if (tracing()) {
        trace("user options: dropped " + line + ": not among the allowed prefixes (" + prefixes +
              ")");
      }
    } else {
      if (tracing()) trace("user options: took " + line);
      properties.addUserJvmOption(line);
      taken = true;
    }
  }
  if (taken) properties.setUserOptionsFile(file);
}

}  // namespace murvo
