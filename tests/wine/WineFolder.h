// The Windows launcher under Wine: copied into a temporary folder under a new
// name, with the JVM test double beside it, and started through `wine`.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "Harness.h"

namespace murvo::wine {

// A path as Wine's programs see it: drive Z: is the Unix root.
inline std::string windowsPath(std::string unixPath) {
  std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
  return "Z:" + unixPath;
}

// What the launcher reports on standard error for a failure.
inline std::string failure(const std::string& detail) {
  return "Error in Java launcher. " + detail + "\r\n";
}

class WineFolder : public e2e::LauncherFolder {
 public:
  explicit WineFolder(const std::string& exeName = "app.exe")
      : LauncherFolder(exeName, MURVO_LAUNCHER, {"wine"}) {
    // No message box may wait for a click, and Wine's own chatter stays off.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("WINEDEBUG", "-all", 1);
    // Discovery reads these; a case sets them for its own launch.
    unsetenv("JAVA_HOME");
    unsetenv("WINEPATH");
    placeJvm("jvm.dll");
  }

  // The folder, or a path inside it, as Wine sees it.
  std::string win(const std::string& relative = "") const {
    return windowsPath(relative.empty() ? dir() : dir() + "/" + relative);
  }
  // Copies the JVM test double to `relative`, making its folders.
  void placeJvm(const std::string& relative) const {
    const std::filesystem::path target = dir() + "/" + relative;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(FAKE_JVM_LIBRARY, target);
  }
  // .lap lines that run demo.Main on the test double, which logs to jvm.log.
  std::string fakeJvmLines() const {
    return "murvo.main.class=demo.Main\n-Dfakejvm.log=" + win("jvm.log") +
           "\n-Dfakejvm.classes=demo/Main\n";
  }
  // The same with the test double beside the executable as the JVM.
  std::string lap(const std::string& more = "") const {
    return "murvo.jvm.path=" + win("jvm.dll") + "\n" + fakeJvmLines() + more;
  }
  std::string log() const { return e2e::readFile(dir() + "/jvm.log"); }
  // The rest of the first log line that starts with `start`.
  std::string logLine(const std::string& start) const {
    const std::string text = "\n" + log();
    const std::size_t at = text.find("\n" + start);
    if (at == std::string::npos) return "(no line " + start + ")";
    const std::size_t from = at + 1 + start.size();
    return text.substr(from, text.find('\n', from) - from);
  }
};

}  // namespace murvo::wine
