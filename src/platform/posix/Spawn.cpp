#include "platform/posix/Spawn.h"

#include <fcntl.h>
#include <signal.h>

namespace murvo::platform {

void addNullStandardStreams(posix_spawn_file_actions_t& actions) {
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
}

bool spawnWithDefaultSignals(pid_t& pid, const char* path,
                             const posix_spawn_file_actions_t& actions, short flags,
                             char* const argv[], char* const environment[]) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigfillset(&signals);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, flags | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int result = posix_spawn(&pid, path, &actions, &attributes, argv, environment);
  posix_spawnattr_destroy(&attributes);
  return result == 0;
}

}  // namespace murvo::platform
