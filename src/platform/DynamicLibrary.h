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

}  // namespace murvo::platform
