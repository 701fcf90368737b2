#pragma once

#include <string>

namespace murvo::platform {

// Loads a shared library by its full path; null when it cannot be loaded.
void* loadLibrary(const std::string& path);
// The address of an exported function; null when there is none.
void* findSymbol(void* library, const char* name);
void freeLibrary(void* library);
// The system's reason for the last failure of loadLibrary or findSymbol on
// this thread, naming the library at `path`.
std::string libraryError(const std::string& path);

// True when the file is a shared library built for this process's machine
// and word size (a 32-bit library cannot load into a 64-bit process).
bool isLibraryForThisProcess(const std::string& path);

// The processor architecture of this process, as Java's downloads name it.
constexpr const char* processArchitecture() {
#if defined(__x86_64__)
  return "x64";
#elif defined(__aarch64__)
  return "aarch64";
#else
  return "this machine's";
#endif
}

// Makes `folder` a place where libraries, and the libraries they need, are
// found for the rest of the process (Windows: the JVM's runtime DLLs beside
// it), and takes the current directory out of the search. Nothing where the
// system finds a library's dependencies by itself.
void searchLibrariesIn(const std::string& folder);

}  // namespace murvo::platform
