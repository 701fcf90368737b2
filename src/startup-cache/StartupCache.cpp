#include "startup-cache/StartupCache.h"

#include <algorithm>
#include <optional>

#include "discovery/JvmLibraryLayout.h"
#include "discovery/ReleaseFile.h"
#include "platform/BackgroundProcess.h"
#include "platform/DirectoryListing.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/TextEncoding.h"
#include "platform/UserFolders.h"
#include "reporting/Trace.h"
#include "startup-cache/ArchiveIdentity.h"
#include "startup-cache/ArchiveJob.h"
#include "startup-cache/ArchiveMaker.h"
#include "vm/OptionEncoding.h"

namespace murvo {

namespace {

constexpr std::string_view classPathPrefix = "-Djava.class.path=";

// The executable's name without ".exe" in any letter case.
std::string programName(const std::string& exePath) {
  std::string name = exePath.substr(exePath.rfind(platform::pathSeparator) + 1);
  std::string ending = name.size() > 4 ? name.substr(name.size() - 4) : "";
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  if (ending == ".exe") name.resize(name.size() - 4);
  return name;
}

// "auto": the program's folder in the user's cache folder, one folder for
// each installation of the program (by the executable's path).
std::optional<std::string> cacheFolder(const LaunchProperties& properties) {
  const std::string& setting = properties.getStartupCache();
  if (setting != "auto") return setting;
  const std::optional<std::string> user = platform::userCacheFolder();
  if (!user) return std::nullopt;
  const char separator = platform::pathSeparator;
  return *user + separator + programName(properties.getExePath()) + separator + "startup-cache" +
         separator + shortHash(properties.getExePath());
}

// The value of the class path option that the JVM takes: the last one.
std::optional<std::string> classPathOf(const std::vector<std::string>& options) {
  for (auto option = options.rbegin(); option != options.rend(); ++option) {
    if (option->starts_with(classPathPrefix)) return option->substr(classPathPrefix.size());
  }
  return std::nullopt;
}

void traceNone(const std::string& why) {
  if (tracing()) trace("startup cache: none, " + why);
}

}  // namespace

StartupCache::StartupCache(LaunchProperties& properties, const std::string& jvmPath) {
  const std::string& setting = properties.getStartupCache();
  if (setting.empty() || setting == "off") return;
  plan(properties, jvmPath);
}

void StartupCache::plan(LaunchProperties& properties, const std::string& jvmPath) {
  const std::vector<std::string>& launchOptions = properties.getJvmOptions();
  for (const std::string& option : launchOptions) {
    if (isOwnArchiveOption(option)) return traceNone("the .lap's own option " + option + " rules");
  }
  const std::optional<std::string> home = homeOfJvmLibrary(jvmPath);
  const std::string version = home ? releaseVersion(*home) : "";
  const int feature = featureVersion(version);
  if (feature < 11) {
    return traceNone(version.empty() ? "the JVM's version is not known"
                                     : "Java " + version + " archives no application classes");
  }
  const std::optional<std::string> folder = cacheFolder(properties);
  if (!folder) return traceNone("the user has no cache folder");
  if (platform::hasLegacyCodePage && !decodesOptionsAsUtf8(version)) {
    bool lossy = false;
    platform::utf8ToLegacyCodePage(*folder, lossy);
    if (lossy) return traceNone("Java " + version + " cannot read the folder's name " + *folder);
  }
  if (tracing()) trace("startup cache: folder " + *folder);

  const std::optional<std::string> classPath = classPathOf(launchOptions);
  if (!classPath) return traceNone("no class path is given");
  ArchiveInputs inputs{jvmPath,
                       classPathEntries(*classPath, platform::classPathSeparator),
                       {},
                       feature >= 24 ? "classes linked ahead of time" : "classes"};
  for (const std::string& entry : inputs.classPath) {
    // The JVM archives classes of jar files only.
    if (entry.empty() || platform::isFolder(entry)) {
      return traceNone("the class path holds a folder: " +
                       (entry.empty() ? std::string("the current directory") : entry));
    }
  }
  for (const std::string& option : launchOptions) {
    if (!LaunchProperties::isClassPathOption(option) && shapesArchive(option)) {
      inputs.shapingOptions.push_back(option);
    }
  }
  const std::string prefix = shortHash(jvmPath) + "-";
  const std::string key = shortHash(archiveIdentity(inputs, platform::fileStamp));
  const std::string base = *folder + platform::pathSeparator + prefix + key;

  // A warning about an archive is no business of the program's output.
  options.push_back("-Xlog:cds*=off");
  if (feature >= 25) options.push_back("-Xlog:aot*=off");
  if (platform::fileStamp(base + ".jsa")) {
    options.push_back("-XX:SharedArchiveFile=" + base + ".jsa");
    if (tracing()) trace("startup cache: archive used: " + base + ".jsa");
    return;
  }
  if (platform::fileStamp(base + ".failed")) {
    options.clear();
    return traceNone("the JVM could not make an archive for this launch: " + base + ".failed");
  }
  record(*folder, prefix, base, jvmPath, feature, properties);
}

void StartupCache::record(const std::string& folder, const std::string& prefix,
                          const std::string& base, const std::string& jvmPath, int feature,
                          LaunchProperties& properties) {
  const std::string own = base + "-" + std::to_string(platform::currentProcessId());
  ArchiveJob job{jvmPath,
                 own + ".classlist",
                 own + ".partial",
                 base + ".jsa",
                 base + ".failed",
                 folder + platform::pathSeparator + prefix.substr(0, prefix.size() - 1) + ".lock",
                 folder,
                 prefix,
                 {"-Xshare:dump", "-XX:SharedClassListFile=" + own + ".classlist",
                  "-XX:SharedArchiveFile=" + own + ".partial"}};
  if (feature >= 24) job.dumpOptions.push_back("-XX:+AOTClassLinking");
  for (const std::string& option : properties.getJvmOptions()) {
    if (LaunchProperties::isClassPathOption(option) || shapesArchive(option)) {
      job.dumpOptions.push_back(option);
    }
  }
  // The class list is made here first: a JVM that could not make it would
  // say so on the program's output.
  const std::string file = own + ".job";
  if (!platform::createFolders(folder) || !platform::writeWholeFile(file, encodeArchiveJob(job)) ||
      !platform::writeWholeFile(job.classList, "")) {
    platform::removeFile(file);
    platform::removeFile(job.classList);
    options.clear();
    return traceNone("the folder cannot be written: " + folder);
  }
  jobFile = file;
  options.push_back("-XX:DumpLoadedClassList=" + job.classList);
  if (tracing()) {
    trace("startup cache: no archive for this launch yet, this start records its classes in " +
          job.classList);
    const std::string archiveName = job.archive.substr(folder.size() + 1);
    for (const std::string& name : platform::listFolder(folder + platform::pathSeparator)) {
      if (name.starts_with(prefix) && name.ends_with(".jsa") && name != archiveName) {
        trace("startup cache: outdated archive, removed once the new one is made: " + name);
      }
    }
  }
}

void StartupCache::addOptions(JavaVMInitArgs& args) {
  if (options.empty()) return;
  const std::size_t count = options.size() + static_cast<std::size_t>(args.nOptions);
  // The array lives to the end of the process, as the one it replaces would.
  auto* array = new JavaVMOption[count];
  for (std::size_t i = 0; i < options.size(); ++i) array[i] = {options[i].data(), nullptr};
  std::copy(args.options, args.options + args.nOptions, array + options.size());
  delete[] args.options;
  args.options = array;
  args.nOptions = static_cast<jint>(count);
}

void StartupCache::startMakingArchive() {
  if (jobFile.empty()) return;
  if (startArchiveMaker(jobFile)) {
    if (tracing()) trace("startup cache: the archive is made once this process has ended");
  } else if (tracing()) {
    trace("startup cache: the archive maker cannot be started");
  }
}

}  // namespace murvo
