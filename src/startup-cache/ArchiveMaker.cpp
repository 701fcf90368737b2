#include "startup-cache/ArchiveMaker.h"

#include "platform/BackgroundProcess.h"
#include "platform/DirectoryListing.h"
#include "platform/Environment.h"
#include "platform/FileAccess.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "reporting/Trace.h"
#include "startup-cache/ArchiveJob.h"
#include "vm/JvmLibrary.h"
#include "vm/OptionEncoding.h"

namespace murvo {

namespace {

constexpr std::string_view makeWork = "make ";
constexpr std::string_view dumpWork = "dump ";

std::optional<ArchiveJob> readJob(const std::string& jobFile) {
  const std::optional<std::string> text = platform::readRegularFile(jobFile, 64 * 1024 * 1024);
  return text ? decodeArchiveJob(*text) : std::nullopt;
}

std::string fileName(const std::string& path) {
  return path.substr(path.rfind(platform::pathSeparator) + 1);
}

// Every file of this installation and JVM but the archive and the failure
// mark: outdated archives, class lists, jobs and archives half made.
void removeOthers(const ArchiveJob& job) {
  const std::string folder = job.folder + platform::pathSeparator;
  for (const std::string& name : platform::listFolder(folder)) {
    if (name.starts_with(job.prefix) && name != fileName(job.archive) &&
        name != fileName(job.failed)) {
      platform::removeFile(folder + name);
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

int make(const std::string& jobFile) {
  platform::waitForStarterEnd();
  const std::optional<ArchiveJob> job = readJob(jobFile);
  if (!job) {
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
    removeOthers(*job);
    return 0;
  }
  platform::removeFile(job->partial);
  const std::optional<int> status =
      platform::runCopy(archiveWorkVariable, std::string(dumpWork) + jobFile);
  const std::optional<platform::FileStamp> made = platform::fileStamp(job->partial);
  const bool renamed =
      status == 0 && made && made->size > 0 && platform::renameFile(job->partial, job->archive);
  removeOthers(*job);
  if (renamed) {
    if (tracing()) trace("startup cache: archive made: " + job->archive);
    return 0;
  }
  platform::writeWholeFile(job->failed, "");
  if (tracing()) {
    trace("startup cache: the JVM could not make the archive (exit status " +
          (status ? std::to_string(*status) : std::string("none")) + "): " + job->archive);
  }
  return 1;
}

}  // namespace

bool startArchiveMaker(const std::string& jobFile) {
  return platform::startDetachedCopy(archiveWorkVariable, std::string(makeWork) + jobFile);
}

std::optional<int> doArchiveWork() {
  const std::optional<std::string> work = platform::environmentVariable(archiveWorkVariable);
  if (!work) return std::nullopt;
  if (work->starts_with(makeWork)) return make(work->substr(makeWork.size()));
  if (work->starts_with(dumpWork)) return dump(work->substr(dumpWork.size()));
  return std::nullopt;
}

}  // namespace murvo
