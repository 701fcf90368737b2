// The VM options: the .lap file's option lines with the jar folders' class
// path merged in, then the options of the user's options file.
#include <optional>
#include <string_view>

#include "config/PropertyFileLoader.h"
#include "launcher/JvmLauncher.h"
#include "platform/Environment.h"
#include "platform/PathText.h"
#include "reporting/ErrorReporter.h"

namespace murvo {

namespace {

constexpr std::string_view classPathPrefix = "-Djava.class.path=";

// Appends the jars to a class path option. The JVM reads an empty element,
// and an empty class path, as the current directory: no separator is
// doubled, and a class path that comes out empty names the .lap file, which
// is neither a folder nor an archive and so holds no classes.
void completeClassPath(std::string& option, const std::string& jars, LaunchProperties& properties) {
  if (option.size() < classPathPrefix.size()) option = classPathPrefix;
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
    if (!classPathSeen && properties->hasJarFolder()) {
      std::string option(classPathPrefix);
      completeClassPath(option, jars, *properties);
      properties->addJvmOption(option);
    } else if (!classPathSeen) {
      // Nothing configured: the class path that `java` takes without -cp.
      const std::optional<std::string> environment = platform::environmentVariable("CLASSPATH");
      properties->addJvmOption(std::string(classPathPrefix) + environment.value_or("."));
    }
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

}  // namespace murvo
