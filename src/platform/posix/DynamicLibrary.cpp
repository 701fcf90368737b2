#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <elf.h>
#include <sys/stat.h>

#include <cstring>
#include <utility>

#include "platform/FileAccess.h"

namespace murvo::platform {

namespace {

// Why loadLibrary refused a path before the loader saw it.
thread_local std::string refusal;

}  // namespace

void* loadLibrary(const std::string& path) {
  // The loader would wait for a writer of a FIFO for ever: anything but a
  // regular file (or a link to one) is refused at once; the loader itself
  // refuses a folder.
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    refusal = path + ": not a regular file";
    return nullptr;
  }
  refusal.clear();
  return dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
}

void* findSymbol(void* library, const char* name) {
  return dlsym(library, name);
}

void freeLibrary(void* library) {
  dlclose(library);
}

bool isLibraryForThisProcess(const std::string& path) {
  const std::optional<std::string> start = readRegularFile(path, sizeof(Elf64_Ehdr));
  if (!start || start->size() < sizeof(Elf64_Ehdr)) return false;
  Elf64_Ehdr header;
  std::memcpy(&header, start->data(), sizeof header);
#if defined(__x86_64__)
  constexpr int machine = EM_X86_64;
#elif defined(__aarch64__)
  constexpr int machine = EM_AARCH64;
#endif
  return std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
         header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_machine == machine;
}

void searchLibrariesIn(const std::string&) {
  // The JVM library names the folders of its own dependencies.
}

std::string libraryError(const std::string& path) {
  if (!refusal.empty()) return std::exchange(refusal, std::string());
  const char* text = dlerror();
  const std::string reason = text ? text : "";
  // The text names the file, except for a dependency that cannot be found.
  return reason.find(path) == std::string::npos ? path + ": " + reason : reason;
}

}  // namespace murvo::platform
