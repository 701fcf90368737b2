#include "platform/BackgroundProcess.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/Spawn.h"

extern char** environ;

namespace murvo::platform {

namespace {

// This executable, also when its file has been replaced since it started.
constexpr const char* runningExecutable = "/proc/self/exe";
// The descriptor on which a detached copy sees its starter's end: the read
// end of a pipe whose write end only the starter holds.
constexpr int starterPipe = 3;

// The environment of this process with `variable` set to `value`, and the
// variables named in `removed` left out.
class CopyEnvironment {
 public:
  CopyEnvironment(const std::string& variable, const std::string& value,
                  const std::vector<std::string>& removed = {})
      : entry(variable + '=' + value) {
    const auto kept = [&](std::string_view current) {
      if (current.starts_with(variable + '=')) return false;
      for (const std::string& name : removed) {
        if (current.starts_with(name + '=')) return false;
      }
      return true;
    };
    for (char** current = environ; *current; ++current) {
      if (kept(*current)) pointers.push_back(*current);
    }
    pointers.push_back(entry.data());
    pointers.push_back(nullptr);
  }
  char** get() { return pointers.data(); }

 private:
  std::string entry;
  std::vector<char*> pointers;
};

// Spawns the copy with every signal at its default and none blocked.
bool spawnCopy(pid_t& pid, posix_spawn_file_actions_t& actions, short flags,
               CopyEnvironment& environment) {
  char* argv[] = {const_cast<char*>(runningExecutable), nullptr};
  return spawnWithDefaultSignals(pid, runningExecutable, actions, flags, argv, environment.get());
}

}  // namespace

bool startDetachedCopy(const std::string& variable, const std::string& value) {
  CopyEnvironment environment(variable, value);
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  addNullStandardStreams(actions);
  posix_spawn_file_actions_adddup2(&actions, ends[0], starterPipe);
  posix_spawn_file_actions_addclosefrom_np(&actions, starterPipe + 1);
  pid_t pid;
  const bool started = spawnCopy(pid, actions, POSIX_SPAWN_SETSID, environment);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[0]);
  // The write end stays open to the end of this process: the copy reads its
  // end of the pipe as ended when this process has ended, however it ends.
  if (!started) close(ends[1]);
  return started;
}

void waitForStarterEnd() {
  setpriority(PRIO_PROCESS, 0, 19);
  const sched_param none{};
  sched_setscheduler(0, SCHED_IDLE, &none);
  // The idle disk class of the kernel's I/O scheduler, for this process.
  constexpr int ioprioWhoProcess = 1, ioprioClassIdle = 3, ioprioClassShift = 13;
  syscall(SYS_ioprio_set, ioprioWhoProcess, 0, ioprioClassIdle << ioprioClassShift);
  char byte;
  while (read(starterPipe, &byte, 1) < 0 && errno == EINTR) {
  }
  close(starterPipe);
}

std::optional<int> runCopy(const std::string& variable, const std::string& value,
                           const std::vector<std::string>& removed) {
  CopyEnvironment environment(variable, value, removed);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  pid_t pid;
  const bool started = spawnCopy(pid, actions, 0, environment);
  posix_spawn_file_actions_destroy(&actions);
  if (!started) return std::nullopt;
  int status;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return std::nullopt;
  }
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

void leaveNoCrashDumps() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
}

unsigned long currentProcessId() {
  return static_cast<unsigned long>(getpid());
}

}  // namespace murvo::platform
