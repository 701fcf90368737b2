#include "startup-cache/ArchiveIdentity.h"

#include <cstdint>
#include <cstdio>
#include <initializer_list>

namespace murvo {

namespace {

bool startsWithAny(std::string_view text, std::initializer_list<std::string_view> prefixes) {
  for (std::string_view prefix : prefixes) {
    if (text.starts_with(prefix)) return true;
  }
  return false;
}

// A format version of the identity: a launcher that makes archives another
// way never takes those of an older one.
constexpr std::string_view identityFormat = "murvo startup cache 2";

}  // namespace

bool isOwnArchiveOption(std::string_view option) {
  return startsWithAny(option, {"-Xshare:", "-XX:SharedArchiveFile", "-XX:SharedClassListFile",
                                "-XX:DumpLoadedClassList", "-XX:ArchiveClassesAtExit",
                                "-XX:+AutoCreateSharedArchive", "-XX:AOT", "-XX:+AOT"});
}

bool shapesArchive(std::string_view option) {
  if (option.starts_with("-D")) return option.starts_with("-Djdk.module.");
  // What writes the program's logs, dumps and records, runs its agents or
  // commands, or decides what a crash leaves.
  return !startsWithAny(option, {"-Xlog",
                                 "-verbose",
                                 "-Xloggc",
                                 "-javaagent:",
                                 "-agentlib:",
                                 "-agentpath:",
                                 "-Xrun",
                                 "-Xdebug",
                                 "-XX:StartFlightRecording",
                                 "-XX:FlightRecorderOptions",
                                 "-XX:+FlightRecorder",
                                 "-XX:ErrorFile",
                                 "-XX:HeapDumpPath",
                                 "-XX:+HeapDumpOnOutOfMemoryError",
                                 "-XX:HeapDumpGzipLevel",
                                 "-XX:OnError",
                                 "-XX:OnOutOfMemoryError",
                                 "-XX:LogFile",
                                 "-XX:+LogVMOutput",
                                 "-XX:+LogCompilation",
                                 "-XX:+DisplayVMOutputToStd",
                                 "-XX:PerfDataSaveFile",
                                 "-XX:+PerfDataSaveToFile",
                                 "-XX:+UsePerfData",
                                 "-XX:-UsePerfData",
                                 "-XX:+CreateCoredumpOnCrash",
                                 "-XX:-CreateCoredumpOnCrash",
                                 "-XX:+ShowMessageBoxOnError",
                                 "-XX:+PrintNMTStatistics",
                                 "-XX:NativeMemoryTracking",
                                 "-XX:ReplayDataFile",
                                 "-XX:CompileCommandFile",
                                 "-XX:+PrintFlagsFinal",
                                 "-XX:+PrintCommandLineFlags"});
}

std::string archiveIdentity(const ArchiveInputs& inputs, const StampOf& stampOf) {
  std::string identity(identityFormat);
  const auto add = [&](std::string_view what, std::string_view text) {
    identity.append("\n").append(what).append(" ").append(text);
  };
  const auto addFile = [&](std::string_view what, const std::string& path) {
    add(what, path);
    const std::optional<platform::FileStamp> stamp = stampOf(path);
    add("stamp", stamp ? std::to_string(stamp->size) + " " + std::to_string(stamp->modified) + " " +
                             std::to_string(stamp->changed) + " " + std::to_string(stamp->file) +
                             " " + std::to_string(stamp->volume)
                       : std::string("none"));
  };
  add("kind", inputs.kind);
  addFile("jvm", inputs.jvmLibrary);
  for (const std::string& entry : inputs.classPath) addFile("class path", entry);
  for (const std::string& option : inputs.shapingOptions) add("option", option);
  return identity;
}

std::string shortHash(std::string_view text) {
  // FNV-1a: a change anywhere in the text changes the hash.
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  return digits;
}

std::vector<std::string> classPathEntries(std::string_view classPath, char separator) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = classPath.find(separator, start);
    entries.emplace_back(classPath.substr(start, end - start));
    if (end == std::string_view::npos) return entries;
    start = end + 1;
  }
}

}  // namespace murvo
