#include "startup-cache/ArchiveMaker.h"

#include "platform/BackgroundProcess.h"
#include "platform/DirectoryListing.h"
#include "platform/Environment.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "reporting/Trace.h"
#include "startup-cache/ArchiveJob.h"
#include "startup-cache/ArchiveSeal.h"
#include "startup-cache/FailureMark.h"
#include "vm/JvmLibrary.h"
#include "vm/OptionEncoding.h"

namespace murvo {

namespace {

constexpr std::string_view makeWork = "make ";
constexpr std::string_view dumpWork = "dump ";
// The variables from which a JVM would take options of the environment's:
// the dump takes the launch's options alone.
const std::vector<std::string> jvmOptionVariables = {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS",
                                                     "JDK_JAVA_OPTIONS"};
// Less room than this on the cache's volume makes a failed dump one of a
// full disk, which passes.
constexpr std::uint64_t roomForAnArchive = 512ull * 1024 * 1024;
constexpr std::int64_t secondsPerDay = 24 * 60 * 60;
// Archives unused for this long go, and so do leftovers of ended processes
// after a day.
constexpr std::int64_t unusedSeconds = 30 * secondsPerDay;
constexpr std::size_t largestClassList = 512 * 1024 * 1024;

std::optional<ArchiveJob> readJob(const std::string& jobFile) {
  const std::optional<std::string> text = platform::readOwnFile(jobFile, 64 * 1024 * 1024);
  return text ? decodeArchiveJob(*text) : std::nullopt;
}

std::string folderOf(const std::string& path) {
  return path.substr(0, path.rfind(platform::pathSeparator));
}

std::string fileName(const std::string& path) {
  return path.substr(path.rfind(platform::pathSeparator) + 1);
}

std::string withoutEnding(const std::string& name, std::string_view ending) {
  return name.substr(0, name.size() - ending.size());
}

// This installation's files for this JVM but the archive, its seal, its
// failure mark and crash log: outdated archives, class lists, jobs and
// archives half made.
void removeOutdated(const ArchiveJob& job) {
  const std::string folder = job.folder + platform::pathSeparator;
  const std::string base = withoutEnding(fileName(job.archive), ".jsa");
  for (const std::string& name : platform::listFolder(folder)) {
    if (name.starts_with(job.prefix) && name != base + ".jsa" && name != base + ".seal" &&
        name != fileName(job.failed) && name != fileName(job.crashLog)) {
      platform::removeFile(folder + name);
    }
  }
}

// What no launch will use again: archives of a JVM that is no longer there
// or unused for 30 days, old failure marks, and what processes that ended
// long ago left behind.
void removeUnused(const ArchiveJob& job) {
  const std::string folder = job.folder + platform::pathSeparator;
  for (const std::string& name : platform::listFolder(folder)) {
    const std::string path = folder + name;
    const std::int64_t age = platform::secondsSinceModified(path).value_or(0);
    if (name.ends_with(".seal")) {
      const std::optional<std::string> seal = platform::readOwnFile(path, 64 * 1024);
      const std::optional<std::string> jvm = seal ? sealedJvmLibrary(*seal) : std::nullopt;
      if (!jvm || !platform::fileStamp(*jvm) || age > unusedSeconds) {
        platform::removeFile(folder + withoutEnding(name, ".seal") + ".jsa");
        platform::removeFile(path);
      }
    } else if (name.ends_with(".failed") || name.ends_with(".crash.log")) {
      if (age > unusedSeconds) platform::removeFile(path);
    } else if (name.ends_with(".job") || name.ends_with(".classlist") ||
               name.ends_with(".classload") || name.ends_with(".partial") ||
               (name.ends_with(".jsa") &&
                !platform::fileStamp(folder + withoutEnding(name, ".jsa") + ".seal"))) {
      if (age > secondsPerDay) platform::removeFile(path);
    }
  }
}

// The JVM makes the archive in this process and, by its own choice, ends it
// or returns.
int dump(const std::string& jobFile) {
  std::optional<ArchiveJob> job = readJob(jobFile);
  if (!job) return 1;
  void* library = openJvmLibrary(job->jvmLibrary);
  const CreateJavaVm createJavaVm = library ? findCreateJavaVm(library) : nullptr;
  if (!createJavaVm) return 1;
  std::vector<JavaVMOption> options;
  for (std::string& option : job->dumpOptions) options.push_back({option.data(), nullptr});
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_2;
  args.nOptions = static_cast<jint>(options.size());
  args.options = options.data();
  encodeOptionsFor(job->jvmLibrary, args);
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (createJavaVm(&vm, reinterpret_cast<void**>(&env), &args) < 0) return 1;
  vm->DestroyJavaVM();
  return 0;
}

struct Attempt {
  bool made = false;
  FailureCause cause = FailureCause::passing;
  std::optional<int> status;  // of the dump
};

// Seals the archive made, writes it to the disk and renames it into place:
// a start finds the whole archive with its seal, or none.
bool putInPlace(const ArchiveJob& job) {
  const std::optional<platform::FileStamp> made = platform::fileStamp(job.partial);
  if (!made || made->size == 0 || !platform::syncFile(job.partial)) return false;
  const std::string seal = withoutEnding(job.archive, ".jsa") + ".seal";
  platform::removeFile(seal);
  return platform::createNewFile(seal, encodeArchiveSeal(job.jvmLibrary, *made)) &&
         platform::renameFile(job.partial, job.archive);
}

Attempt attempt(const ArchiveJob& job, const std::string& jobFile) {
  platform::removeFile(job.partial);
  platform::removeFile(job.crashLog);
  Attempt result;
  result.status =
      platform::runCopy(archiveWorkVariable, std::string(dumpWork) + jobFile, jvmOptionVariables);
  if (result.status == 0 && putInPlace(job)) {
    result.made = true;
  } else if (platform::fileStamp(job.crashLog)) {
    result.cause = FailureCause::jvm;  // it crashed
  } else if (result.status && *result.status != 0 &&
             platform::freeBytes(job.folder).value_or(0) >= roomForAnArchive) {
    result.cause = FailureCause::jvm;  // it refused
  }
  return result;
}

// The job again with another class list beside the recorded one, named by
// `kind`; nothing when the files cannot be written.
std::optional<std::string> jobWithClassList(ArchiveJob job, const std::string& jobFile,
                                            const std::string& list, const std::string& kind) {
  const std::string listOption = "-XX:SharedClassListFile=";
  job.classList = withoutEnding(job.classList, ".classlist") + "." + kind + ".classlist";
  for (std::string& option : job.dumpOptions) {
    if (option.starts_with(listOption)) option = listOption + job.classList;
  }
  const std::string otherJob = withoutEnding(jobFile, ".job") + "." + kind + ".job";
  platform::removeFile(job.classList);
  platform::removeFile(otherJob);
  if (!platform::createNewFile(job.classList, list) ||
      !platform::createNewFile(otherJob, encodeArchiveJob(job))) {
    return std::nullopt;
  }
  return otherJob;
}

// The list without the lines that name what the JVM generates
// ("@lambda-proxy", "@lambda-form-invoker").
std::string withoutGeneratedClasses(std::string_view list) {
  std::string plain;
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = std::min(list.find('\n', start), list.size());
    const std::string_view line = list.substr(start, end - start);
    if (!line.starts_with('@')) plain.append(line).append("\n");
    start = end + 1;
  }
  return plain;
}

struct ClassListChoice {
  std::string kind;  // empty for the list as recorded
  std::string list;  // of any other kind
  std::string what;  // for the trace
};

// The class lists to try, best first, as long as the JVM fails on them: the
// recorded list with the classes of the program's own class loaders, the list
// as recorded, and the list without what the JVM generates, on which some
// JVMs fail for some programs (JDK 17 crashes on the lambda proxies of some
// class paths).
std::vector<ClassListChoice> classListsToTry(const ArchiveJob& job, const JarEntryBytes& jarEntry) {
  std::vector<ClassListChoice> choices;
  const std::optional<std::string> list = platform::readOwnFile(job.classList, largestClassList);
  const std::optional<std::string> loads =
      list && !job.classLoads.empty() ? platform::readOwnFile(job.classLoads, largestClassList)
                                      : std::nullopt;
  if (loads) {
    std::string extended = withCustomLoaderClasses(*list, *loads, jarEntry);
    if (extended != *list) {
      choices.push_back(
          {"custom", std::move(extended), "with the classes of the program's own class loaders"});
    }
  }
  choices.push_back({"", "", "as recorded"});
  if (list) {
    std::string plain = withoutGeneratedClasses(*list);
    if (plain != *list) choices.push_back({"plain", std::move(plain), "without its @ lines"});
  }
  return choices;
}

void markFailure(const ArchiveJob& job, const Attempt& failed) {
  platform::removeFile(job.failed);
  platform::createNewFile(job.failed, encodeFailureMark(failed.cause));
  if (!tracing()) return;
  trace("startup cache: the JVM could not make the archive (exit status " +
        (failed.status ? std::to_string(*failed.status) : std::string("none")) +
        "): " + job.archive);
  if (platform::fileStamp(job.crashLog))
    trace("startup cache: the JVM's crash log: " + job.crashLog);
  if (failed.cause == FailureCause::passing) {
    trace("startup cache: the failure may pass: the archive is tried again in an hour");
  }
}

int make(const std::string& jobFile, const JarEntryBytes& jarEntry) {
  // Nothing the maker or the JVM in it does lands outside the cache folder.
  platform::leaveNoCrashDumps();
  platform::setCurrentFolder(folderOf(jobFile));
  platform::waitForStarterEnd();
  const std::optional<ArchiveJob> job = readJob(jobFile);
  if (!job || folderOf(jobFile) != job->folder) {
    platform::removeFile(jobFile);
    return 1;
  }
  if (!platform::holdFileLock(job->lock)) {
    // Another maker works in this cache; its archive serves this launch too.
    if (tracing()) trace("startup cache: another process makes an archive: " + job->archive);
    platform::removeFile(job->classList);
    platform::removeFile(jobFile);
    return 0;
  }
  // The trace comes last: whoever reads it finds the folder as it stays.
  if (platform::fileStamp(job->archive)) {
    removeOutdated(*job);
    removeUnused(*job);
    return 0;
  }
  Attempt made;
  bool tried = false;
  for (const ClassListChoice& choice : classListsToTry(*job, jarEntry)) {
    if (made.made || (tried && made.cause != FailureCause::jvm)) break;
    const std::optional<std::string> choiceJob =
        choice.kind.empty() ? jobFile : jobWithClassList(*job, jobFile, choice.list, choice.kind);
    if (!choiceJob) continue;
    if (tracing() && (tried || !choice.kind.empty())) {
      trace(std::string("startup cache: ") +
            (tried ? "the JVM failed on the class list, again " : "the class list, ") +
            choice.what);
    }
    made = attempt(*job, *choiceJob);
    tried = true;
  }
  if (made.made) {
    platform::removeFile(job->failed);
    platform::removeFile(job->crashLog);
  }
  removeOutdated(*job);
  removeUnused(*job);
  if (made.made) {
    if (tracing()) trace("startup cache: archive made: " + job->archive);
    return 0;
  }
  markFailure(*job, made);
  return 1;
}

}  // namespace

bool startArchiveMaker(const std::string& jobFile) {
  return platform::startDetachedCopy(archiveWorkVariable, std::string(makeWork) + jobFile);
}

std::optional<int> doArchiveWork(const JarEntryBytes& jarEntry) {
  const std::optional<std::string> work = platform::environmentVariable(archiveWorkVariable);
  if (!work) return std::nullopt;
  if (work->starts_with(makeWork)) return make(work->substr(makeWork.size()), jarEntry);
  if (work->starts_with(dumpWork)) return dump(work->substr(dumpWork.size()));
  return std::nullopt;
}

}  // namespace murvo
