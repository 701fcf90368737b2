// The copies of the launcher that make the start-up cache's archives. A
// launch that records the classes it loads starts the maker, detached; the
// maker waits for that launch to end, takes the cache's lock and runs the
// JVM's archive dump in a copy of its own, then renames the archive into
// place and removes what is outdated. Neither copy ever runs the program.
#pragma once

#include <optional>
#include <string>

#include "startup-cache/CustomLoaderClasses.h"

namespace murvo {

// The environment variable by which a copy knows its work: "make <job file>"
// for the maker, "dump <job file>" for the copy in which the JVM dumps.
inline constexpr const char* archiveWorkVariable = "MURVO_STARTUP_CACHE_WORK";

// Starts the maker for a job file; false when it cannot be started.
bool startArchiveMaker(const std::string& jobFile);

// When this process is one of those copies: does its work and gives the
// exit status; nothing for any other process. `jarEntry` reads the class
// files of the program's own class loaders.
std::optional<int> doArchiveWork(const JarEntryBytes& jarEntry);

}  // namespace murvo
