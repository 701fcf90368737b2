// Processes arbitrary .lap files into a launch record and its VM arguments.
// Beyond not crashing: the option lines without references reach the VM
// first, whole and in file order; the jar list is empty or starts with a
// separator; no class path is empty but beside a main module; a failure is
// one the file can cause.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "config/LaunchProperties.h"
#include "discovery/JvmLocator.h"
#include "launcher/JvmLauncher.h"
#include "platform/PathText.h"

namespace {

std::string folder;

// The option lines as a reader of the file format sees them.
std::vector<std::string> plainOptionLines(const std::string& text) {
  std::vector<std::string> options;
  std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.ends_with('\r')) line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != '-') continue;
    line = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
    // Lines with a closed reference come later, after their resolution.
    const std::size_t open = line.find("${");
    if (open == std::string::npos || line.find('}', open + 2) == std::string::npos) {
      options.push_back(line);
    }
  }
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  murvo::fuzz::setUpProcess();
  folder = "/dev/shm/murvo-fuzz-" + std::to_string(getpid());
  std::filesystem::create_directories(folder + "/bin");
  std::filesystem::create_directories(folder + "/lib/sub.jar");
  for (const char* jar : {"/lib/b.jar", "/lib/A.JAR", "/lib/notes.txt"}) {
    std::ofstream(folder + jar).put('x');
  }
  std::atexit([] { std::filesystem::remove_all(folder); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using murvo::fuzz::require;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::ofstream(folder + "/bin/app.lap", std::ios::binary | std::ios::trunc) << text;

  const murvo::fuzz::JavaRegistry registry;
  murvo::LaunchProperties properties;
  properties.useJavaLookup(murvo::discoveryLookup());
  properties.setExePath(folder + "/bin/app");
  try {
    properties.loadProperties();
    const std::vector<std::string> expected = plainOptionLines(text);
    const std::vector<std::string>& options = properties.getJvmOptions();
    require(options.size() >= expected.size() &&
                std::equal(expected.begin(), expected.end(), options.begin()),
            "option lines without references come first, whole and in order");
    const std::string& classPath = properties.getClassPath();
    require(classPath.empty() || classPath[0] == murvo::platform::classPathSeparator,
            "the jar list starts with a separator");
    require(properties.getJniMainClass().find('.') == std::string::npos,
            "the JNI main class name holds no dot");

    JavaVMInitArgs args;
    murvo::JvmLauncher(properties).buildInitArgs(args);
    require(args.nOptions == static_cast<jint>(properties.getJvmOptions().size()),
            "every option reaches the VM arguments");
    // Beside a main module an empty class path is java's own: no folder.
    const bool mainModule = !properties.getMainModule().empty();
    for (const std::string& option : properties.getJvmOptions()) {
      require(mainModule || !murvo::LaunchProperties::isClassPathOption(option) ||
                  option.size() > std::string_view("-Djava.class.path=").size(),
              "no class path is empty (the JVM would read the current directory)");
    }
    delete[] args.options;
    properties.getJvmPath();
  } catch (const murvo::FailureReported& failure) {
    murvo::fuzz::expectMessage(failure, {"Error resolving property variables.",
                                         "Incorrect current installed Java version:"});
  }
  return 0;
}
