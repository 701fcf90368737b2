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

}  // namespace murvo::platform
