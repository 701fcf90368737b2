// The desktop dialog on POSIX: a program of the desktop, started from the
// system's own folders, shows the text.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/MessageDisplay.h"
#include "platform/posix/Spawn.h"

extern char** environ;

namespace murvo::platform {

namespace {

// Where the desktop's programs are installed; PATH is never searched, so
// that no program of the current directory or of a user's folder runs.
constexpr const char* systemFolders[] = {"/usr/bin/", "/bin/"};

std::vector<std::string> dialogCommand(const std::string& tool, const std::string& title,
                                       const std::string& text) {
  if (tool == "zenity") return {"--error", "--no-markup", "--title=" + title, "--text=" + text};
  if (tool == "kdialog") return {"--title", title, "--error", text};
  // xmessage reads an argument that begins with '-' as an option.
  return {"-title",   title,  "-center",
          "-buttons", "OK:0", text.starts_with('-') ? ' ' + text : text};
}

std::optional<pid_t> startDialog(const std::string& path, std::vector<std::string> words) {
  words.insert(words.begin(), path);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  addNullStandardStreams(actions);
  // The dialog holds none of the launcher's descriptors (a single-instance
  // socket, a lock): what ends with the launcher ends while the dialog stays.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  pid_t pid;
  const bool started =
      spawnWithDefaultSignals(pid, path.c_str(), actions, POSIX_SPAWN_SETSID, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (!started) return std::nullopt;
  return pid;
}

}  // namespace

bool standardErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

std::optional<std::string> showDesktopDialog(const std::string& title, const std::string& text,
                                             unsigned waitSeconds) {
  for (const char* tool : {"zenity", "kdialog", "xmessage"}) {
    for (const char* folder : systemFolders) {
      const std::string path = folder + std::string(tool);
      if (access(path.c_str(), X_OK) != 0) continue;
      const std::optional<pid_t> pid = startDialog(path, dialogCommand(tool, title, text));
      if (!pid) continue;
      // A display that never answers holds the dialog, not the launcher.
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
      int status = 0;
      while (waitpid(*pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      return path;
    }
  }
  return std::nullopt;
}

}  // namespace murvo::platform
