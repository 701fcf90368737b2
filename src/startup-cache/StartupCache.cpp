#include "startup-cache/StartupCache.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "discovery/JvmLibraryLayout.h"
#include "discovery/ReleaseFile.h"
#include "platform/BackgroundProcess.h"
#include "platform/DirectoryListing.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/TextEncoding.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"
#include "startup-cache/ArchiveIdentity.h"
#include "startup-cache/ArchiveJob.h"
#include "startup-cache/ArchiveMaker.h"
#include "startup-cache/ArchiveSeal.h"
#include "startup-cache/CacheFolder.h"
#include "startup-cache/CustomLoaderClasses.h"
#include "startup-cache/FailureMark.h"
#include "vm/OptionEncoding.h"
#include "vm/SystemProperty.h"
#include "vm/VmExitHooks.h"

namespace murvo {

namespace {

constexpr std::string_view classPathPrefix = "-Djava.class.path=";
// A seal is touched at most once a day: its time tells when the archive was
// last used.
constexpr std::int64_t secondsPerDay = 24 * 60 * 60;

// What this launch has begun in the cache folder, for a failure to undo:
// the files of a recording that no maker will take, and an archive that the
// VM may have crashed on while mapping it. Never destroyed: a failure may be
// reported from any thread.
struct Begun {
  std::string job, classList, classLoads;
  std::string archive, seal;
};
Begun& begun = *new Begun;

void undoOnFailure() {
  // A launch that failed makes no archive.
  if (!begun.job.empty()) {
    platform::removeFile(begun.job);
    platform::removeFile(begun.classList);
    if (!begun.classLoads.empty()) platform::removeFile(begun.classLoads);
  }
  // The VM ended while it was being created with the archive mapped: the
  // next start runs without it, whatever was wrong with it.
  if (!begun.archive.empty() && isVmBeingCreated()) {
    platform::removeFile(begun.archive);
    platform::removeFile(begun.seal);
  }
}

// The value of the class path option that the JVM takes: the last one.
std::optional<std::string> classPathOf(const std::vector<std::string>& options) {
  for (auto option = options.rbegin(); option != options.rend(); ++option) {
    if (option->starts_with(classPathPrefix)) return option->substr(classPathPrefix.size());
  }
  return std::nullopt;
}

// The options that the JVM takes from an environment variable, split at blanks.
std::vector<std::string> environmentOptions(const char* variable) {
  std::vector<std::string> options;
  const std::string text = platform::environmentVariable(variable).value_or("");
  for (std::size_t start = text.find_first_not_of(" \t\n\r"); start != std::string::npos;) {
    const std::size_t end = text.find_first_of(" \t\n\r", start);
    options.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? end : text.find_first_not_of(" \t\n\r", end);
  }
  return options;
}

// Every option the JVM takes, in its order: the environment's before the
// launch's and after them.
std::vector<std::string> everyOption(const std::vector<std::string>& launchOptions) {
  std::vector<std::string> options = environmentOptions("JAVA_TOOL_OPTIONS");
  options.insert(options.end(), launchOptions.begin(), launchOptions.end());
  for (std::string& option : environmentOptions("_JAVA_OPTIONS")) options.push_back(option);
  return options;
}

// The class path entries whose classes an archive can hold: those before the
// first one that is not a jar file named by its full path (a folder, the
// current directory, a relative or missing entry).
std::vector<std::string> archivedPrefix(const std::vector<std::string>& entries) {
  std::vector<std::string> prefix;
  for (const std::string& entry : entries) {
    if (!platform::isAbsolutePath(entry) || !platform::fileStamp(entry)) {
      if (tracing())
        trace("startup cache: the classes of " +
              (entry.empty() ? std::string("the current directory") : entry) +
              " and after it are not archived");
      break;
    }
    prefix.push_back(entry);
  }
  return prefix;
}

std::string joined(const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& entry : entries) {
    if (!text.empty()) text += platform::classPathSeparator;
    text += entry;
  }
  return text;
}

// The JVM says "sharing" in java.vm.info when it has mapped an archive.
bool vmMapsSharedClasses(JNIEnv* env) {
  return systemProperty(env, "java.vm.info").value_or("").find("sharing") != std::string::npos;
}

void traceNone(const std::string& why) {
  if (tracing()) trace("startup cache: none, " + why);
}

}  // namespace

// What the archive of this launch is made from.
struct StartupCache::Launch {
  ArchiveInputs inputs;
  std::vector<std::string> archivedClassPath;
  std::string prefix;  // of the names of this installation's files for this JVM
  int feature;
};

StartupCache::StartupCache(LaunchProperties& properties, const std::string& jvmPath) {
  const std::string& setting = properties.getStartupCache();
  if (setting.empty() || setting == "off") return;
  plan(properties, jvmPath);
}

void StartupCache::plan(LaunchProperties& properties, const std::string& jvmPath) {
  const std::vector<std::string>& launchOptions = properties.getJvmOptions();
  const std::vector<std::string> allOptions = everyOption(launchOptions);
  // The user's own options never shape the archive, but one that sets
  // class-data sharing rules as the .lap's would.
  const std::vector<std::string>& userOptions = properties.getUserJvmOptions();
  for (const std::vector<std::string>* list : {&allOptions, &userOptions}) {
    for (const std::string& option : *list) {
      if (isOwnArchiveOption(option)) return traceNone("the option " + option + " rules");
    }
  }
  const std::optional<std::string> home = homeOfJvmLibrary(jvmPath);
  const std::string version = home ? releaseVersion(*home) : "";
  const int feature = featureVersion(version);
  if (feature < 11) {
    return traceNone(version.empty() ? "the JVM's version is not known"
                                     : "Java " + version + " archives no application classes");
  }
  // OpenJ9 has a class cache of its own (-Xshareclasses): it takes none of the
  // options that make or map an archive, and reports -Xlog ones as unknown.
  std::string variant = releaseValue(*home, "JVM_VARIANT");
  std::transform(variant.begin(), variant.end(), variant.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (variant == "openj9") return traceNone("OpenJ9 keeps a class cache of its own");
  std::string why;
  const std::optional<std::string> folder = usableCacheFolder(properties, why);
  if (!folder) return traceNone(why);
  if (platform::hasLegacyCodePage && !decodesOptionsAsUtf8(version)) {
    bool lossy = false;
    platform::utf8ToLegacyCodePage(*folder, lossy);
    if (lossy) return traceNone("Java " + version + " cannot read the folder's name " + *folder);
  }
  if (tracing()) trace("startup cache: folder " + *folder);

  const std::optional<std::string> classPath = classPathOf(launchOptions);
  if (!classPath) return traceNone("no class path is given");
  Launch launch{{jvmPath,
                 // Empty only beside a main module: no class path at all.
                 classPath->empty() ? std::vector<std::string>()
                                    : classPathEntries(*classPath, platform::classPathSeparator),
                 {},
                 feature >= 24 ? "classes linked ahead of time" : "classes"},
                {},
                shortHash(properties.getExePath() + "\n" + jvmPath) + "-",
                feature};
  launch.archivedClassPath = archivedPrefix(launch.inputs.classPath);
  for (const std::string& option : allOptions) {
    if (!LaunchProperties::isClassPathOption(option) && shapesArchive(option)) {
      launch.inputs.shapingOptions.push_back(option);
    }
  }
  const std::string key = shortHash(archiveIdentity(launch.inputs, platform::fileStamp));
  const std::string base = *folder + platform::pathSeparator + launch.prefix + key;

  // A warning about an archive is no business of the program's output.
  options.push_back("-Xlog:cds*=off");
  if (feature >= 25) options.push_back("-Xlog:aot*=off");
  beforeFailureMessage(undoOnFailure);
  if (archiveIntact(base)) {
    options.push_back("-XX:SharedArchiveFile=" + begun.archive);
    if (tracing()) trace("startup cache: archive used: " + begun.archive);
    return;
  }
  if (failureStands(base)) {
    options.clear();
    return traceNone("the JVM could not make an archive for this launch: " + base + ".failed");
  }
  record(launch, *folder, base);
}

bool StartupCache::archiveIntact(const std::string& base) {
  const std::string archive = base + ".jsa", seal = base + ".seal";
  const std::optional<platform::FileStamp> stamp = platform::fileStamp(archive);
  if (!stamp) return false;
  const std::optional<std::string> sealed = platform::readOwnFile(seal, 64 * 1024);
  if (sealed && platform::isOwnFile(archive) && sealMatches(*sealed, *stamp)) {
    if (platform::secondsSinceModified(seal).value_or(0) > secondsPerDay) {
      platform::touchFile(seal);
    }
    begun.archive = archive;
    begun.seal = seal;
    return true;
  }
  if (tracing())
    trace("startup cache: the archive is not the one its maker made, removed: " + archive);
  platform::removeFile(archive);
  platform::removeFile(seal);
  return false;
}

bool StartupCache::failureStands(const std::string& base) {
  const std::string mark = base + ".failed";
  const std::optional<std::int64_t> age = platform::secondsSinceModified(mark);
  if (!age) return false;
  const std::optional<std::string> cause = platform::readOwnFile(mark, 64);
  if (cause && failureMarkStands(*cause, *age)) return true;
  if (tracing()) trace("startup cache: the archive is tried again: " + mark);
  platform::removeFile(mark);
  return false;
}

void StartupCache::record(const Launch& launch, const std::string& folder,
                          const std::string& base) {
  const std::string own = base + "-" + std::to_string(platform::currentProcessId());
  ArchiveJob job{launch.inputs.jvmLibrary,
                 own + ".classlist",
                 "",
                 own + ".partial",
                 base + ".jsa",
                 base + ".failed",
                 base + ".crash.log",
                 folder + platform::pathSeparator + "maker.lock",
                 folder,
                 launch.prefix,
                 {"-Xshare:dump", "-XX:SharedClassListFile=" + own + ".classlist",
                  "-XX:SharedArchiveFile=" + own + ".partial"}};
  if (launch.feature >= 24) job.dumpOptions.push_back("-XX:+AOTClassLinking");
  for (const std::string& option : launch.inputs.shapingOptions) job.dumpOptions.push_back(option);
  // Last, so that they win: the classes of the jars that can be archived,
  // and nothing of the program's left behind by a dump that crashes.
  job.dumpOptions.push_back(std::string(classPathPrefix) + joined(launch.archivedClassPath));
  job.dumpOptions.push_back("-XX:ErrorFile=" + job.crashLog);
  job.dumpOptions.push_back("-XX:-CreateCoredumpOnCrash");
  job.dumpOptions.push_back("-XX:-UsePerfData");
  // The class list and log are made here first: a JVM that could not make
  // the list would say so on the program's output, and one that could not
  // open the log would not start. Files of an earlier process of this number
  // are gone with it. A log name that the JVM would change ('%') or cannot
  // quote goes without, and so does a volume short of room.
  const std::string file = own + ".job";
  if (classListLeavesOutCustomLoaders(launch.feature) &&
      folder.find_first_of("%\"") == std::string::npos &&
      platform::freeBytes(folder).value_or(0) >= roomForClassLoadLog) {
    job.classLoads = own + ".classload";
  }
  begun.job = file;
  begun.classList = job.classList;
  begun.classLoads = job.classLoads;
  for (const std::string& made : {file, job.classList, job.classLoads}) {
    if (!made.empty()) platform::removeFile(made);
  }
  if (!platform::createNewFile(file, encodeArchiveJob(job)) ||
      !platform::createNewFile(job.classList, "") ||
      (!job.classLoads.empty() && !platform::createNewFile(job.classLoads, ""))) {
    undoOnFailure();
    begun.job.clear();
    options.clear();
    return traceNone("the folder cannot be written: " + folder);
  }
  jobFile = file;
  options.push_back("-XX:DumpLoadedClassList=" + job.classList);
  if (!job.classLoads.empty()) options.push_back(classLoadLogOption(job.classLoads));
  if (tracing()) {
    trace("startup cache: no archive for this launch yet, this start records its classes in " +
          job.classList);
    const std::string archiveName = job.archive.substr(folder.size() + 1);
    for (const std::string& name : platform::listFolder(folder + platform::pathSeparator)) {
      if (name.starts_with(launch.prefix) && name.ends_with(".jsa") && name != archiveName) {
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

void StartupCache::afterVmCreated(JNIEnv* env) {
  if (!begun.archive.empty() && !vmMapsSharedClasses(env)) {
    // Made for another JVM or for other options after all (the user's own
    // take no part in it): it goes, and the launch runs without an archive
    // for a while, rather than recording at every start.
    if (tracing())
      trace("startup cache: the JVM did not map the archive, removed: " + begun.archive);
    platform::removeFile(begun.archive);
    platform::removeFile(begun.seal);
    const std::string mark = begun.archive.substr(0, begun.archive.size() - 4) + ".failed";
    platform::removeFile(mark);
    platform::createNewFile(mark, encodeFailureMark(FailureCause::passing));
  }
  begun.archive.clear();
  if (jobFile.empty()) return;
  if (startArchiveMaker(jobFile)) {
    begun.job.clear();
    if (tracing()) trace("startup cache: the archive is made once this process has ended");
  } else if (tracing()) {
    trace("startup cache: the archive maker cannot be started");
  }
}

}  // namespace murvo
