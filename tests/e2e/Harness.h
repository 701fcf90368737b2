// End-to-end harness: the built launcher copied into a fresh folder under a
// new name with its .lap file, started as a user would start it.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace murvo::e2e {

struct RunResult {
  int status = -1;  // exit status, or 128 + signal when a signal ended it
  std::string out;
  std::string err;
  bool timedOut = false;
};

class Process {
 public:
  Process(pid_t pid, std::string outFile, std::string errFile)
      : pid(pid), outFile(std::move(outFile)), errFile(std::move(errFile)) {}
  void signal(int number) const;
  // Waits up to `seconds`; a process still running then is killed.
  RunResult wait(int seconds = 60);
  // What the process has written to standard output so far.
  std::string outputSoFar() const;

 private:
  pid_t pid;
  std::string outFile;
  std::string errFile;
};

class LauncherFolder {
 public:
  // Copies `launcher` (the native build by default) into a new temporary
  // folder as `exeName` (which may name sub-folders); `runner` is put before it on the command line
  // (e.g. {"wine"} for the Windows build).
  explicit LauncherFolder(const std::string& exeName = "app",
                          const std::string& launcher = MURVO_LAUNCHER,
                          std::vector<std::string> runner = {});
  ~LauncherFolder();

  const std::string& dir() const { return folder; }
  std::string exePath() const { return folder + "/" + exeName; }
  // Writes the .lap file beside the executable (the name without ".exe").
  void writeLap(const std::string& text) const;
  void writeFile(const std::string& relativePath, const std::string& text) const;
  void makeDir(const std::string& relativePath) const;
  // Later runs start in `relativePath` instead of the launcher's folder.
  void startIn(const std::string& relativePath) { workingDir = folder + "/" + relativePath; }
  // Standard input of the launches: /dev/null unless set (e.g. to a terminal).
  void setInput(const std::string& path) { input = path; }

  Process start(const std::vector<std::string>& args,
                const std::vector<std::string>& environment = {}) const;
  RunResult run(const std::vector<std::string>& args = {},
                const std::vector<std::string>& environment = {}, int seconds = 60) const;
  // Another command (such as `java`, the yardstick) started as the launcher
  // would be: the same folder, input and environment.
  Process startCommand(std::vector<std::string> words,
                       const std::vector<std::string>& environment = {}) const;
  RunResult runCommand(const std::vector<std::string>& words,
                       const std::vector<std::string>& environment = {}, int seconds = 60) const;
  // `java` of `javaHome` with `args`, started in the folder: the yardstick.
  RunResult runJava(const std::string& javaHome, const std::vector<std::string>& args) const;

 private:
  std::string folder;
  std::string exeName;
  std::vector<std::string> runner;
  std::string workingDir;
  std::string input = "/dev/null";
  mutable int runs = 0;
};

std::string readFile(const std::string& path);
// Waits until what `read` gives holds `text` at least `count` times, for up
// to `seconds`.
bool awaitCount(const std::function<std::string()>& read, const std::string& text, int count,
                int seconds = 5);
// The class folder of the Java test programs and the JDK's own JVM library.
std::string javaClasses();
std::string realJvmLibrary();
// The runnable jars of the Java test programs (app.jar, bare.jar, nomain.jar, lib/library.jar).
std::string javaJars();
// The JVM library of the newer JDK (Java 25) when it is installed, else empty.
std::string newerJvmLibrary();
// A .lap that runs `mainClass` from the Java test programs on the real JDK
// (or the JVM library given).
std::string realJdkLap(const std::string& mainClass, const std::string& more = "",
                       const std::string& jvmLibrary = "");

}  // namespace murvo::e2e
