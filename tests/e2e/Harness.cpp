#include "Harness.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace murvo::e2e {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string javaClasses() {
  return JAVA_TEST_CLASSES;
}

std::string javaJars() {
  return JAVA_TEST_JARS;
}

std::string realJvmLibrary() {
  return std::string(JDK_HOME) + "/lib/server/libjvm.so";
}

std::string newerJvmLibrary() {
  const std::string home = NEWER_JDK_HOME;
  return home.empty() ? home : home + "/lib/server/libjvm.so";
}

std::string realJdkLap(const std::string& mainClass, const std::string& more,
                       const std::string& jvmLibrary) {
  return "murvo.jvm.path=" + (jvmLibrary.empty() ? realJvmLibrary() : jvmLibrary) +
         "\nmurvo.main.class=" + mainClass + "\n-Djava.class.path=" + javaClasses() + "\n" + more;
}

void Process::signal(int number) const {
  kill(pid, number);
}

std::string Process::outputSoFar() const {
  return readFile(outFile);
}

RunResult Process::wait(int seconds) {
  RunResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = readFile(outFile);
  result.err = readFile(errFile);
  return result;
}

LauncherFolder::LauncherFolder(const std::string& exeName, const std::string& launcher,
                               std::vector<std::string> runner)
    : exeName(exeName), runner(std::move(runner)) {
  std::string pattern = (fs::temp_directory_path() / "murvo-e2e-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  folder = pattern;
  fs::create_directories(fs::path(exePath()).parent_path());
  fs::copy_file(launcher, exePath());
}

LauncherFolder::~LauncherFolder() {
  std::error_code ignored;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(folder, ignored);
}

void LauncherFolder::writeLap(const std::string& text) const {
  std::string base = exeName;
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".exe") == 0)
    base.resize(base.size() - 4);
  writeFile(base + ".lap", text);
}

void LauncherFolder::writeFile(const std::string& relativePath, const std::string& text) const {
  std::ofstream(folder + "/" + relativePath, std::ios::binary) << text;
}

void LauncherFolder::makeDir(const std::string& relativePath) const {
  fs::create_directories(folder + "/" + relativePath);
}

// Waits until what `read` gives holds `text` at least `count` times.
bool awaitCount(const std::function<std::string()>& read, const std::string& text, int count,
                int seconds) {
  for (int i = 0; i < seconds * 200; ++i) {
    int found = 0;
    const std::string content = read();
    for (std::size_t at = content.find(text); at != std::string::npos;
         at = content.find(text, at + 1)) {
      ++found;
    }
    if (found >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

Process LauncherFolder::start(const std::vector<std::string>& args,
                              const std::vector<std::string>& environment) const {
  std::vector<std::string> words = runner;
  words.push_back(exePath());
  words.insert(words.end(), args.begin(), args.end());
  return startCommand(std::move(words), environment);
}

RunResult LauncherFolder::runJava(const std::string& javaHome,
                                  const std::vector<std::string>& args) const {
  std::vector<std::string> words{javaHome + "/bin/java"};
  words.insert(words.end(), args.begin(), args.end());
  return runCommand(words);
}

Process LauncherFolder::startCommand(std::vector<std::string> words,
                                     const std::vector<std::string>& environment) const {
  const int run = runs++;
  const std::string outFile = folder + "/.out" + std::to_string(run);
  const std::string errFile = folder + "/.err" + std::to_string(run);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) envText.emplace_back(*e);
  envText.insert(envText.end(), environment.begin(), environment.end());
  std::vector<char*> envp;
  for (std::string& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addchdir_np(&actions,
                                       (workingDir.empty() ? folder : workingDir).c_str());
  pid_t pid;
  const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start " + words[0]);
  return Process(pid, outFile, errFile);
}

RunResult LauncherFolder::run(const std::vector<std::string>& args,
                              const std::vector<std::string>& environment, int seconds) const {
  return start(args, environment).wait(seconds);
}

RunResult LauncherFolder::runCommand(const std::vector<std::string>& words,
                                     const std::vector<std::string>& environment,
                                     int seconds) const {
  return startCommand(words, environment).wait(seconds);
}

}  // namespace murvo::e2e
