// The Windows launcher under Wine: copied into a temporary folder under a new
// name, with the JVM test double beside it, and started through `wine`.
// Either executable serves: murvo.exe (the GUI one) by default, or
// murvoc.exe, its console twin.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Harness.h"

namespace murvo::wine {

// A path as Wine's programs see it: drive Z: is the Unix root.
inline std::string windowsPath(std::string unixPath) {
  std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
  return "Z:" + unixPath;
}

// Both launcher executables, for the tests that hold for each.
inline const std::vector<std::string> launchers = {MURVO_LAUNCHER, MURVO_CONSOLE_LAUNCHER};

// What a command prints on standard output (up to 1 MB).
inline std::string commandOutput(const std::string& command) {
  std::string text(1 << 20, '\0');
  FILE* pipe = popen(command.c_str(), "r");
  text.resize(pipe ? std::fread(text.data(), 1, text.size(), pipe) : 0);
  if (pipe) pclose(pipe);
  return text;
}

// The headers of a Windows executable as objdump -p prints them.
inline std::string peHeaders(const std::string& path) {
  return commandOutput(std::string(MINGW_OBJDUMP) + " -p '" + path + "'");
}

// The DLLs that a Windows executable imports, in the order of its table.
inline std::vector<std::string> importedDlls(const std::string& path) {
  const std::string headers = peHeaders(path);
  std::vector<std::string> dlls;
  for (std::size_t at = 0; (at = headers.find("DLL Name: ", at)) != std::string::npos;) {
    at += 10;
    dlls.push_back(headers.substr(at, headers.find('\n', at) - at));
  }
  return dlls;
}

// What the launcher reports on standard error for a failure.
inline std::string failure(const std::string& detail) {
  return "Error in Java launcher. " + detail + "\r\n";
}

class WineFolder : public e2e::LauncherFolder {
 public:
  explicit WineFolder(const std::string& exeName = "app.exe",
                      const std::string& launcher = MURVO_LAUNCHER)
      : LauncherFolder(exeName, launcher, {"wine"}) {
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
