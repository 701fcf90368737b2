// The VM options: the .lap file's option lines with the runnable jar's and
// the jar folders' class path merged in, then the options of the user's
// options file.
#include <optional>
#include <string_view>

#include "config/PropertyFileLoader.h"
#include "launcher/JvmLauncher.h"
#include "platform/Environment.h"
#include "platform/PathText.h"
#include "reporting/ErrorReporter.h"
#include "vm/ModuleMain.h"

namespace murvo {

namespace {

constexpr std::string_view classPathPrefix = "-Djava.class.path=";

// Puts the runnable jar and its libraries first in a class path option and
// appends the jar folders' jars. The JVM reads an empty element,
// and an empty class path, as the current directory: no separator is
// doubled, and a class path that comes out empty names the .lap file, which
// is neither a folder nor an archive and so holds no classes.
void completeClassPath(std::string& option, const std::string& jars, LaunchProperties& properties) {
  if (option.size() < classPathPrefix.size()) option = classPathPrefix;
  if (const std::string& leading = properties.getLeadingClassPath(); !leading.empty()) {
    const bool more = option.size() > classPathPrefix.size();
    option.insert(classPathPrefix.size(), more ? leading + platform::classPathSeparator : leading);
  }
  const bool emptyValue = option.size() == classPathPrefix.size();
  if (!jars.empty()) {
    if (!emptyValue && option.back() != platform::classPathSeparator) {
      option += platform::classPathSeparator;
    }
    option += jars;
  } else if (emptyValue) {
    const std::string lap = PropertyFileLoader(properties).getConfigFileName();
    // Split at the separator, its pieces could name anything.
    if (lap.find(platform::classPathSeparator) != std::string::npos) {
      throw LauncherError("the .lap file's path holds the class path separator");
    }
    option += lap;
  }
}

}  // namespace

void JvmLauncher::buildInitArgs(JavaVMInitArgs& args) {
  guard("Error while setting up JVM init arguments.", [&] {
    args = JavaVMInitArgs{};
    args.version = JNI_VERSION_1_2;
    std::vector<std::string>& options = properties->getJvmOptions();
    // The jar list starts with a separator.
    const std::string& classPath = properties->getClassPath();
    const std::string jars = classPath.empty() ? classPath : classPath.substr(1);
    bool classPathSeen = false;
    for (std::string& option : options) {
      if (!LaunchProperties::isClassPathOption(option)) continue;
      classPathSeen = true;
      completeClassPath(option, jars, *properties);
    }
    if (!classPathSeen &&
        (properties->hasJarFolder() || !properties->getLeadingClassPath().empty())) {
      std::string option(classPathPrefix);
      completeClassPath(option, jars, *properties);
      properties->addJvmOption(option);
    } else if (!classPathSeen) {
      // Nothing configured: the class path that `java` takes without -cp,
      // with -m an empty one, which the VM then reads as no folder at all.
      const std::optional<std::string> environment = platform::environmentVariable("CLASSPATH");
      const char* unset = properties->getMainModule().empty() ? "." : "";
      properties->addJvmOption(std::string(classPathPrefix) + environment.value_or(unset));
    }
    addModuleOptions();
    // The user's options come last, so that theirs win where the JVM takes
    // the last of an option (-Xmx, -D).
    std::vector<std::string>& userOptions = properties->getUserJvmOptions();
    // The array lives to the end of the process, like the texts it points at.
    auto* array = new JavaVMOption[options.size() + userOptions.size()];
    std::size_t count = 0;
    for (std::vector<std::string>* list : {&options, &userOptions}) {
      for (std::string& option : *list) array[count++] = {option.data(), nullptr};
    }
    args.nOptions = static_cast<jint>(count);
    args.options = array;
    args.ignoreUnrecognized = JNI_FALSE;
  });
}

// The module path and the main module, as `java -p ... -m ...` hands them to
// the VM, which then resolves the main module into the boot layer.
void JvmLauncher::addModuleOptions() {
  const std::vector<std::string>& modulePath = properties->getModulePath();
  if (!modulePath.empty()) {
    std::string option = "--module-path=";
    for (std::size_t i = 0; i < modulePath.size(); ++i) {
      if (i > 0) option += platform::pathListSeparator;
      option += modulePath[i];
    }
    properties->addJvmOption(option);
  }
  if (!properties->getMainModule().empty()) {
    properties->addJvmOption("-Djdk.module.main=" + moduleName(properties->getMainModule()));
  }
}

}  // namespace murvo
