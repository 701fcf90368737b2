#pragma once

#include <string>

namespace murvo {

// The launcher's own keys in the .lap file, and the test that sorts lines
// into launcher lines and other lines.
class PropertyKeys {
 public:
  static const std::string MAIN_CLASS;
  static const std::string JAVA_BUNDLE;
  static const std::string BIN_JVM_DIR;
  static const std::string JVM_PATH;
  static const std::string JAVA_HOME_PATH;
  static const std::string MIN_JAVA_VERSION;
  static const std::string MAX_JAVA_VERSION;
  static const std::string TRAP_CONSOLE_CTRL;
  static const std::string CLASSPATH_JARS_DIR;
  static const std::string STARTUP_CACHE;
  static const std::string SPLASH;
  static const std::string SPLASH_TIMEOUT;
  static const std::string SINGLE_INSTANCE;
  static const std::string USER_OPTIONS;
  static const std::string USER_OPTIONS_ALLOWED;
  static const std::string JAVA_DOWNLOAD_URL;
  static const std::string GUI;
  static const std::string JAR;
  static const std::string MODULE_PATH;
  static const std::string MAIN_MODULE;

  virtual ~PropertyKeys() = default;

  // True when the line begins with "murvo".
  bool isLauncherProperty(const std::string& line) const;
};

}  // namespace murvo
