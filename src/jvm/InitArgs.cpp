// The VM options: the .lap file's option lines with the jar folders' class
// path merged in.
#include "jvm/JvmLauncher.h"
#include "launcher/ErrorReporter.h"

namespace murvo {

void JvmLauncher::buildInitArgs(JavaVMInitArgs& args) {
  guard("Error while setting up JVM init arguments.", [&] {
    args = JavaVMInitArgs{};
    args.version = JNI_VERSION_1_2;
    std::vector<std::string>& options = properties->getJvmOptions();
    const std::string& classPath = properties->getClassPath();
    // The jar list starts with a separator. An empty element would put the
    // current directory on the class path, so it is dropped wherever the
    // list would begin a value.
    const std::string jars = classPath.empty() ? classPath : classPath.substr(1);
    bool classPathSeen = false;
    for (std::string& option : options) {
      if (!LaunchProperties::isClassPathOption(option)) continue;
      classPathSeen = true;
      const bool emptyValue = option.find('=') == option.size() - 1;
      option += emptyValue ? jars : classPath;
    }
    if (!classPathSeen && !classPath.empty()) properties->addJvmOption("-Djava.class.path=" + jars);
    // The array lives to the end of the process, like the texts it points at.
    auto* array = new JavaVMOption[options.size()];
    for (std::size_t i = 0; i < options.size(); ++i) {
      array[i].optionString = options[i].data();
      array[i].extraInfo = nullptr;
    }
    args.nOptions = static_cast<jint>(options.size());
    args.options = array;
    args.ignoreUnrecognized = JNI_FALSE;
  });
}

}  // namespace murvo
