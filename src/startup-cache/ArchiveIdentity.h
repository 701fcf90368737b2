// What an archive of the start-up cache is made for. An archive serves only
// the launch it was made for: the same JVM library, the same class path with
// the same files in it, and the same options that shape what it holds.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace murvo {

// True for an option by which the .lap takes care of class-data sharing
// itself (-Xshare, the archive and class list options, the JVM's own
// ahead-of-time cache): the launcher then leaves sharing alone.
bool isOwnArchiveOption(std::string_view option);

// True for an option that changes what an archive holds or whether the JVM
// maps it: heap and collector, module and access options, and any other VM
// option. Left out: system properties (but jdk.module.*), the class path (an
// identity of its own), and what writes the program's own files or runs its
// code (logs, agents, recorders, heap and crash dumps, performance data),
// which would do that work in the process that makes the archive.
bool shapesArchive(std::string_view option);

struct ArchiveInputs {
  std::string jvmLibrary;
  std::vector<std::string> classPath;       // its entries, in order
  std::vector<std::string> shapingOptions;  // in the launch's order
  std::string kind;                         // how the archive is made
};

using StampOf = std::function<std::optional<platform::FileStamp>(const std::string&)>;

// A text that changes with any input: every path and option, and the stamp
// (size, modification and change time, file identity) of the JVM library and
// of each class path entry.
std::string archiveIdentity(const ArchiveInputs& inputs, const StampOf& stampOf);

// 16 hexadecimal digits that stand for a text in file names.
std::string shortHash(std::string_view text);

// The entries of a class path text, empty ones (the current directory to the
// JVM) included.
std::vector<std::string> classPathEntries(std::string_view classPath, char separator);

}  // namespace murvo
