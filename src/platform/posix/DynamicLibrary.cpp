#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace murvo::platform {

void* loadLibrary(const std::string& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
}

void* findSymbol(void* library, const char* name) {
  return dlsym(library, name);
}

void freeLibrary(void* library) {
  dlclose(library);
}

std::string libraryError(const std::string& path) {
  const char* text = dlerror();
  const std::string reason = text ? text : "";
  // The text names the file, except for a dependency that cannot be found.
  return reason.find(path) == std::string::npos ? path + ": " + reason : reason;
}

}  // namespace murvo::platform
