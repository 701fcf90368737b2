#pragma once

#include <string>

namespace murvo::platform {

// Loads a shared library by its full path; null when it cannot be loaded.
void* loadLibrary(const std::string& path);
// The address of an exported function; null when there is none.
void* findSymbol(void* library, const char* name);
void freeLibrary(void* library);

}  // namespace murvo::platform
