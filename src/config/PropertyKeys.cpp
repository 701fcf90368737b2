#include "config/PropertyKeys.h"

#include "reporting/ErrorReporter.h"

namespace murvo {

const std::string PropertyKeys::MAIN_CLASS = "murvo.main.class";
const std::string PropertyKeys::JAVA_BUNDLE = "murvo.java.bundle";
const std::string PropertyKeys::BIN_JVM_DIR = "murvo.bin.jvm.dir";
const std::string PropertyKeys::JVM_PATH = "murvo.jvm.path";
const std::string PropertyKeys::JAVA_HOME_PATH = "murvo.java.home.path";
const std::string PropertyKeys::MIN_JAVA_VERSION = "murvo.min.java.version";
const std::string PropertyKeys::MAX_JAVA_VERSION = "murvo.max.java.version";
const std::string PropertyKeys::TRAP_CONSOLE_CTRL = "murvo.trap.console.ctrl";
const std::string PropertyKeys::CLASSPATH_JARS_DIR = "murvo.classpath.jars.dir";
const std::string PropertyKeys::STARTUP_CACHE = "murvo.startup.cache";
const std::string PropertyKeys::SPLASH = "murvo.splash";
const std::string PropertyKeys::SPLASH_TIMEOUT = "murvo.splash.timeout";
const std::string PropertyKeys::SINGLE_INSTANCE = "murvo.single.instance";
const std::string PropertyKeys::USER_OPTIONS = "murvo.user.options";
const std::string PropertyKeys::USER_OPTIONS_ALLOWED = "murvo.user.options.allowed";
const std::string PropertyKeys::JAVA_DOWNLOAD_URL = "murvo.java.download.url";
const std::string PropertyKeys::GUI = "murvo.gui";
const std::string PropertyKeys::JAR = "murvo.jar";
const std::string PropertyKeys::MODULE_PATH = "murvo.module.path";
const std::string PropertyKeys::MAIN_MODULE = "murvo.main.module";

bool PropertyKeys::isLauncherProperty(const std::string& line) const {
  return guard("Error checking if a property is custom.",
               [&] { return line.starts_with("murvo"); });
}

}  // namespace murvo
