#include "config/PropertyFileLoader.h"

#include <algorithm>
#include <optional>

#include "config/PropertyKeys.h"
#include "config/TextRoutines.h"
#include "config/UserOptionsFile.h"
#include "config/VariableResolver.h"
#include "platform/FileAccess.h"
#include "platform/PathText.h"
#include "platform/TextEncoding.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"

namespace murvo {

namespace {

std::string upperCaseAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

}  // namespace

const std::string& PropertyFileLoader::getConfigFileName() {
  return guard("Error getting configuration file name.", [&]() -> const std::string& {
    const std::string& exePath = properties.getExePath();
    // Without the executable's path the name would be ".lap", a file of the
    // current directory that nobody configured.
    if (exePath.empty()) throw LauncherError("no executable path");
    const std::size_t dot = exePath.rfind('.');
    if (dot != std::string::npos && dot != 0 && upperCaseAscii(exePath.substr(dot)) == ".EXE") {
      configFileName = exePath.substr(0, dot) + ".lap";
    } else {
      configFileName = exePath + ".lap";
    }
    return configFileName;
  });
}

void PropertyFileLoader::load() {
  guardOwnText("Error loading properties from configuration file.", [&] {
    const std::string& fileName = getConfigFileName();
    if (tracing()) trace(".lap file: " + fileName);
    const std::optional<std::string> bytes = platform::readRegularFile(fileName);
    if (!bytes) throw LauncherError("Could not open file " + fileName);
    applyInPassOrder(readPropertyLines(platform::userFileTextToUtf8(*bytes)));
    UserOptionsFile(properties).load();
  });
}

// A carriage return is dropped only where it ends a line.
std::vector<std::string> PropertyFileLoader::readPropertyLines(std::string_view bytes) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
    std::string line(bytes.substr(start, end - start));
    if (start == 0 && line.starts_with(byteOrderMark)) line.erase(0, byteOrderMark.size());
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    trim(line);
    if (!line.empty() && !isComment(line)) lines.push_back(std::move(line));
  }
  return lines;
}

void PropertyFileLoader::applyInPassOrder(const std::vector<std::string>& lines) {
  const PropertyKeys keys;
  const VariableResolver resolver(properties);
  // Each line's group is worked out once, on the line as read.
  std::vector<int> pass(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    pass[i] =
        (keys.isLauncherProperty(lines[i]) ? 0 : 2) + (resolver.hasVariable(lines[i]) ? 1 : 0);
  }
  for (int current = 0; current < 4; ++current) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (pass[i] == current) processProperty(lines[i]);
    }
  }
}

bool PropertyFileLoader::isStartupCacheLine(const std::string& line) {
  std::string name = hasSeparator(line) ? parsePropertyName(line) : line;
  return trim(name) == PropertyKeys::STARTUP_CACHE;
}

// A relative path of the JVM or of the Java home is taken from the
// executable's folder: one .lap loads the same JVM wherever it is started
// from, and never one of the current directory or of a search path.
std::string PropertyFileLoader::fromExeFolder(const std::string& path) const {
  if (path.empty() || platform::isAbsolutePath(path)) return path;
  return properties.getExeFolder() + platform::pathSeparator + path;
}

std::string PropertyFileLoader::parsePropertyName(const std::string& line) {
  return guard("Error parsing property name in file.",
               [&] { return line.substr(0, line.find('=')); });
}

std::string PropertyFileLoader::parsePropertyValue(const std::string& line) {
  return guard("Error parsing property value in file.",
               [&] { return line.substr(line.find('=') + 1); });
}

void PropertyFileLoader::processProperty(const std::string& line) {
  guard("Error processing property.", [&] {
    std::string substituted = line;
    if (line.starts_with(PropertyKeys::STARTUP_CACHE) && isStartupCacheLine(line)) {
      // A cache folder that cannot be named means no cache, never a failure.
      if (!VariableResolver(properties).resolveIfKnown(substituted)) {
        if (tracing()) trace("startup cache: off, a variable has no value: " + line);
        return;
      }
    }
    VariableResolver(properties).resolve(substituted);
    if (tracing()) trace("property: " + substituted);
    std::string name;
    std::string value;
    if (hasSeparator(substituted)) {
      name = parsePropertyName(substituted);
      value = parsePropertyValue(substituted);
      trim(name);
      trim(value);
    } else {
      name = trim(substituted);
    }
    if (LaunchProperties::isJvmOption(substituted)) {
      properties.addJvmOption(substituted);
      return;
    }
    applyValue(name, value);
  });
}

void PropertyFileLoader::applyValue(const std::string& name, const std::string& value) {
  if (name == PropertyKeys::MAIN_CLASS) {
    properties.setMainClass(value);
  } else if (name == PropertyKeys::JAVA_BUNDLE) {
    properties.setJavaBundle(value);
  } else if (name == PropertyKeys::BIN_JVM_DIR) {
    properties.setBinJvmDir(value);
  } else if (name == PropertyKeys::JVM_PATH) {
    properties.setJvmPath(fromExeFolder(value));
  } else if (name == PropertyKeys::JAVA_HOME_PATH) {
    properties.setConfiguredJavaHome(fromExeFolder(value));
    properties.setFoundJavaHome(fromExeFolder(value));
  } else if (name == PropertyKeys::MIN_JAVA_VERSION) {
    properties.setMinJavaVersion(value);
  } else if (name == PropertyKeys::MAX_JAVA_VERSION) {
    properties.setMaxJavaVersion(value);
  } else if (name == PropertyKeys::TRAP_CONSOLE_CTRL) {
    properties.setTrapConsoleCtrl(value);
  } else if (name == PropertyKeys::CLASSPATH_JARS_DIR) {
    properties.addJarsToClassPath(value);
  } else if (name == PropertyKeys::STARTUP_CACHE) {
    properties.setStartupCache(value == "auto" || value == "off" ? value : fromExeFolder(value));
  } else if (name == PropertyKeys::SPLASH) {
    properties.setSplashImage(fromExeFolder(value));
  } else if (name == PropertyKeys::SPLASH_TIMEOUT) {
    properties.setSplashTimeout(value);
  } else if (name == PropertyKeys::SINGLE_INSTANCE) {
    properties.setSingleInstance(value);
  } else if (name == PropertyKeys::USER_OPTIONS) {
    properties.setUserOptionsSetting(value);
  } else if (name == PropertyKeys::USER_OPTIONS_ALLOWED) {
    properties.setUserOptionsAllowed(value);
  } else if (name == PropertyKeys::JAVA_DOWNLOAD_URL) {
    setJavaDownloadUrl(value);
  } else if (name == PropertyKeys::GUI) {
    showFailuresOnDesktop(LaunchProperties::isYes(value) ? properties.getProgramName() : "");
  } else if (name == PropertyKeys::JAR) {
    properties.setJar(fromExeFolder(value));
  } else if (name == PropertyKeys::MODULE_PATH) {
    // Each folder or jar of the list, relative ones from the executable's folder.
    for (std::size_t start = 0; start <= value.size();) {
      const std::size_t end =
          std::min(value.find(platform::pathListSeparator, start), value.size());
      if (end > start) properties.addModulePath(fromExeFolder(value.substr(start, end - start)));
      start = end + 1;
    }
  } else if (name == PropertyKeys::MAIN_MODULE) {
    properties.setMainModule(value);
  }
}

// Only an https:// address is shown to a user, so that the page a failure
// leads to cannot be changed on its way.
void PropertyFileLoader::setJavaDownloadUrl(const std::string& value) {
  constexpr std::string_view scheme = "https://";
  const bool printable = std::none_of(value.begin(), value.end(),
                                      [](char c) { return static_cast<unsigned char>(c) <= ' '; });
  if (value.size() > scheme.size() && value.starts_with(scheme) && printable) {
    properties.setJavaDownloadUrl(value);
  } else {
    properties.setJavaDownloadUrl("");
    if (tracing()) {
      trace("java download address: none shown, \"" + value +
            "\" is no https:// address without blanks");
    }
  }
}

}  // namespace murvo
