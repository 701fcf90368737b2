// The making of one archive, handed by a launch that records the classes it
// loads to the copy of the launcher that makes the archive once the launch
// has ended. Kept as a file beside the class list: one "name=value" line per
// item, option lines repeated in order; a line feed, carriage return or
// backslash in a value is written as \n, \r or \\.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murvo {

struct ArchiveJob {
  std::string jvmLibrary;
  std::string classList;   // written by the recording launch
  std::string classLoads;  // its class loading log, when the list needs it
  std::string partial;     // the archive while it is made
  std::string archive;     // the name it takes once made
  std::string failed;      // left when the JVM could not make it
  std::string crashLog;    // where the JVM writes what it knows of a crash
  std::string lock;        // held by the one copy that makes archives in this cache
  std::string folder;      // the cache folder
  std::string prefix;      // the start of the names of this installation's and JVM's files
  std::vector<std::string> dumpOptions;
};

std::string encodeArchiveJob(const ArchiveJob& job);
// Nothing for a text that lacks an item or holds a line it does not know.
std::optional<ArchiveJob> decodeArchiveJob(std::string_view text);

}  // namespace murvo
