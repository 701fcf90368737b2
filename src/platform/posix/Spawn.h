// Starting another program as the launcher's background work and its
// desktop dialog both do.
#pragma once

#include <spawn.h>

namespace murvo::platform {

// File actions that give the new program /dev/null as its standard input,
// output and error.
void addNullStandardStreams(posix_spawn_file_actions_t& actions);

// Starts `path` with every signal at its default and none blocked, the file
// actions and `flags` (POSIX_SPAWN_SETSID) given; false when it cannot start.
bool spawnWithDefaultSignals(pid_t& pid, const char* path,
                             const posix_spawn_file_actions_t& actions, short flags,
                             char* const argv[], char* const environment[]);

}  // namespace murvo::platform
